#pragma once
#include <string>

#include "timekeeping/clock_state.h"

// One line on the PC clock for a run without a window: the last measured
// offset, the frequency correction in force and the source, e.g.
// "時計: 誤差 +0.000012 秒, 周波数補正 -40.123 ppm, 時刻源 1PPS".
std::string ClockStatusLine(const ClockState& state);
