#include "platform/linux/flock_instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>

FlockInstanceLock::FlockInstanceLock(const std::string& name) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  const std::string path = runtime && *runtime
                               ? std::string(runtime) + "/" + name + ".lock"
                               : "/tmp/" + name + "-" + std::to_string(getuid()) + ".lock";
  fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  acquired_ = fd_ >= 0 && flock(fd_, LOCK_EX | LOCK_NB) == 0;
}

FlockInstanceLock::~FlockInstanceLock() {
  if (fd_ >= 0) close(fd_);
}
