#pragma once
#include <cstdint>
#include <functional>

// One-shot continuations on the main loop: work that must wait a while is
// handed to a timer instead of holding up the loop.
class Timers {
 public:
  using Id = uint64_t;
  virtual ~Timers() = default;
  // Runs fn once on the main loop, `ms` milliseconds from now. Never runs it
  // from inside this call. Ids are never 0 and never reused.
  virtual Id Start(int ms, std::function<void()> fn) = 0;
  // Forgets a timer that has not fired yet; a fired or unknown id is ignored.
  virtual void Cancel(Id id) = 0;
};
