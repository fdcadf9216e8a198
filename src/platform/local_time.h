#pragma once
#include <cstdint>

// The system's local time record, as the clock is read and set with it.
struct LocalTimeRecord {
  uint16_t Year = 0;
  uint16_t Month = 0;      // 1..12
  uint16_t DayOfWeek = 0;  // 0 = Sunday
  uint16_t Day = 0;
  uint16_t Hour = 0;
  uint16_t Minute = 0;
  uint16_t Second = 0;
  uint16_t Milliseconds = 0;
  bool operator==(const LocalTimeRecord&) const = default;
};
