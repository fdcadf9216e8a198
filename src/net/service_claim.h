#pragma once
#include <cstdint>

#include "net/service_time.h"
#include "timekeeping/clock_state.h"

// What a reply claims of the time it carries (RFC 5905 header fields).
struct ServiceClaim {
  int leap = 3;             // 3: unsynchronised
  uint8_t stratum = 0;
  uint8_t referenceId[4] = {'L', 'O', 'C', 'L'};
  int8_t precision = -20;   // power of two, seconds
  double rootDelay = 0;     // seconds
  double rootDispersion = 16;
  double referenceTime = 0;  // NTP seconds; 0 when no source is claimed
};

// The facts the claim is made from, gathered by the composition root.
struct ClaimFacts {
  TimeSource source = TimeSource::kPcClock;  // where the served time comes from
  const ClockState* clock = nullptr;         // what is known of the PC clock
  // 1PPS: how far one edge's time strays (s) and the time since the last edge.
  double edgeJitter = 0;
  double sinceEdge = 0;
  double edgeTime = 0;  // the last edge's time (NTP seconds)
  // The time since the clock state's reference time (the last check or setting).
  double sinceReference = 0;
  // Network mode: the PC clock was set from the server within its interval.
  bool serverFresh = false;
  bool leapPending = false;     // a leap second at the end of today (UTC)
  bool serveLocalClock = false; // the setting `ServeLocalClock`
  double now = 0;               // the service time now (a local clock's reference time)
};

// How much the dispersion grows per second of the clock running free
// (RFC 5905's PHI).
constexpr double kDispersionRate = 15e-6;
// The precision of reading the PC clock (Linux CLOCK_REALTIME, about 1 us).
constexpr int8_t kPcClockPrecision = -20;

// The claim for the facts: a source only where there is one, with a
// precision and dispersion no better than measured.
ServiceClaim ClaimFor(const ClaimFacts& facts);

// The power of two (as the precision field) that a length of time fits under.
int8_t PrecisionOf(double seconds);
