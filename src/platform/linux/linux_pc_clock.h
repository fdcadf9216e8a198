#pragma once
#include <sys/timex.h>
#include <time.h>

#include <atomic>
#include <functional>
#include <optional>

#include "platform/pc_clock.h"

// The program's local time (UTC + zoneSeconds) at a CLOCK_REALTIME instant.
LocalTimeRecord RealtimeToLocalRecord(const timespec& ts, long zoneSeconds);

// The CLOCK_REALTIME instant a record in the program's local time names, with
// extraNanoseconds (0..999999) added below its milliseconds. Empty when the
// record names no time the clock can hold.
std::optional<timespec> LocalRecordToRealtime(const LocalTimeRecord& t,
                                              uint32_t extraNanoseconds, long zoneSeconds);

// The kernel's clock adjustment call (clock_adjtime on CLOCK_REALTIME): its
// result, or -1 with errno. Tests put a recorder in its place, so the host's
// clock is never adjusted by them.
using ClockAdjustCall = std::function<int(timex&)>;
int AdjustRealtimeClock(timex& tx);

// CLOCK_REALTIME shifted by the program's time-zone hours; the system's zone
// is never consulted. Setting and adjusting need CAP_SYS_TIME. The frequency
// is the kernel's (ADJ_FREQUENCY); a slew is the kernel's own single-shot
// adjustment (ADJ_OFFSET_SINGLESHOT, as adjtime() makes it), which the kernel
// carries out at up to 500 us per second without further calls.
class LinuxPcClock : public PcClock {
 public:
  explicit LinuxPcClock(ClockAdjustCall adjust = AdjustRealtimeClock) : adjust_(std::move(adjust)) {}
  void UseTimeZone(int hours) override { zoneSeconds_ = hours * 3600L; }
  LocalTimeRecord GetLocalTime() override;
  double ReadNtpSeconds() override;
  bool SetLocalTime(const LocalTimeRecord& t, uint32_t extraNanoseconds = 0) override;
  bool SetFrequencyPpm(double ppm) override;
  bool Slew(double seconds) override;

 private:
  ClockAdjustCall adjust_;
  // Read by the serial worker at each edge while the main thread may set it.
  std::atomic<long> zoneSeconds_{9 * 3600};
};
