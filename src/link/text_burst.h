#pragma once
#include <cstddef>

#include "platform/serial_port.h"

// A stretch of the received text and the burst it came in: the offset of its
// first record, and the moment the burst's first bytes arrived (the counter
// and the PC clock, read on the reader side). Without 1PPS the start of the
// burst that carries the time sentence is what marks the second.
struct TextBurst {
  size_t offset = 0;
  CounterCapture start;
};
