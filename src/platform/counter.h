#pragma once
#include <cstdint>

// Whether a counter of this frequency can time the edges: one whose 32-bit
// value would wrap more than once a second, or that does not exist
// (frequency 0), cannot, and the millisecond tick count is used instead. The
// core and the serial adapter both ask this, so they always agree.
inline bool CounterTimesEdges(uint64_t frequency) {
  return frequency != 0 && frequency <= 0xFFFFFFFFull;
}

// The high-resolution counter and the millisecond tick count.
class Counter {
 public:
  virtual ~Counter() = default;
  // Counts per second; 0 when there is no counter.
  virtual uint64_t Frequency() = 0;
  // Low 32 bits of the counter. Safe to call from any thread.
  virtual uint32_t ReadCounter() = 0;
  // Milliseconds since an arbitrary start, low 32 bits. Any thread.
  virtual uint32_t TickCountMs() = 0;
};
