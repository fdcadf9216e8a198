#pragma once
#include <cstdint>
#include <string>

// The device behind COM1..COM4 (port index 0..3): /dev/ttyS0../dev/ttyS3, or
// the device named by QUOR_COM1..QUOR_COM4 (a USB receiver, a simulator's
// pseudo-terminal). Empty for an index outside 0..3.
std::string SerialDevicePath(int32_t portIndex);
