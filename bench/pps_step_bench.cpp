// How exactly the 1PPS path steps the PC clock, in the simulated world, for
// several hand-over latencies (edge thread to main loop) with jitter.
// Prints, per latency: the PC error right after each step (median, worst)
// and the share of seconds whose edge was accepted for the clock.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "sim/sim_world.h"

namespace {

struct Figures {
  size_t steps = 0;
  double medianUs = 0, worstUs = 0;
  double acceptedShare = 0;
};

Figures Run(double latency, double jitter, double seconds) {
  SimOptions o;
  o.pcOffset = -1.3;
  o.pcDrift = 40e-6;
  o.handOverLatency = latency;
  o.handOverJitter = jitter;
  o.edgeWakeJitter = 50e-6;  // the edge worker itself wakes up to 50 us late
  o.seed = 7;
  SimWorld w(o);
  w.Connect();
  w.RunFor(20);  // first usable data and the first step

  uint32_t lastEdge = w.app.edgeReference.LastEdgeCount;
  int accepted = 0;
  w.afterEvent = [&] {
    if (w.app.edgeReference.LastEdgeCount != lastEdge) {
      lastEdge = w.app.edgeReference.LastEdgeCount;
      ++accepted;
    }
  };
  const size_t firstStep = w.steps.size();
  // Knock the PC clock off by 100..300 ms every 40 s so that steps keep coming.
  for (double t = 0; t < seconds; t += 40) {
    w.fake.time.SetPc(w.fake.time.Pc() + 0.1 + 0.2 * std::fmod(t * 0.618, 1.0));
    w.RunFor(40);
  }

  std::vector<double> errors;
  for (size_t i = firstStep; i < w.steps.size(); ++i) errors.push_back(std::abs(w.steps[i].errorAfter) * 1e6);
  std::sort(errors.begin(), errors.end());
  Figures f;
  f.steps = errors.size();
  if (!errors.empty()) {
    f.medianUs = errors[errors.size() / 2];
    f.worstUs = errors.back();
  }
  f.acceptedShare = accepted / seconds;
  return f;
}

}  // namespace

int main() {
  const double seconds = 3600;
  std::printf("1PPS clock steps in the simulated world (%.0f s each, PC clock 40 ppm fast,\n"
              "knocked 100..300 ms off every 40 s, edge worker waking 0..50 us late)\n\n", seconds);
  std::printf("%-22s %6s %14s %14s %10s\n", "hand-over latency", "steps", "median |err|", "worst |err|",
              "accepted");
  const struct { double latency, jitter; } runs[] = {{0.0001, 0.0001}, {0.001, 0.001}, {0.010, 0.010}};
  for (const auto& r : runs) {
    const Figures f = Run(r.latency, r.jitter, seconds);
    std::printf("%5.1f ms + 0..%4.1f ms %6zu %11.2f us %11.2f us %9.1f%%\n", r.latency * 1e3,
                r.jitter * 1e3, f.steps, f.medianUs, f.worstUs, f.acceptedShare * 100);
  }
  return 0;
}
