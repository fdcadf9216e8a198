#pragma once
#include <cstdint>

// Keeps a kind of log line to a few a second: lines past the limit are
// counted instead, and the count of a past second is handed out once, for a
// single line that says how many went unwritten.
class LogRateLimit {
 public:
  explicit LogRateLimit(int perSecond) : perSecond_(perSecond) {}

  // True when one more line may be written in this second.
  bool Allow(int64_t second);
  // The lines held back in seconds before `second`, handed out once; 0 when
  // there were none.
  uint64_t TakeUnlogged(int64_t second);

 private:
  void Roll(int64_t second);

  int perSecond_;
  int64_t second_ = INT64_MIN;
  int written_ = 0;
  uint64_t held_ = 0;      // in the current second
  uint64_t heldPast_ = 0;  // in earlier seconds, not yet handed out
};
