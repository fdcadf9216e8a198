#include "receiver/nmea_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace sim {
namespace {

std::string Angle(double degrees, bool threeDigitDegrees, int minuteDecimals, char positive,
                  char negative) {
  minuteDecimals = std::clamp(minuteDecimals, 0, 9);
  int64_t scale = 1;
  for (int i = 0; i < minuteDecimals; ++i) scale *= 10;
  // Work in whole units of the last decimal so rounding carries into the
  // minutes and degrees.
  const int64_t units = std::llround(std::fabs(degrees) * 60.0 * static_cast<double>(scale));
  const int whole = static_cast<int>(units / (60 * scale));
  const int minutes = static_cast<int>(units / scale % 60);
  char text[32];
  std::snprintf(text, sizeof text, threeDigitDegrees ? "%03d%02d" : "%02d%02d", whole % 1000,
                minutes);
  std::string s = text;
  if (minuteDecimals > 0) {
    const std::string fraction = std::to_string(units % scale);
    s += '.' + std::string(static_cast<size_t>(minuteDecimals) - fraction.size(), '0') + fraction;
  }
  s += ',';
  s += degrees < 0 ? negative : positive;
  return s;
}

}  // namespace

uint8_t NmeaChecksum(std::string_view body) {
  uint8_t sum = 0;
  for (char c : body) sum ^= static_cast<uint8_t>(c);
  return sum;
}

std::string NmeaSentence(std::string_view body) {
  char tail[8];
  std::snprintf(tail, sizeof tail, "*%02X\r\n", NmeaChecksum(body));
  std::string s;
  s.reserve(body.size() + 6);
  s += '$';
  s += body;
  s += tail;
  return s;
}

std::string NmeaLatitude(double degrees, int minuteDecimals) {
  return Angle(degrees, false, minuteDecimals, 'N', 'S');
}

std::string NmeaLongitude(double degrees, int minuteDecimals) {
  return Angle(degrees, true, minuteDecimals, 'E', 'W');
}

std::string NmeaTime(const UtcFields& t, int decimals) {
  char text[24];
  std::snprintf(text, sizeof text, "%02d%02d%02d", t.hour, t.minute, t.second);
  std::string s = text;
  if (decimals > 0) s += '.' + std::string(static_cast<size_t>(decimals), '0');
  return s;
}

std::string NmeaDate(const UtcFields& t) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d%02d%02d", t.day, t.month, t.year % 100);
  return text;
}

}  // namespace sim
