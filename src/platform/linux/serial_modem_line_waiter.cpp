#include "platform/linux/serial_modem_line_waiter.h"

#include <sys/ioctl.h>

int IoctlModemLineWaiter::WaitForDsrChange(int fd) {
  return ioctl(fd, TIOCMIWAIT, TIOCM_DSR) == 0 ? 0 : -1;
}
