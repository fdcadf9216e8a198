#pragma once
#include <cstddef>
#include <cstdint>

// The latest 1PPS intervals (counter units), for a window that a few wild
// ones cannot widen: their median and median absolute deviation.
class RecentIntervals {
 public:
  static constexpr size_t kCapacity = 512;
  void Add(uint32_t interval);
  void Clear() { count_ = next_ = 0; }
  size_t Count() const { return count_; }
  // Both 0 while empty.
  uint32_t Median() const;
  uint32_t MedianAbsoluteDeviation() const;

 private:
  uint32_t values_[kCapacity] = {};
  size_t count_ = 0;
  size_t next_ = 0;
};

// The acceptance window of the intervals from the recent ones: the median
// plus and minus five robust standard deviations (1.4826 MAD), and never
// narrower than the wake-up of the edge worker and the counter can be
// trusted to: kWakeUpResolution and two counts either side. True when it
// could be worked out (enough intervals).
struct IntervalBounds {
  uint32_t min = 0, max = 0;
};
constexpr double kWakeUpResolution = 100e-6;  // seconds
bool RobustIntervalBounds(const RecentIntervals& recent, uint32_t counterFrequency,
                          IntervalBounds& bounds);
