#include "net/client_tally.h"

void ClientTally::Note(const std::string& address, double now) {
  const auto it = lastSeen_.find(address);
  if (it != lastSeen_.end()) {
    it->second = now;
    return;
  }
  // A full table is swept at most once a minute: under a flood of new
  // sources each datagram must stay cheap.
  if (lastSeen_.size() >= kMaxTracked && !(now - lastSweep_ < kSweepEverySeconds && now >= lastSweep_)) {
    lastSweep_ = now;
    ForgetOlderThan(now - kWindowSeconds);
  }
  if (lastSeen_.size() >= kMaxTracked) {
    saturated_ = true;
    return;
  }
  saturated_ = false;
  lastSeen_.emplace(address, now);
}

size_t ClientTally::Count(double now) const {
  size_t n = 0;
  for (const auto& [address, seen] : lastSeen_) {
    if (seen >= now - kWindowSeconds) ++n;
  }
  return n;
}

void ClientTally::ForgetOlderThan(double cutoff) {
  for (auto it = lastSeen_.begin(); it != lastSeen_.end();) {
    it = it->second < cutoff ? lastSeen_.erase(it) : std::next(it);
  }
}
