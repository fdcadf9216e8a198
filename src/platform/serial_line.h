#pragma once
#include <cstdint>

// How the receiver line is framed and paced, as the port opens it.
enum class SerialParity : uint8_t { None, Even, Odd, Mark, Space };
enum class SerialStopBits : uint8_t { One, OneAndHalf, Two };
enum class SerialFlowControl : uint8_t { Hardware, XonXoff, None };

struct SerialLine {
  int32_t portIndex = 0;     // 0..3 = COM1..COM4
  uint32_t baud = 4800;      // bits per second
  uint8_t dataBits = 8;      // 7 or 8
  SerialParity parity = SerialParity::None;
  SerialStopBits stopBits = SerialStopBits::One;
  SerialFlowControl flow = SerialFlowControl::None;
  bool operator==(const SerialLine&) const = default;
};
