#include "net/log_rate_limit.h"

void LogRateLimit::Roll(int64_t period) {
  if (period == period_) return;
  heldPast_ += held_;
  held_ = 0;
  written_ = 0;
  period_ = period;
}

bool LogRateLimit::Allow(int64_t period) {
  Roll(period);
  if (written_ < perPeriod_) {
    ++written_;
    return true;
  }
  ++held_;
  return false;
}

uint64_t LogRateLimit::TakeUnlogged(int64_t period) {
  Roll(period);
  const uint64_t n = heldPast_;
  heldPast_ = 0;
  return n;
}
