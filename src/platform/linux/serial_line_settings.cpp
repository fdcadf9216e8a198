#include "platform/linux/serial_line_settings.h"

#include <cerrno>
#include <iterator>

#include "platform/linux/serial_line_speed.h"

namespace {

constexpr uint32_t kBaudTable[] = {110,   300,   600,   1200,  2400,   4800,  9600,
                                   14400, 19200, 38400, 56000, 128000, 256000};
constexpr int32_t kDefaultBaudIndex = 5;

constexpr cc_t kXon = 0x11;
constexpr cc_t kXoff = 0x13;

}  // namespace

uint32_t SerialBaudForIndex(int32_t index) {
  if (index < 0 || index >= static_cast<int32_t>(std::size(kBaudTable))) index = kDefaultBaudIndex;
  return kBaudTable[index];
}

void ApplySerialParams(const SerialParams& params, struct termios& t) {
  cfmakeraw(&t);
  t.c_iflag &= ~(IXON | IXOFF | IXANY | IGNPAR | PARMRK);
  // Parity is checked whenever the line has parity; with none this is inert.
  t.c_iflag |= INPCK;
  t.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
  t.c_cflag |= CLOCAL | CREAD;

  // Index 0 is seven bits; 1, and anything out of range (default 1), eight.
  t.c_cflag |= params.dataBits == 0 ? CS7 : CS8;

  switch (params.parityType) {
    case 1: t.c_cflag |= PARENB; break;                    // even
    case 2: t.c_cflag |= PARENB | PARODD; break;           // odd
    case 3: t.c_cflag |= PARENB | CMSPAR | PARODD; break;  // mark
    case 4: t.c_cflag |= PARENB | CMSPAR; break;           // space
    default: break;                                        // none
  }

  // Linux has no 1.5 stop bits; two is the nearest that still frames.
  if (params.stopBits == 1 || params.stopBits == 2) t.c_cflag |= CSTOPB;

  switch (params.flowCntl) {
    case 0: t.c_cflag |= CRTSCTS; break;
    case 1:
      t.c_iflag |= IXON | IXOFF;
      t.c_cc[VSTART] = kXon;
      t.c_cc[VSTOP] = kXoff;
      break;
    default: break;  // none
  }

  // Reads are driven by poll on a non-blocking descriptor: return whatever
  // is queued, at least one byte.
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
}

int ConfigureSerialLine(int fd, const SerialParams& params) {
  struct termios t {};
  if (tcgetattr(fd, &t) != 0) return errno;
  ApplySerialParams(params, t);
  if (tcsetattr(fd, TCSANOW, &t) != 0) return errno;
  return SetSerialLineSpeed(fd, SerialBaudForIndex(params.boudRate));
}
