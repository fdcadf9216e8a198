#pragma once
#include "platform/local_time.h"

// The PC's wall clock in the program's own local time: UTC plus the hours of
// the time-zone setting. The system's zone and its summer time never enter,
// so the shown time, the measured error and every setting of the clock agree
// with the program's conversions whatever zone the system is in.
class PcClock {
 public:
  virtual ~PcClock() = default;
  // Local time from now on is UTC + hours (the setting `TimeZone`). Safe to
  // call while other threads read the clock.
  virtual void UseTimeZone(int hours) = 0;
  // Safe to call from any thread: the serial worker reads it at each edge.
  virtual LocalTimeRecord GetLocalTime() = 0;
  // The time now as seconds since 1900-01-01 00:00 UTC, at the clock's full
  // resolution (the time server reads it without a receiver). Any thread.
  virtual double ReadNtpSeconds() = 0;
  // Sets the clock to the record plus extraNanoseconds (0..999999), which lets
  // the edge path set it with more precision than the record's milliseconds.
  // Returns false when the system refused (no right to set the clock); callers
  // do not report that, the remaining error shows it.
  virtual bool SetLocalTime(const LocalTimeRecord& t, uint32_t extraNanoseconds = 0) = 0;

  // The clock's rate from now on is corrected by `ppm` parts per million
  // (positive: it runs faster), bounded to +-kMaxFrequencyPpm. False when the
  // system refused (no right to adjust the clock), as for a setting. A clock
  // that cannot be adjusted at all refuses both.
  virtual bool SetFrequencyPpm(double /*ppm*/) { return false; }
  // The clock gains `seconds` (loses, when negative) gradually, at most
  // kMaxSlewRate of its rate, by itself: no further call ends the slew. A new
  // slew replaces what is left of the one before, and a setting ends it. At
  // most +-kMaxSlewSeconds. False when the system refused.
  virtual bool Slew(double /*seconds*/) { return false; }

  static constexpr double kMaxFrequencyPpm = 500;
  static constexpr double kMaxSlewRate = 500e-6;
  static constexpr double kMaxSlewSeconds = 0.5;
};
