#include "platform/linux/serial_line_speed.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cerrno>

int SetSerialLineSpeed(int fd, uint32_t bitsPerSecond) {
  struct termios2 t {};
  if (ioctl(fd, TCGETS2, &t) != 0) return errno;
  t.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
  t.c_cflag |= BOTHER;
  t.c_ispeed = bitsPerSecond;
  t.c_ospeed = bitsPerSecond;
  if (ioctl(fd, TCSETS2, &t) != 0) return errno;
  return 0;
}

bool GetSerialLineSpeed(int fd, uint32_t& inputBps, uint32_t& outputBps) {
  struct termios2 t {};
  if (ioctl(fd, TCGETS2, &t) != 0) return false;
  inputBps = t.c_ispeed;
  outputBps = t.c_ospeed;
  return true;
}
