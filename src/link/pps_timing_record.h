#pragma once
#include <cstdint>

#include "link/recent_intervals.h"

// Where the edge timing, the parsers and the per-second time keeping of one
// receiver connection meet. Created with the connection; touched only on the
// main thread.
struct PpsTimingRecord {
  bool ReceptionOk = false;
  bool PpsSeen = false;
  bool PpsArmed = false;
  bool DelayOutOfRange = false;
  bool ReceiverDateKnown = false;
  bool TimeValid = false;
  bool TimeReady = false;
  // This second's time sentence carried a readable time.
  bool TimeRead = false;
  // The receiver's date cannot be true: its time is no time source.
  bool DateRefused = false;
  // The coming second is a leap second, or its label is off by one near one.
  bool LeapSecond = false;
  // The time zone as it was on connect.
  int32_t TimeZone = 9;
  // The receiver's time of the coming edge.
  int32_t LocalHour = 0;
  int32_t UtcHour = 0;
  int32_t Minute = 0;
  int32_t Second = 0;
  int32_t UtcYear = 0;
  int32_t UtcMonth = 0;
  int32_t UtcDay = 0;
  // The seconds of the UTC day (corrected) that the held date goes with.
  int32_t DateTimeOfDay = 0;
  int32_t FixQuality = 0;
  // Edge counter values and interval statistics, in counter units.
  uint32_t EdgeCount = 0;
  uint32_t EdgeInterval = 0;
  uint32_t PrevEdgeCount = 0;
  uint32_t IntervalMax = 0;
  uint32_t IntervalMin = 0;
  uint32_t IntervalStatsLimit = 0;
  uint32_t IntervalCount = 0;
  double IntervalMean = 0;
  double IntervalM2 = 0;
  // The intervals of the statistics, for a window a few wild ones cannot
  // widen (with the frequency loop).
  RecentIntervals Recent;
};
