#pragma once
#include <cstdint>

// Any bit rate, standard or not (14400, 56000, ...), through the kernel's
// termios2 interface. Kept apart from <termios.h>, whose definitions clash
// with the kernel's.

// Sets input and output speed; 0 on success, else the errno value.
int SetSerialLineSpeed(int fd, uint32_t bitsPerSecond);
// Reads the speeds back; false when the device refuses.
bool GetSerialLineSpeed(int fd, uint32_t& inputBps, uint32_t& outputBps);
