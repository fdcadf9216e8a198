#pragma once

// A wait counted in the 100 ms ticks: started when something is awaited,
// counted by each tick, stopped when it came; over once it has run more
// ticks than its limit.
class TickWait {
 public:
  explicit TickWait(int limitTicks, bool running = false) : limit_(limitTicks), running_(running) {}

  void Start() {
    running_ = true;
    ticks_ = 0;
  }
  void Stop() {
    running_ = false;
    ticks_ = 0;
  }
  bool Running() const { return running_; }
  int Ticks() const { return ticks_; }

  // Counts one tick of a running wait. True on the tick the wait runs out;
  // it is then stopped.
  bool Count() {
    if (!running_ || ++ticks_ <= limit_) return false;
    Stop();
    return true;
  }

 private:
  int limit_;
  bool running_ = false;
  int ticks_ = 0;
};
