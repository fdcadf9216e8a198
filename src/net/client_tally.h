#pragma once
#include <cstddef>
#include <string>
#include <unordered_map>

// The distinct client addresses served in the last hour, for the status
// report. The table is bounded, so a flood of forged sources cannot grow
// it: once full of addresses from within the hour, further new ones are
// not tracked and the count says it is a lower bound.
class ClientTally {
 public:
  static constexpr size_t kMaxTracked = 4096;
  static constexpr double kWindowSeconds = 3600;

  // A request from `address` was served at `now` (seconds, any steady scale).
  void Note(const std::string& address, double now);
  // The addresses seen within the hour before `now`.
  size_t Count(double now) const;
  // Whether new addresses were left out since the table last had room.
  bool Saturated() const { return saturated_; }

 private:
  void ForgetOlderThan(double cutoff);

  static constexpr double kSweepEverySeconds = 60;

  std::unordered_map<std::string, double> lastSeen_;
  bool saturated_ = false;
  double lastSweep_ = 0;
};
