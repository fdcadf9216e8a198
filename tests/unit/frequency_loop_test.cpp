#include "timekeeping/frequency_loop.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>

namespace {

// A clock whose rate is off by rate(t), measured every `gap` seconds with
// the noise given; each slew lands in full by the next measurement but one
// (as the kernel spreads it over the second after the next whole second).
struct Outcome {
  double finalError = 0, worstLate = 0, frequencyPpm = 0;
};

Outcome Simulate(const std::function<double(double)>& rate, double seconds, double gap, double uncertainty,
             const std::function<double(std::mt19937&)>& noise, bool lateOnly, double start = 0.001) {
  FrequencyLoop loop;
  std::mt19937 rng(3);
  double offset = start, pendingSlew = 0, frequency = 0;
  Outcome r;
  for (double t = 0; t < seconds; t += gap) {
    const FrequencyLoop::Correction c = loop.Take(t, offset + noise(rng), uncertainty, lateOnly);
    offset += pendingSlew;
    pendingSlew = c.slew;
    frequency = c.frequencyPpm * 1e-6;
    offset += (rate(t) + frequency) * gap;
    if (t > seconds * 0.75) r.worstLate = std::max(r.worstLate, std::fabs(offset));
  }
  r.finalError = offset;
  r.frequencyPpm = loop.FrequencyPpm();
  return r;
}

double None(std::mt19937&) { return 0; }

TEST(FrequencyLoop, ConvergesOnTheClocksRateAndPhase) {
  std::uniform_real_distribution<double> wake(0, 50e-6);
  std::uniform_real_distribution<double> sentence(-5e-3, 5e-3);
  std::normal_distribution<double> server(0, 1e-3);
  struct Case {
    const char* what;
    std::function<double(double)> rate;
    double seconds, gap, uncertainty;
    std::function<double(std::mt19937&)> noise;
    bool lateOnly;
    double wantPpm, ppmTolerance, errorTolerance;
  };
  const Case cases[] = {
      {"40 ppm fast, 1PPS without noise", [](double) { return 40e-6; }, 1200, 1, 15e-6, None, true,
       -40, 0.01, 1e-6},
      {"a 1 ppm jump half way", [](double t) { return t < 600 ? -20e-6 : -19e-6; }, 1200, 1, 15e-6,
       None, true, 19, 0.05, 2e-6},
      {"1PPS waking 0..50 us late: aimed at the lower edge", [](double) { return 40e-6; }, 1800, 1,
       15e-6, [&](std::mt19937& g) { return wake(g); }, true, -40, 0.3, 10e-6},
      {"sentences +-5 ms", [](double) { return 40e-6; }, 6 * 3600, 1, 3e-3,
       [&](std::mt19937& g) { return sentence(g); }, false, -40, 1.5, 1.5e-3},
      {"a server every 5 minutes", [](double) { return -60e-6; }, 3 * 24 * 3600, 300, 1e-3,
       [&](std::mt19937& g) { return server(g); }, false, 60, 0.5, 5e-3},
      {"a wild offset every 97 s", [](double) { return 40e-6; }, 1800, 1, 15e-6,
       [](std::mt19937& g) { return g() % 97 == 0 ? 5e-3 : 0.0; }, true, -40, 0.5, 10e-6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Outcome r = Simulate(c.rate, c.seconds, c.gap, c.uncertainty, c.noise, c.lateOnly);
    EXPECT_NEAR(r.frequencyPpm, c.wantPpm, c.ppmTolerance);
    EXPECT_LT(r.worstLate, c.errorTolerance);
  }
}

TEST(FrequencyLoop, TheTimeConstantGrowsWithTheUncertaintyAndTheGap) {
  EXPECT_DOUBLE_EQ(FrequencyLoop::TimeConstant(15e-6, 1), 16);
  EXPECT_GT(FrequencyLoop::TimeConstant(3e-3, 1), 200);
  EXPECT_EQ(FrequencyLoop::TimeConstant(1e-9, 1), FrequencyLoop::kMinTimeConstant);
  EXPECT_EQ(FrequencyLoop::TimeConstant(1e-3, 600), 1200);  // a server every 10 minutes
  EXPECT_EQ(FrequencyLoop::TimeConstant(std::nan(""), 1), 16);
}

TEST(FrequencyLoop, StartsFromAKeptFrequencyAndKeepsItOverARestart) {
  FrequencyLoop loop;
  loop.StartFrom(-41.5);
  EXPECT_EQ(loop.Take(0, 0, 15e-6, true).frequencyPpm, -41.5);
  loop.Restart();
  EXPECT_EQ(loop.Take(100, 20e-6, 15e-6, true).slew, 0);  // the phase starts afresh
  EXPECT_EQ(loop.FrequencyPpm(), -41.5);
  loop.StartFrom(9000);
  EXPECT_EQ(loop.FrequencyPpm(), FrequencyLoop::kMaxFrequencyPpm);
}

}  // namespace
