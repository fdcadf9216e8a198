#pragma once
#include <string>

// printf-style formatting into a std::string (the display and log formats).
std::string StrPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// "%02d:%02d:%02d"
std::string Hms(int hour, int minute, int second);
