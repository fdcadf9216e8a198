#include "net/answer_rate_limit.h"

#include <algorithm>

double AnswerRateLimit::Refilled(const Bucket& b, double now) const {
  // A clock that went back refills nothing.
  const double elapsed = std::max(0.0, now - b.last);
  return std::min(burst_, b.tokens + elapsed * perSecond_);
}

bool AnswerRateLimit::MakeRoom(double now) {
  for (auto it = buckets_.begin(); it != buckets_.end(); ++it) {
    if (Refilled(it->second, now) >= burst_) {
      buckets_.erase(it);
      return true;
    }
  }
  return false;
}

bool AnswerRateLimit::Allow(const std::string& address, double now) {
  auto it = buckets_.find(address);
  if (it == buckets_.end()) {
    if (buckets_.size() >= maxAddresses_ && !MakeRoom(now)) return false;
    it = buckets_.emplace(address, Bucket{burst_, now}).first;
  }
  Bucket& b = it->second;
  b.tokens = Refilled(b, now);
  b.last = now;
  if (b.tokens < 1.0) return false;
  b.tokens -= 1.0;
  return true;
}
