#pragma once
#include <cstdint>

#include "link/counter_scale.h"
#include "platform/local_time.h"
#include "platform/pc_clock.h"

// The one place that decides whether and how the PC clock is set. The 1PPS
// edge path, the per-second path, "同期" and the network client hand it a
// measured error or a target time; nothing else sets the clock.
class ClockDiscipline {
 public:
  enum class Action { kNone, kStep, kReportFailure };

  // Errors below this are left alone; at or above an hour the error is
  // taken as a wrong time, not a wrong clock, and never acted on.
  static constexpr int64_t kStepAboveMs = 30;
  static constexpr int64_t kFailureAboveMs = 1000;
  static constexpr int64_t kNeverFromMs = 3600000;

  ClockDiscipline(PcClock& clock, const CounterScale& counter) : clock_(clock), counter_(counter) {}

  // The program's local time is UTC plus these hours, here and in the clock.
  void UseTimeZone(int hours);
  int TimeZone() const { return timeZone_; }

  // What to do about errorMs (PC minus reference, ms) measured at `second`
  // of the minute. Only the 5-second marks act: at 0, 10, ... 50 a clock
  // that is off is stepped, at 5, 15, ... 55 one still off by more than a
  // second is reported. "Off" is measured from where a step would put the
  // clock (the reference plus syncOffsetMs), so a clock that sits where the
  // last step put it is left alone. Nothing happens unless `allowed`.
  // Each allowed check at a mark also notes whether the clock is on the
  // reference (see ClockOnReference).
  Action Decide(int second, int64_t errorMs, int32_t syncOffsetMs, bool allowed);

  // Whether the PC clock is known to keep the reference's time: the last
  // allowed check found it no further than kFailureAboveMs from where a step
  // would put it (the error the program does not yet count as a failure),
  // or the last setting succeeded. Forgotten when a receiver connection
  // starts, and after a setting that failed.
  bool ClockOnReference() const { return onReference_; }
  void ForgetClockCheck() { onReference_ = false; }

  // Sets the clock to a UTC time (NTP seconds), with sub-millisecond
  // precision. A time whose local date lies outside the years the program
  // accepts is refused. True when the clock was set.
  bool StepTo(double ntpSeconds);
  // The same for a time that held when `count` was captured: the counter
  // time since then is added at the moment of setting.
  bool StepAtCount(double ntpSeconds, uint32_t count);
  // "同期" offline: to the nearest whole minute of the local time `now`,
  // plus syncParm steps of 100 ms.
  bool SetToWholeMinute(const LocalTimeRecord& now, int syncParm);

 private:
  bool Set(const LocalTimeRecord& local, uint32_t extraNanoseconds);

  PcClock& clock_;
  const CounterScale& counter_;
  int timeZone_ = 9;
  bool onReference_ = false;
};
