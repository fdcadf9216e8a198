#pragma once
#include <termios.h>

#include "platform/serial_line.h"

// Turns t into a raw line with the data bits, parity, stop bits and flow
// control of line. Leaves the speed alone (see serial_line_speed.h).
void ApplySerialLine(const SerialLine& line, struct termios& t);

// Reads the line's settings, applies line and its speed, and writes them
// back. 0 on success, else the errno value of the refusal.
int ConfigureSerialLine(int fd, const SerialLine& line);
