#pragma once
#include <optional>

// Where the PC clock's learned frequency correction is kept across runs (a
// small file beside the settings).
class DriftFile {
 public:
  virtual ~DriftFile() = default;
  // The kept frequency in ppm; nullopt when there is none or it cannot be
  // read as one.
  virtual std::optional<double> Read() = 0;
  virtual bool Write(double ppm) = 0;
};
