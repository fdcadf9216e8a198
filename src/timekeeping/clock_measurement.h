#pragma once
#include <cstdint>

#include "platform/local_time.h"

// Where a time the PC clock is measured against or set to comes from.
enum class ClockSource { kNone, kPps, kSentences, kServer, kUser };

// One measurement of the PC clock against a time source: both times as they
// held when `count` was captured.
struct ClockMeasurement {
  ClockSource source = ClockSource::kNone;
  double reference = 0;    // the source's time, NTP seconds (UTC)
  double pc = 0;           // the PC clock at the same moment
  uint32_t count = 0;
  double uncertainty = 0;  // how far `reference` may be off (one standard deviation, seconds)
  int second = 0;          // the source's second of the minute: the marks act
  // The source's time of this second may be trusted: read in this second,
  // with a time-synchronised fix, a true date, and not a leap second.
  bool usable = false;
  LocalTimeRecord stamp;   // the source's local time, for the log lines it causes

  // PC minus source, whole milliseconds (truncated toward zero).
  int64_t ErrorMs() const { return static_cast<int64_t>((pc - reference) * 1000.0); }
};

// A setting of the PC clock: the time set and the count it held at.
struct ClockStep {
  double target = 0;
  uint32_t count = 0;
  ClockSource source = ClockSource::kNone;
};

// One measurement the clock discipline took, as the error history keeps it.
struct ClockMeasurementPoint {
  double pcTime = 0;        // the PC clock at the measurement, NTP seconds
  double error = 0;         // PC minus source, sync adjustment taken off (s)
  double uncertainty = 0;   // of `error` (one standard deviation, seconds)
  ClockSource source = ClockSource::kNone;
  double frequencyPpm = 0;  // the frequency correction in force
  bool stepped = false;     // the clock was stepped on this measurement
};
