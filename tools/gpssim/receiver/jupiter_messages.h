#pragma once
#include <cstdint>
#include <vector>

#include "receiver/receiver_options.h"

namespace sim {

// Jupiter binary messages as complete frames (sync word, header and data
// checksums). `edge` is the UTC second of the pulse the burst follows.

// 1000 position: the solution of the measurement epoch edge - 1, with its
// UTC date and time; measurements used, latitude and longitude (1e-8 rad),
// height above the ellipsoid and geoid separation (cm), map datum.
std::vector<uint8_t> JupiterPositionFrame(const GeneratorOptions& o, int64_t edge);
// 1002 channel summary: per-channel status, PRN and signal strength.
std::vector<uint8_t> JupiterChannelFrame(const GeneratorOptions& o, int64_t edge);
// 1108 UTC time mark labelling the pulse at edge + 1: UTC seconds of the week
// and the validity word (0xFFFF valid, 0 invalid).
std::vector<uint8_t> JupiterTimeMarkFrame(const GeneratorOptions& o, int64_t edge);

}  // namespace sim
