#pragma once
#include <cstdint>

// The high-resolution counter and the millisecond tick count.
class Counter {
 public:
  virtual ~Counter() = default;
  // Counts per second; 0 when there is no counter (edges then use TickCountMs).
  virtual uint64_t Frequency() = 0;
  // Low 32 bits of the counter. Safe to call from any thread.
  virtual uint32_t ReadCounter() = 0;
  // Milliseconds since an arbitrary start, low 32 bits. Any thread.
  virtual uint32_t TickCountMs() = 0;
};
