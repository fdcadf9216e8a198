#pragma once
#include <cstdint>

#include "timekeeping/clock_measurement.h"

// What a time server claimed of its own time in the reply the PC clock was
// last set from: passed on to this program's own clients.
struct UpstreamClaim {
  int leap = 0;               // its leap indicator
  int stratum = 0;
  uint8_t address[4] = {};    // the reference id we serve for it: its IPv4 address, or MD5 of its IPv6 one
  double rootDelay = 0;       // seconds
  double rootDispersion = 0;  // seconds
  double roundTrip = 0;       // the measured delay to it, seconds
};

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
  UpstreamClaim upstream;    // source kServer: what the server claimed
  double frequencyPpm = 0;  // the frequency correction in force
};
