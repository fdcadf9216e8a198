#pragma once
#include <cstddef>
#include <string>
#include <unordered_map>

// The distinct client addresses served within the last hour. At most
// kMaxKept are remembered (forged sources must not grow it without end);
// past that the count says "at least".
class ClientCensus {
 public:
  static constexpr double kWindowSeconds = 3600;
  static constexpr size_t kMaxKept = 8192;

  void Note(const std::string& address, double now);
  // Distinct addresses noted within the hour before `now`.
  size_t DistinctInLastHour(double now);

 private:
  void Forget(double now);
  std::unordered_map<std::string, double> lastSeen_;
  double lastForget_ = -1e300;
};
