#pragma once
#include <cstdint>

#include "link/counter_scale.h"
#include "link/edge_reference.h"
#include "platform/pc_clock.h"

// Where the time the service tells comes from, by the state of the program.
enum class TimeSource {
  kPcClock,     // offline or network mode: the PC clock
  kReceiver,    // a receiver, no 1PPS edge yet: still the PC clock
  kReceiverPps  // a receiver with 1PPS: the last edge plus the counter
};

// What the time service reads the time from.
struct ServiceClock {
  const EdgeReference& edge;
  const CounterScale& counter;
  PcClock& clock;
};

// A time (NTP seconds, UTC) and the count read with it.
struct ServiceInstant {
  double ntpSeconds = 0;
  uint32_t count = 0;
};

// Seconds between two counts of the counter in use; one wrap is allowed.
double CountSpan(const CounterScale& counter, uint32_t from, uint32_t to);

// The time now from the last 1PPS edge: its receiver time plus the counter
// time since its count, so it does not depend on the PC clock.
ServiceInstant PpsNow(const ServiceClock& c);

// The time now as the service tells it: PpsNow with 1PPS, otherwise the PC
// clock at its full resolution, with the count read just before it.
ServiceInstant ServiceNow(const ServiceClock& c, TimeSource source);
