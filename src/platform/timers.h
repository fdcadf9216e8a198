#pragma once
#include <cstdint>
#include <functional>

// Timers on the main loop: one-shot continuations, so work that must wait a
// while is handed to a timer instead of holding up the loop, and repeating
// timers for a steady beat.
class Timers {
 public:
  using Id = uint64_t;
  virtual ~Timers() = default;
  // Runs fn once on the main loop, `ms` milliseconds from now. Never runs it
  // from inside this call. Ids are never 0 and never reused.
  virtual Id Start(int ms, std::function<void()> fn) = 0;
  // Runs fn on the main loop every `ms` milliseconds (at least 1) from now
  // until cancelled; never from inside this call.
  virtual Id StartRepeating(int ms, std::function<void()> fn) = 0;
  // Forgets a timer that has not fired yet, or stops a repeating one (also
  // from inside its own fn); a fired or unknown id is ignored.
  virtual void Cancel(Id id) = 0;
};
