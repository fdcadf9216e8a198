#include "net/log_rate_limit.h"

void LogRateLimit::Roll(int64_t second) {
  if (second == second_) return;
  heldPast_ += held_;
  held_ = 0;
  written_ = 0;
  second_ = second;
}

bool LogRateLimit::Allow(int64_t second) {
  Roll(second);
  if (written_ < perSecond_) {
    ++written_;
    return true;
  }
  ++held_;
  return false;
}

uint64_t LogRateLimit::TakeUnlogged(int64_t second) {
  Roll(second);
  const uint64_t n = heldPast_;
  heldPast_ = 0;
  return n;
}
