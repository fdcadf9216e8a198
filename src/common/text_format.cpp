#include "common/text_format.h"

#include <cstdarg>
#include <cstdio>

std::string StrPrintf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string out;
  if (n > 0) {
    out.resize(static_cast<size_t>(n));
    std::vsnprintf(out.data(), out.size() + 1, format, args);
  }
  va_end(args);
  return out;
}

std::string Hms(int hour, int minute, int second) {
  return StrPrintf("%02d:%02d:%02d", hour, minute, second);
}

std::string Stamped(int hour, int minute, int second, const std::string& message) {
  return Hms(hour, minute, second) + "  " + message;
}

uint32_t TruncateToU32(double x) {
  if (!(x > 0)) return 0;
  if (x >= 4294967295.0) return UINT32_MAX;
  return static_cast<uint32_t>(x);
}
