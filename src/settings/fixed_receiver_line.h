#pragma once
#include <cstdint>

#include "settings/serial_params.h"

// A receiver kind with a fixed line (every kind but "その他") puts its own
// second correction into `dSec` and its line into `serial`: 4800 baud, 8 data
// bits, no parity, the kind's stop bits, no flow control; the port index
// stays. Whatever they held before is replaced. Returns whether the kind has
// a fixed line; a kind without one leaves both as they are.
bool ApplyFixedReceiverLine(int32_t kind, int32_t& dSec, SerialParams& serial);
