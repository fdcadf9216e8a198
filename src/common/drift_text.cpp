#include "common/drift_text.h"

#include <cmath>
#include <cstdlib>

#include "common/text_format.h"

std::string DriftText(double ppm) { return StrPrintf("%.6f\n", ppm); }

std::optional<double> ParseDriftText(const std::string& text) {
  if (text.size() > 64) return std::nullopt;
  const char* begin = text.c_str();
  char* end = nullptr;
  const double ppm = std::strtod(begin, &end);
  if (end == begin) return std::nullopt;
  for (const char* p = end; *p != '\0'; ++p) {
    if (*p != ' ' && *p != '\t' && *p != '\r' && *p != '\n') return std::nullopt;
  }
  if (!std::isfinite(ppm) || std::fabs(ppm) > 500) return std::nullopt;
  return ppm;
}
