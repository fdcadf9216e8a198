#include "app/serial_line_for.h"

#include <iterator>

namespace {

constexpr uint32_t kBaudTable[] = {110,   300,   600,   1200,  2400,   4800,  9600,
                                   14400, 19200, 38400, 56000, 128000, 256000};
constexpr int32_t kDefaultBaudIndex = 5;

uint32_t BaudForIndex(int32_t index) {
  if (index < 0 || index >= static_cast<int32_t>(std::size(kBaudTable))) index = kDefaultBaudIndex;
  return kBaudTable[index];
}

SerialParity ParityForIndex(uint8_t index) {
  switch (index) {
    case 1: return SerialParity::Even;
    case 2: return SerialParity::Odd;
    case 3: return SerialParity::Mark;
    case 4: return SerialParity::Space;
    default: return SerialParity::None;
  }
}

SerialStopBits StopBitsForIndex(uint8_t index) {
  switch (index) {
    case 1: return SerialStopBits::OneAndHalf;
    case 2: return SerialStopBits::Two;
    default: return SerialStopBits::One;
  }
}

SerialFlowControl FlowForIndex(int32_t index) {
  switch (index) {
    case 0: return SerialFlowControl::Hardware;
    case 1: return SerialFlowControl::XonXoff;
    default: return SerialFlowControl::None;
  }
}

}  // namespace

SerialLine SerialLineFor(const SerialParams& params, int32_t portIndex) {
  SerialLine line;
  line.portIndex = portIndex;
  line.baud = BaudForIndex(params.boudRate);
  // Index 0 is seven bits; 1, and anything out of range (default 1), eight.
  line.dataBits = params.dataBits == 0 ? 7 : 8;
  line.parity = ParityForIndex(params.parityType);
  line.stopBits = StopBitsForIndex(params.stopBits);
  line.flow = FlowForIndex(params.flowCntl);
  return line;
}
