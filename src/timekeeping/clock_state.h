#pragma once

#include "timekeeping/clock_measurement.h"

// What is known of the PC clock: whether it keeps a time source's time, the
// source, how well (the uncertainty of the source's measurements), and when
// it was last found on it. One steady state: a check finds the clock on its
// source when the error is within what a step would leave alone, and off only
// when it is beyond twice that, so noise at the threshold does not flap it;
// a successful setting puts it on; a refused one changes nothing that the
// checks found.
struct ClockState {
  bool onReference = false;
  ClockSource source = ClockSource::kNone;
  double uncertainty = 0;    // seconds
  double offset = 0;         // PC minus source at the last check, sync adjustment taken off (s)
  double referenceTime = 0;  // NTP seconds of the last check or setting that found it on
};
