#include "platform/linux/linux_counter.h"

#include <ctime>

namespace {
uint64_t Nanoseconds(clockid_t clock) {
  timespec ts{};
  clock_gettime(clock, &ts);
  return static_cast<uint64_t>(ts.tv_sec) * 1'000'000'000ull + static_cast<uint64_t>(ts.tv_nsec);
}
}  // namespace

uint32_t LinuxCounter::ReadCounter() {
  return static_cast<uint32_t>(Nanoseconds(CLOCK_MONOTONIC_RAW) / 100);
}

uint32_t LinuxCounter::TickCountMs() {
  return static_cast<uint32_t>(Nanoseconds(CLOCK_MONOTONIC) / 1'000'000);
}
