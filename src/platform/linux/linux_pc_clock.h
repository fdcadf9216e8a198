#pragma once
#include <atomic>

#include "platform/pc_clock.h"

// CLOCK_REALTIME shifted by the program's time-zone hours; the system's zone
// is never consulted. Setting needs CAP_SYS_TIME.
class LinuxPcClock : public PcClock {
 public:
  void UseTimeZone(int hours) override { zoneSeconds_ = hours * 3600; }
  LocalTimeRecord GetLocalTime() override;
  bool SetLocalTime(const LocalTimeRecord& t, uint32_t extraNanoseconds = 0) override;

 private:
  // Read by the serial worker at each edge while the main thread may set it.
  std::atomic<long> zoneSeconds_{9 * 3600};
};
