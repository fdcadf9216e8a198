#pragma once
#include <string>

// A per-user lock by name that the system releases when the process dies:
// an exclusive flock on a file in $XDG_RUNTIME_DIR (else /tmp).
class FlockInstanceLock {
 public:
  explicit FlockInstanceLock(const std::string& name);
  ~FlockInstanceLock();
  FlockInstanceLock(const FlockInstanceLock&) = delete;
  FlockInstanceLock& operator=(const FlockInstanceLock&) = delete;
  // False when another process holds the lock.
  bool Acquired() const { return acquired_; }

 private:
  int fd_ = -1;
  bool acquired_ = false;
};
