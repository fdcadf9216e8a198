#include "platform/linux/flock_instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>

FlockInstanceLock::FlockInstanceLock(const std::string& name) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && *runtime) {
    fd_ = open((std::string(runtime) + "/" + name + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  }
  if (fd_ < 0) {
    const std::string path = "/tmp/" + name + "-" + std::to_string(getuid()) + ".lock";
    fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  }
  // Without any place for the lock the program still runs: refusing to start
  // would be worse than a second copy.
  acquired_ = fd_ < 0 || flock(fd_, LOCK_EX | LOCK_NB) == 0;
}

FlockInstanceLock::~FlockInstanceLock() {
  if (fd_ >= 0) close(fd_);
}
