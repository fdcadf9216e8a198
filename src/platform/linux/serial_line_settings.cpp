#include "platform/linux/serial_line_settings.h"

#include <cerrno>

#include "platform/linux/serial_line_speed.h"

namespace {

constexpr cc_t kXon = 0x11;
constexpr cc_t kXoff = 0x13;

}  // namespace

void ApplySerialLine(const SerialLine& line, struct termios& t) {
  cfmakeraw(&t);
  t.c_iflag &= ~(IXON | IXOFF | IXANY | IGNPAR | PARMRK);
  // Parity is checked whenever the line has parity; with none this is inert.
  t.c_iflag |= INPCK;
  t.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
  t.c_cflag |= CLOCAL | CREAD;

  t.c_cflag |= line.dataBits == 7 ? CS7 : CS8;

  switch (line.parity) {
    case SerialParity::Even: t.c_cflag |= PARENB; break;
    case SerialParity::Odd: t.c_cflag |= PARENB | PARODD; break;
    case SerialParity::Mark: t.c_cflag |= PARENB | CMSPAR | PARODD; break;
    case SerialParity::Space: t.c_cflag |= PARENB | CMSPAR; break;
    case SerialParity::None: break;
  }

  // Linux has no 1.5 stop bits; two is the nearest that still frames.
  if (line.stopBits != SerialStopBits::One) t.c_cflag |= CSTOPB;

  switch (line.flow) {
    case SerialFlowControl::Hardware: t.c_cflag |= CRTSCTS; break;
    case SerialFlowControl::XonXoff:
      t.c_iflag |= IXON | IXOFF;
      t.c_cc[VSTART] = kXon;
      t.c_cc[VSTOP] = kXoff;
      break;
    case SerialFlowControl::None: break;
  }

  // Reads are driven by poll on a non-blocking descriptor: return whatever
  // is queued, at least one byte.
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
}

int ConfigureSerialLine(int fd, const SerialLine& line) {
  struct termios t {};
  if (tcgetattr(fd, &t) != 0) return errno;
  ApplySerialLine(line, t);
  if (tcsetattr(fd, TCSANOW, &t) != 0) return errno;
  return SetSerialLineSpeed(fd, line.baud);
}
