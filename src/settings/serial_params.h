#pragma once
#include <cstdint>

// Line settings of the receiver port, as indexes into the settings' lists.
struct SerialParams {
  int32_t PortIndex = 0;    // 0..3 = COM1..COM4
  int32_t boudRate = 5;     // index into 110, 300, ... 256k (5 = 4800)
  int32_t dataBits = 1;     // 0 = 7 bits, 1 = 8 bits
  uint8_t parityType = 0;   // None, Even, Odd, Mark, Space
  uint8_t stopBits = 0;     // 1, 1.5, 2
  int32_t flowCntl = 2;     // hardware, Xon/Xoff, none
  bool operator==(const SerialParams&) const = default;
};
