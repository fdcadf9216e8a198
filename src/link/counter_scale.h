#pragma once
#include <cstdint>

#include "platform/counter.h"

// How edges are timed: with the counter at its (calibrated) frequency, or,
// without a usable counter, with the millisecond tick count. It outlives the
// connections, so a calibration is kept for the next one.
class CounterScale {
 public:
  explicit CounterScale(Counter& counter) : counter_(counter) {
    const uint64_t frequency = counter.Frequency();
    if (CounterTimesEdges(frequency)) Calibrate(static_cast<uint32_t>(frequency));
  }

  // Counts per second; 0 = edges are timed with the ms tick count.
  uint32_t CounterFrequency() const { return frequency_; }
  // The counter frequency measured against the 1PPS.
  void Calibrate(uint32_t frequency) {
    frequency_ = frequency;
    period_ = frequency != 0 ? 1.0 / frequency : 0.001;
  }

  // The count now, in the units edges are captured in.
  uint32_t Now() const { return frequency_ != 0 ? counter_.ReadCounter() : counter_.TickCountMs(); }
  // Seconds from a captured count to now; one wrap of the 32 bits is allowed.
  double SecondsSince(uint32_t count) const { return SecondsBetween(count, Now()); }
  double SecondsBetween(uint32_t from, uint32_t to) const {
    return static_cast<uint32_t>(to - from) * period_;
  }

 private:
  Counter& counter_;
  uint32_t frequency_ = 0;
  double period_ = 0.001;
};
