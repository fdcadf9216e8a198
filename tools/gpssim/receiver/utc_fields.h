#pragma once
#include <cstdint>

namespace sim {

// A UTC instant broken into the calendar fields that receivers report.
struct UtcFields {
  int year = 1970;
  int month = 1;  // 1..12
  int day = 1;    // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
};

UtcFields BreakDownUtc(int64_t unixSeconds);

// Seconds since the start of the UTC week (Sunday 00:00:00), 0..604799.
int32_t UtcSecondsOfWeek(int64_t unixSeconds);

// GPS week number and seconds of the GPS week, with a fixed GPS-UTC offset
// (kGpsUtcLeapSeconds). Receivers report these for information only.
constexpr int kGpsUtcLeapSeconds = 18;
int GpsWeek(int64_t unixSeconds);
int32_t GpsSecondsOfWeek(int64_t unixSeconds);

}  // namespace sim
