#pragma once
#include <cstdint>
#include <vector>

#include "receiver/receiver_options.h"

namespace sim {

// CCA-370H output frames: a lead byte, data bytes of 7 bits each, and the end
// byte 0xDA. `edge` is the UTC second of the pulse the burst follows.

// 0xC6 position frame, 81 bytes: the solution of edge - 1 with its date;
// latitude and longitude in 0.001 minute of arc (four 7-bit groups), height
// in metres above mean sea level (three groups), eight channel blocks.
std::vector<uint8_t> CcaPositionFrame(const GeneratorOptions& o, int64_t edge);
// 0xC0 time-mark frame, 28 bytes, labelling the pulse at edge + 1.
std::vector<uint8_t> CcaTimeMarkFrame(const GeneratorOptions& o, int64_t edge);

}  // namespace sim
