#pragma once
#include "platform/pc_clock.h"

// CLOCK_REALTIME through the system time zone. Setting needs CAP_SYS_TIME.
class LinuxPcClock : public PcClock {
 public:
  LocalTimeRecord GetLocalTime() override;
  bool SetLocalTime(const LocalTimeRecord& t, uint32_t extraNanoseconds = 0) override;
};
