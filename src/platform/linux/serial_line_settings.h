#pragma once
#include <termios.h>

#include <cstdint>

#include "platform/serial_port.h"

// Bits per second for a baud index 0..12 (110 ... 256000); 4800 for an index
// outside the table.
uint32_t SerialBaudForIndex(int32_t index);

// Turns t into a raw line with the data bits, parity, stop bits and flow
// control of params. Leaves the speed alone (see serial_line_speed.h). An
// index outside its list gives that list's default.
void ApplySerialParams(const SerialParams& params, struct termios& t);

// Reads the line's settings, applies params and the speed, and writes them
// back. 0 on success, else the errno value of the refusal.
int ConfigureSerialLine(int fd, const SerialParams& params);
