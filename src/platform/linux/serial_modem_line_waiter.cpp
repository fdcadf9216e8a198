#include "platform/linux/serial_modem_line_waiter.h"

#include <linux/serial.h>
#include <sys/ioctl.h>

int IoctlModemLineWaiter::WaitForDsrChange(int fd) {
  return ioctl(fd, TIOCMIWAIT, TIOCM_DSR) == 0 ? 0 : -1;
}

bool IoctlModemLineWaiter::ReadDsrLevel(int fd, bool& asserted) {
  int bits = 0;
  if (ioctl(fd, TIOCMGET, &bits) != 0) return false;
  asserted = (bits & TIOCM_DSR) != 0;
  return true;
}

bool IoctlModemLineWaiter::ReadDsrChangeCount(int fd, uint32_t& count) {
  serial_icounter_struct counts{};
  if (ioctl(fd, TIOCGICOUNT, &counts) != 0) return false;
  count = static_cast<uint32_t>(counts.dsr);
  return true;
}

void DsrLineReader::Start(int fd) {
  counted_ = waiter_.ReadDsrChangeCount(fd, count_);
  bool asserted = false;
  level_ = waiter_.ReadDsrLevel(fd, asserted) && asserted;
}

void DsrLineReader::Read(int fd, EdgeCapture& edge) {
  uint32_t count = 0;
  const bool counted = waiter_.ReadDsrChangeCount(fd, count);
  edge.dsrChanges = counted && counted_ ? count - count_ : 0;
  counted_ = counted;
  count_ = count;
  bool asserted = false;
  if (waiter_.ReadDsrLevel(fd, asserted)) {
    level_ = asserted;
  } else if (edge.dsrChanges % 2 == 1 || edge.dsrChanges == 0) {
    level_ = !level_;
  }
  edge.dsrAsserted = level_;
}
