#pragma once
#include <cstdint>

#include "platform/serial_port.h"

// The DSR line of an open device: the wait for its changes, its level and the
// driver's count of its changes. Like the ioctl it stands for, the wait has
// no time-out; a signal delivered to the waiting thread (installed without
// SA_RESTART) ends it with EINTR.
class ModemLineWaiter {
 public:
  virtual ~ModemLineWaiter() = default;
  // 0 on a change; -1 with errno set otherwise (EINTR, ENOTTY, EIO, ...).
  virtual int WaitForDsrChange(int fd) = 0;
  // The line's level now (true: asserted); false when the device cannot tell.
  virtual bool ReadDsrLevel(int fd, bool& asserted) = 0;
  // The DSR changes the driver has counted since the device was opened;
  // false when it cannot tell.
  virtual bool ReadDsrChangeCount(int fd, uint32_t& count) = 0;
};

// The real calls: ioctl TIOCMIWAIT on TIOCM_DSR, TIOCMGET and TIOCGICOUNT.
class IoctlModemLineWaiter : public ModemLineWaiter {
 public:
  int WaitForDsrChange(int fd) override;
  bool ReadDsrLevel(int fd, bool& asserted) override;
  bool ReadDsrChangeCount(int fd, uint32_t& count) override;
};

// What the DSR worker reads right after it has captured the counter and the
// clock at a wake-up: the level, and the changes counted since its previous
// wake-up. A change that came while the worker was awake did not end the
// wait, but it is in the count. A level that cannot be read follows from
// the count, or without one is taken as changed once since the last one.
class DsrLineReader {
 public:
  explicit DsrLineReader(ModemLineWaiter& waiter) : waiter_(waiter) {}
  // Before the first wait: where the count and the level start.
  void Start(int fd);
  // After a wake-up: fills edge.dsrAsserted and edge.dsrChanges.
  void Read(int fd, EdgeCapture& edge);

 private:
  ModemLineWaiter& waiter_;
  bool counted_ = false;
  uint32_t count_ = 0;
  bool level_ = false;
};
