#pragma once
#include <time.h>

#include <atomic>
#include <optional>

#include "platform/pc_clock.h"

// The program's local time (UTC + zoneSeconds) at a CLOCK_REALTIME instant.
LocalTimeRecord RealtimeToLocalRecord(const timespec& ts, long zoneSeconds);

// The CLOCK_REALTIME instant a record in the program's local time names, with
// extraNanoseconds (0..999999) added below its milliseconds. Empty when the
// record names no time the clock can hold.
std::optional<timespec> LocalRecordToRealtime(const LocalTimeRecord& t,
                                              uint32_t extraNanoseconds, long zoneSeconds);

// CLOCK_REALTIME shifted by the program's time-zone hours; the system's zone
// is never consulted. Setting needs CAP_SYS_TIME.
class LinuxPcClock : public PcClock {
 public:
  void UseTimeZone(int hours) override { zoneSeconds_ = hours * 3600L; }
  LocalTimeRecord GetLocalTime() override;
  double ReadNtpSeconds() override;
  bool SetLocalTime(const LocalTimeRecord& t, uint32_t extraNanoseconds = 0) override;

 private:
  // Read by the serial worker at each edge while the main thread may set it.
  std::atomic<long> zoneSeconds_{9 * 3600};
};
