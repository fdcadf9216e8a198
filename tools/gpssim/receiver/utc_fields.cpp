#include "receiver/utc_fields.h"

#include <chrono>

namespace sim {
namespace {

constexpr int64_t kSecondsPerDay = 86400;
constexpr int64_t kSecondsPerWeek = 7 * kSecondsPerDay;
// 1970-01-01 was a Thursday: four days after the Sunday that starts its week.
constexpr int64_t kEpochSecondsIntoWeek = 4 * kSecondsPerDay;
// 1980-01-06 00:00:00 UTC, the start of GPS week 0.
constexpr int64_t kGpsEpochUnix = 315964800;

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }
int64_t FloorMod(int64_t a, int64_t b) { return a - FloorDiv(a, b) * b; }

}  // namespace

UtcFields BreakDownUtc(int64_t unixSeconds) {
  using namespace std::chrono;
  const int64_t days = FloorDiv(unixSeconds, kSecondsPerDay);
  const int64_t secondOfDay = unixSeconds - days * kSecondsPerDay;
  const year_month_day date{sys_days{std::chrono::days{days}}};
  UtcFields f;
  f.year = static_cast<int>(date.year());
  f.month = static_cast<int>(static_cast<unsigned>(date.month()));
  f.day = static_cast<int>(static_cast<unsigned>(date.day()));
  f.hour = static_cast<int>(secondOfDay / 3600);
  f.minute = static_cast<int>(secondOfDay / 60 % 60);
  f.second = static_cast<int>(secondOfDay % 60);
  return f;
}

int32_t UtcSecondsOfWeek(int64_t unixSeconds) {
  return static_cast<int32_t>(FloorMod(unixSeconds + kEpochSecondsIntoWeek, kSecondsPerWeek));
}

int GpsWeek(int64_t unixSeconds) {
  return static_cast<int>(
      FloorDiv(unixSeconds - kGpsEpochUnix + kGpsUtcLeapSeconds, kSecondsPerWeek));
}

int32_t GpsSecondsOfWeek(int64_t unixSeconds) {
  return static_cast<int32_t>(
      FloorMod(unixSeconds - kGpsEpochUnix + kGpsUtcLeapSeconds, kSecondsPerWeek));
}

}  // namespace sim
