#include "net/client_census.h"

void ClientCensus::Forget(double now) {
  lastForget_ = now;
  for (auto it = lastSeen_.begin(); it != lastSeen_.end();) {
    // A clock that went back keeps nothing in the future.
    if (now - it->second > kWindowSeconds || it->second > now + 1) {
      it = lastSeen_.erase(it);
    } else {
      ++it;
    }
  }
}

void ClientCensus::Note(const std::string& address, double now) {
  auto it = lastSeen_.find(address);
  if (it != lastSeen_.end()) {
    it->second = now;
    return;
  }
  // A sweep at most once a minute keeps a flood of new addresses cheap.
  if (lastSeen_.size() >= kMaxKept && now - lastForget_ >= 60) Forget(now);
  if (lastSeen_.size() < kMaxKept) lastSeen_.emplace(address, now);
}

size_t ClientCensus::DistinctInLastHour(double now) {
  Forget(now);
  return lastSeen_.size();
}
