#include "link/cca_frame.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr size_t kPositionEnds[] = {80, 118, 121, 141};
constexpr size_t kFirstChannelStatus = 34;
constexpr size_t kChannelStatusStep = 6;
constexpr int kChannels = 8;
constexpr size_t kNoPositionByte = 78;

// Minutes of arc in 0.001 units as degrees and minutes, e.g. 2130000 north
// gives "3530.000N".
std::string AngleText(int32_t value, char positive, char negative) {
  const double x = std::llabs(value) * 0.001;
  const int degrees = static_cast<int>(x) / 60;
  const double minutes = x - degrees * 60;
  char text[48];
  std::snprintf(text, sizeof text, "%d%06.3f%c", degrees, minutes,
                value < 0 ? negative : positive);
  return text;
}

}  // namespace

int32_t CcaGroupValue(const uint8_t* bytes, int groups) {
  int64_t value = 0;
  for (int i = 0; i < groups; ++i) value = (value << 7) | (bytes[i] & 0x7F);
  if (groups > 0 && (bytes[0] & 0x40)) value -= int64_t{1} << (7 * groups);
  return static_cast<int32_t>(value);
}

size_t CcaPositionFrameLength(const uint8_t* bytes, size_t available) {
  for (size_t end : kPositionEnds) {
    if (end >= available) return 0;
    if (bytes[end] == kCcaEndByte) return end + 1;
  }
  return 0;
}

std::string CcaPositionRecord(const uint8_t* f) {
  const bool noPosition = f[kNoPositionByte] & 1;
  int used = 0;
  for (int i = 0; i < kChannels; ++i)
    if ((f[kFirstChannelStatus + i * kChannelStatusStep] & 3) == 2) ++used;
  std::string record = noPosition ? "#1000,0,0," : "#1000,1," + std::to_string(used) + ",";
  record += AngleText(CcaGroupValue(f + 1, 4), 'N', 'S') + ",";
  record += AngleText(CcaGroupValue(f + 5, 4), 'E', 'W') + ",";
  char text[64];
  std::snprintf(text, sizeof text, "%dM,,,%d/%02d/%02d,", CcaGroupValue(f + 9, 3),
                2000 + f[18], f[19], f[20]);
  return record + text;
}

std::string CcaTimeMarkRecord(const uint8_t* f) {
  const bool valid = f[7] == 0 && f[8] == 1 && f[10] == 0;
  char text[48];
  std::snprintf(text, sizeof text, "#1108,%d,%02d:%02d:%02d,", valid ? 1 : 0, f[4], f[5], f[6]);
  return text;
}
