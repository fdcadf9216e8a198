#pragma once
#include "platform/counter.h"

// The counter is CLOCK_MONOTONIC_RAW in 100 ns units (10 MHz); the tick count
// is CLOCK_MONOTONIC in milliseconds.
class LinuxCounter : public Counter {
 public:
  uint64_t Frequency() override { return 10'000'000; }
  uint32_t ReadCounter() override;
  uint32_t TickCountMs() override;
};
