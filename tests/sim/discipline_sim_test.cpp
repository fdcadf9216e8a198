#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "app/connection.h"
#include "app/startup.h"
#include "sim/sim_world.h"

namespace {

// A PC clock 40 ppm fast whose rate wanders, the edge worker waking up to
// 50 us late, the frequency loop on.
SimOptions Drifting() {
  SimOptions o;
  o.pcOffset = -1.3;
  o.pcDrift = 40e-6;
  o.pcWander = 1e-6;
  o.wanderPeriod = 1200;
  o.edgeWakeJitter = 50e-6;
  o.freqAdjust = true;
  return o;
}

// Runs `seconds` and gives the largest |PC error| seen after any event.
double WorstOver(SimWorld& w, double seconds) {
  double worst = 0;
  w.afterEvent = [&] { worst = std::max(worst, std::fabs(w.PcError())); };
  w.RunFor(seconds);
  w.afterEvent = nullptr;
  return worst;
}

TEST(DisciplineSim, PpsKeepsTheClockWithinMicrosecondsAfterOneStep) {
  SimWorld w(Drifting());
  w.Connect();
  w.RunFor(300);
  EXPECT_LT(WorstOver(w, 900), 50e-6);
  EXPECT_EQ(w.steps.size(), 1u);  // the first setting only
  // The frequency learned is the clock's own rate error, taken off.
  const double rate = w.fake.time.RateError() * 1e6;
  EXPECT_NEAR(w.app.discipline.State().frequencyPpm, -rate, 0.5);
  EXPECT_EQ(w.app.discipline.State().source, ClockSource::kPps);
}

TEST(DisciplineSim, WithoutPpsTheSentencesKeepItWithinMilliseconds) {
  SimOptions o = Drifting();
  o.pps = false;
  o.burstSpread = 0.005 / std::sqrt(3.0);
  SimWorld w(o);
  w.Connect();
  w.RunFor(900);
  EXPECT_LT(WorstOver(w, 900), 0.008);
  EXPECT_EQ(w.steps.size(), 1u);
  EXPECT_EQ(w.app.discipline.State().source, ClockSource::kSentences);
}

TEST(DisciplineSim, AReceiverLostHoldsTheFrequencyAndComesBackWithoutAStep) {
  SimOptions o = Drifting();
  o.pcWander = 0;
  SimWorld w(o);
  w.Connect();
  w.RunFor(400);
  const double learned = w.app.discipline.State().frequencyPpm;
  const int64_t lostFrom = static_cast<int64_t>(w.Now()) + 1;
  w.silentSecond = [&](int64_t s) { return s >= lostFrom && s < lostFrom + 120; };
  w.RunFor(122);
  // Nothing measured: the frequency stays, so the clock barely drifts.
  EXPECT_EQ(w.app.discipline.State().frequencyPpm, learned);
  EXPECT_LT(std::fabs(w.PcError()), 200e-6);
  w.RunFor(120);
  EXPECT_LT(std::fabs(w.PcError()), 50e-6);
  EXPECT_EQ(w.steps.size(), 1u);
}

TEST(DisciplineSim, ALargeErrorAndTheSyncButtonStillStep) {
  SimWorld w(Drifting());
  w.Connect();
  w.RunFor(300);
  ASSERT_EQ(w.steps.size(), 1u);
  // Knocked 200 ms off: stepped back at the next 10-second mark.
  w.fake.time.SetPc(w.fake.time.Pc() + 0.2);
  w.RunFor(11);
  ASSERT_EQ(w.steps.size(), 2u);
  EXPECT_LT(std::fabs(w.steps[1].errorAfter), 100e-6);
  // "同期" steps as well, though the clock is on time.
  w.app.settings.AutoAdjust = 1;
  w.app.tick.ClockSetPending = true;
  w.RunFor(2);
  EXPECT_EQ(w.steps.size(), 3u);
  EXPECT_LT(WorstOver(w, 120), 100e-6);
}

TEST(DisciplineSim, AFalsePulseAfterATrueOneIsRefused) {
  SimWorld w(Drifting());
  w.Connect();
  w.RunFor(620);  // past the first recalibration of the interval window
  const uint32_t frequency = w.app.counterScale.CounterFrequency();
  ASSERT_GT(w.app.Receiver()->time.pps.IntervalMin, frequency - frequency / 1000);
  // From now on a false pulse 300 ms after the true one every 37 s.
  const int64_t from = static_cast<int64_t>(w.Now()) + 1;
  w.falsePulse = [&](int64_t s) { return s >= from && (s - from) % 37 == 0; };
  uint32_t lastEdge = w.app.edgeReference.LastEdgeCount;
  int taken = 0;
  double worst = 0;
  w.afterEvent = [&] {
    worst = std::max(worst, std::fabs(w.PcError()));
    if (w.app.edgeReference.LastEdgeCount != lastEdge) {
      lastEdge = w.app.edgeReference.LastEdgeCount;
      ++taken;
    }
  };
  w.RunFor(370);
  // Never taken as the second: the clock stays put and is not stepped; the
  // true edges around each false one are lost, the others all taken.
  EXPECT_LT(worst, 50e-6);
  EXPECT_EQ(w.steps.size(), 1u);
  EXPECT_GE(taken, 370 - 10 * 3);
}

TEST(DisciplineSim, WithoutTheRightToAdjustItIsToldOnceAndStepsGoOn) {
  SimOptions o = Drifting();
  o.pcDrift = 100e-6;
  o.pcWander = 0;
  SimWorld w(o);
  w.fake.clock.refuseAdjust = true;
  w.Connect();
  w.RunFor(700);
  EXPECT_EQ(w.CountLog("周波数補正できません(時計を調整する権限がありません)"), 1);
  EXPECT_GE(w.steps.size(), 2u);  // the step rules alone, as without the loop
  EXPECT_EQ(w.app.discipline.State().frequencyPpm, 0);
}

TEST(DisciplineSim, TheLearnedFrequencyIsKeptAndReadAtTheNextStart) {
  SimOptions o = Drifting();
  o.pcWander = 0;
  double kept = 0;
  {
    SimWorld w(o);
    w.Connect();
    w.RunFor(400);
    ASSERT_TRUE(w.fake.drift.stored.has_value());
    EXPECT_EQ(w.fake.drift.writes.size(), 1u);  // written once learned, then at most hourly
    w.RunFor(600);
    EXPECT_EQ(w.fake.drift.writes.size(), 1u);
    FormCloseQuery(w.app);  // and at exit
    ASSERT_EQ(w.fake.drift.writes.size(), 2u);
    kept = w.fake.drift.writes.back();
    EXPECT_NEAR(kept, -40, 0.5);
  }
  // The next run starts from it: its first correction holds the frequency.
  SimWorld w(o);
  w.fake.drift.stored = kept;
  w.app.discipline.UseDriftFile(w.fake.drift);
  w.Connect();
  w.RunFor(40);
  EXPECT_NEAR(w.fake.clock.frequencyPpm, kept, 0.5);
}

TEST(DisciplineSim, FreqAdjustOffNeverAdjustsTheClock) {
  SimOptions o = Drifting();
  o.freqAdjust = false;
  SimWorld w(o);
  w.Connect();
  w.RunFor(900);
  EXPECT_EQ(w.fake.clock.frequencySets, 0);
  EXPECT_EQ(w.fake.clock.slews, 0);
  EXPECT_GE(w.steps.size(), 2u);
}

}  // namespace
