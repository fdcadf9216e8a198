#pragma once

// Blocks until the DSR line changes. Like the ioctl it stands for, the wait
// has no time-out; a signal delivered to the waiting thread (installed
// without SA_RESTART) ends it with EINTR.
class ModemLineWaiter {
 public:
  virtual ~ModemLineWaiter() = default;
  // 0 on a change; -1 with errno set otherwise (EINTR, ENOTTY, EIO, ...).
  virtual int WaitForDsrChange(int fd) = 0;
};

// The real wait: ioctl TIOCMIWAIT on TIOCM_DSR.
class IoctlModemLineWaiter : public ModemLineWaiter {
 public:
  int WaitForDsrChange(int fd) override;
};
