#include "net/answer_rate_limit.h"

#include <algorithm>

namespace {

// A clock that went back refills nothing.
double Refill(double held, double last, double now, double rate, double most) {
  return std::min(most, held + std::max(0.0, now - last) * rate);
}

}  // namespace

uint64_t AnswerRateLimit::PrefixKey(const IpAddress& a) {
  uint64_t key = 0;
  if (!a.v6) {
    for (int i = 0; i < 3; ++i) key = key << 8 | a.bytes[i];
    return key | uint64_t{1} << 63;  // apart from every IPv6 key (56 bits)
  }
  for (int i = 0; i < 7; ++i) key = key << 8 | a.bytes[i];
  return key;
}

AnswerRateLimit::Bucket& AnswerRateLimit::BucketFor(uint64_t key, double now) {
  auto it = buckets_.find(key);
  if (it != buckets_.end()) {
    recent_.splice(recent_.begin(), recent_, it->second.age);
    return it->second;
  }
  if (buckets_.size() >= l_.maxPrefixes && !recent_.empty()) {
    buckets_.erase(recent_.back());
    recent_.pop_back();
  }
  recent_.push_front(key);
  return buckets_.emplace(key, Bucket{l_.burst, now, -1e300, recent_.begin()}).first->second;
}

AnswerRateLimit::Verdict AnswerRateLimit::Allow(const IpAddress& address, double now,
                                                size_t requestBytes, size_t answerBytes) {
  Bucket& b = BucketFor(PrefixKey(address), now);
  b.tokens = Refill(b.tokens, b.last, now, l_.perSecond, l_.burst);
  b.last = now;
  if (b.tokens < 1.0) {
    if (now - b.lastKiss >= 1.0 || now < b.lastKiss) {
      b.lastKiss = now;
      return Verdict::kKiss;
    }
    return Verdict::kDrop;
  }
  if (answerBytes > requestBytes) {
    if (!budgetStarted_) {
      budgetStarted_ = true;
      budgetLast_ = now;
    }
    budget_ = Refill(budget_, budgetLast_, now, l_.largerBytesPerSecond, l_.largerBurstBytes);
    budgetLast_ = now;
    if (budget_ < double(answerBytes)) return Verdict::kDrop;
    budget_ -= double(answerBytes);
  }
  b.tokens -= 1.0;
  return Verdict::kAnswer;
}
