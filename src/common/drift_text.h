#pragma once
#include <optional>
#include <string>

// The text of the drift file: the learned frequency correction in ppm, one
// number on one line.
std::string DriftText(double ppm);
// nullopt for anything but one number within +-500 ppm (blanks around it
// allowed): a garbled file is no frequency.
std::optional<double> ParseDriftText(const std::string& text);
