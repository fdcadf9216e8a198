#pragma once
#include <cstdint>

// Keeps a kind of log line to a few per period (a second, a minute: any
// numbered span of time the caller counts in): lines past the limit are
// counted instead, and the count of a past period is handed out once, for a
// single line that says how many went unwritten.
class LogRateLimit {
 public:
  explicit LogRateLimit(int perPeriod) : perPeriod_(perPeriod) {}

  // True when one more line may be written in this period.
  bool Allow(int64_t period);
  // The lines held back in periods before `period`, handed out once; 0 when
  // there were none.
  uint64_t TakeUnlogged(int64_t period);

 private:
  void Roll(int64_t period);

  int perPeriod_;
  int64_t period_ = INT64_MIN;
  int written_ = 0;
  uint64_t held_ = 0;      // in the current period
  uint64_t heldPast_ = 0;  // in earlier periods, not yet handed out
};
