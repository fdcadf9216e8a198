#pragma once
#include <cstdint>

#include "receiver/receiver_options.h"

// When a receiver sends in its second, in seconds after the pulse: the first
// burst, the binary time mark (only the binary models send one), and how far
// the start of the bursts strays from second to second (one standard
// deviation).
struct BurstTiming {
  double firstBurst = 0;
  double timeMark = 0;
  double spread = 0;
};

// The model's own timing with the overrides of the options applied.
BurstTiming TimingOf(const GeneratorOptions& options);

// How far the bursts after the pulse at `unixSecondOfEdge` start from their
// nominal offsets: spread evenly over plus or minus sqrt(3) * spread, so that
// its standard deviation is `spread`. A function of the second alone, so the
// same second always starts at the same time.
double BurstShift(double spread, int64_t unixSecondOfEdge);
