#include "link/recent_intervals.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

uint32_t MedianOf(std::vector<uint32_t>& v) {
  if (v.empty()) return 0;
  const auto mid = v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2);
  std::nth_element(v.begin(), mid, v.end());
  return *mid;
}

}  // namespace

void RecentIntervals::Add(uint32_t interval) {
  values_[next_] = interval;
  next_ = (next_ + 1) % kCapacity;
  if (count_ < kCapacity) ++count_;
}

uint32_t RecentIntervals::Median() const {
  std::vector<uint32_t> v(values_, values_ + count_);
  return MedianOf(v);
}

uint32_t RecentIntervals::MedianAbsoluteDeviation() const {
  const uint32_t median = Median();
  std::vector<uint32_t> d(count_);
  for (size_t i = 0; i < count_; ++i) {
    d[i] = values_[i] > median ? values_[i] - median : median - values_[i];
  }
  return MedianOf(d);
}

bool RobustIntervalBounds(const RecentIntervals& recent, uint32_t counterFrequency,
                          IntervalBounds& bounds) {
  if (recent.Count() < 16 || counterFrequency == 0) return false;
  const double median = recent.Median();
  const double spread = 1.4826 * recent.MedianAbsoluteDeviation();
  const double floor = kWakeUpResolution * counterFrequency + 2;
  const double half = std::max(5 * spread, floor);
  if (!(half < median)) return false;
  bounds.min = static_cast<uint32_t>(median - half);
  bounds.max = static_cast<uint32_t>(std::min(median + half, 4294967295.0));
  return true;
}
