#include "timekeeping/clock_discipline.h"

#include <gtest/gtest.h>

#include "common/time_arithmetic.h"
#include "fakes/fake_platform.h"
#include "support/recording_log.h"

namespace {

using Outcome = ClockDiscipline::Outcome;

struct Discipline : ::testing::Test {
  FakePlatform fake{ReceiverTimeToNtpSeconds(2025, 12, 29, 3, 4, 5)};
  CounterScale scale{fake.counter};
  RecordingLog log{fake.clock};
  StatusText status;
  Settings settings;
  ClockDiscipline discipline{{settings, fake.clock, scale, log, fake.boxes, status}};
  void Use(int zone, int syncParm, bool autoAdjust) {
    settings.SyncParm = syncParm;
    settings.AutoAdjust = autoAdjust ? 1 : 0;
    discipline.UseTimeZone(zone);
  }

  // A usable measurement at `second` of a PC clock errorMs off the source.
  ClockMeasurement At(int second, int64_t errorMs, double uncertainty = 0.0001) {
    ClockMeasurement m;
    m.source = ClockSource::kPps;
    m.reference = fake.time.Now();
    // Half a millisecond more, so the truncated error is errorMs exactly.
    m.pc = m.reference + (errorMs + (errorMs < 0 ? -0.5 : 0.5)) / 1000.0;
    m.count = scale.Now();
    m.uncertainty = uncertainty;
    m.second = second;
    m.usable = true;
    return m;
  }
};

// The error is measured from where a step puts the clock: the reference plus
// the sync adjustment. A clock sitting where the last step put it is neither
// stepped again nor reported, whatever the adjustment.
TEST_F(Discipline, ActsAtTheMarksOnTheDeviationFromTheTarget) {
  const struct { int syncParm; int64_t errorMs; int second; Outcome outcome; } cases[] = {
      {0, 0, 10, Outcome::kNone},      {0, 30, 10, Outcome::kNone},
      {0, 31, 10, Outcome::kStepped},  {0, -31, 20, Outcome::kStepped},
      {0, 31, 15, Outcome::kNone},     {0, 1000, 15, Outcome::kNone},
      {0, 1001, 15, Outcome::kReportedOff}, {0, 31, 11, Outcome::kNone},
      // One that may be an hour or more, within its allowance, is a wrong time.
      {0, 3599969, 30, Outcome::kStepped},  {0, 3599970, 30, Outcome::kNone},
      {0, -3600000, 35, Outcome::kNone},
      {1, 100, 40, Outcome::kNone},    {1, 100, 45, Outcome::kNone},
      {-1, -100, 40, Outcome::kNone},  {6, 600, 55, Outcome::kNone},
      {1, 0, 40, Outcome::kStepped},   {6, 0, 50, Outcome::kStepped},
      {6, 0, 55, Outcome::kNone},      {-6, 700, 5, Outcome::kReportedOff},
  };
  for (const auto& c : cases) {
    Use(9, c.syncParm, true);
    const ClockMeasurement m = At(c.second, c.errorMs);
    EXPECT_EQ(discipline.Measure(m), c.outcome)
        << "SyncParm " << c.syncParm << ", error " << c.errorMs << " ms at :" << c.second;
    if (c.outcome == Outcome::kStepped) {
      EXPECT_NEAR(fake.time.Pc() - fake.time.Now(), c.syncParm * 0.1, 1e-6);
    }
  }
  Use(9, 0, false);
  EXPECT_EQ(discipline.Measure(At(10, 5000)), Outcome::kNone);
  ClockMeasurement unusable = At(10, 5000);
  unusable.usable = false;
  Use(9, 0, true);
  EXPECT_EQ(discipline.Measure(unusable), Outcome::kNone);
}

// A measurement that cannot tell an error apart does not step for it: the
// allowance is three times its uncertainty when that exceeds 30 ms.
TEST_F(Discipline, StepsOnlyForErrorsTheMeasurementCanTellApart) {
  const struct { double uncertainty; int64_t errorMs; Outcome outcome; } cases[] = {
      {0.001, 31, Outcome::kStepped}, {0.010, 31, Outcome::kStepped},
      {0.025, 75, Outcome::kNone},    {0.025, 76, Outcome::kStepped},
      {0.100, 290, Outcome::kNone},   {0.100, -301, Outcome::kStepped},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(discipline.Measure(At(10, c.errorMs, c.uncertainty)), c.outcome)
        << c.uncertainty << " s, " << c.errorMs << " ms";
  }
}

// Without the right to set the clock the state stays what the checks found
// (no flapping), and the failure is told, at most once a minute.
TEST_F(Discipline, ARefusedSettingIsToldOnceAMinuteAndLeavesTheStateSteady) {
  fake.clock.refuse = true;
  std::vector<bool> on;
  for (int s = 0; s < 180; s += 5) {
    discipline.Measure(At(s % 60, 600));
    on.push_back(discipline.ClockOnReference());
    fake.time.Advance(5);
  }
  EXPECT_EQ(std::count(on.begin(), on.end(), true), 0);
  EXPECT_EQ(log.Count("時刻校正に失敗"), 3);

  // Within the allowance it is on, and a refused step does not take it off.
  discipline.Measure(At(5, 20));
  EXPECT_TRUE(discipline.ClockOnReference());
  discipline.Measure(At(10, 45));
  EXPECT_TRUE(discipline.ClockOnReference());
  discipline.Measure(At(20, 61));
  EXPECT_FALSE(discipline.ClockOnReference());
}

TEST_F(Discipline, ASuccessfulStepPutsTheClockOnItsSourceAndTellsTheListeners) {
  std::vector<ClockStep> told;
  discipline.AddStepListener([&told](const ClockStep& s) { told.push_back(s); });
  const ClockMeasurement m = At(20, -250);
  EXPECT_EQ(discipline.Measure(m), Outcome::kStepped);
  ASSERT_EQ(told.size(), 1u);
  EXPECT_DOUBLE_EQ(told[0].target, m.reference);
  EXPECT_EQ(told[0].source, ClockSource::kPps);
  EXPECT_TRUE(discipline.ClockOnReference());
  EXPECT_DOUBLE_EQ(discipline.State().referenceTime, m.reference);
  discipline.ForgetClockCheck();
  EXPECT_FALSE(discipline.ClockOnReference());
}

// Every usable measurement reaches the measurement listeners, with the error
// from where a step would put the clock and whether it was stepped on.
TEST_F(Discipline, TellsEachUsableMeasurementWithItsErrorAndWhetherItStepped) {
  std::vector<ClockMeasurementPoint> told;
  discipline.AddMeasurementListener([&told](const ClockMeasurementPoint& p) { told.push_back(p); });
  Use(9, 1, true);
  ClockMeasurement unusable = At(10, 5000);
  unusable.usable = false;
  discipline.Measure(unusable);
  EXPECT_TRUE(told.empty());

  const ClockMeasurement between = At(11, 105, 0.0002);
  discipline.Measure(between);
  ASSERT_EQ(told.size(), 1u);
  EXPECT_DOUBLE_EQ(told[0].pcTime, between.pc);
  EXPECT_NEAR(told[0].error, 0.0055, 1e-6);
  EXPECT_DOUBLE_EQ(told[0].uncertainty, 0.0002);
  EXPECT_EQ(told[0].source, ClockSource::kPps);
  EXPECT_FALSE(told[0].stepped);

  discipline.Measure(At(20, -250));
  ASSERT_EQ(told.size(), 2u);
  EXPECT_NEAR(told[1].error, -0.3505, 1e-6);
  EXPECT_TRUE(told[1].stepped);

  // A server's time: taken or refused by the clock; one an hour off is not taken.
  const double pc = fake.time.Pc();
  discipline.TakeServerTime(pc - 0.5, pc, scale.Now(), 0.001);
  fake.clock.refuse = true;
  discipline.TakeServerTime(pc - 0.5, pc, scale.Now(), 0.001);
  discipline.TakeServerTime(pc + 7200, pc, scale.Now(), 0.001);
  ASSERT_EQ(told.size(), 4u);
  for (size_t i : {2u, 3u}) {
    EXPECT_EQ(told[i].source, ClockSource::kServer);
    EXPECT_NEAR(told[i].error, 0.4, 1e-6);
    EXPECT_DOUBLE_EQ(told[i].uncertainty, 0.001);
  }
  EXPECT_TRUE(told[2].stepped);
  EXPECT_FALSE(told[3].stepped);
}

TEST_F(Discipline, StepsInTheProgramsZoneWithSubMillisecondPrecisionAtACount) {
  for (int zone : {9, 0, -5}) {
    Use(zone, 0, true);
    const uint32_t count = scale.Now();
    const double target = fake.time.Now() + 12.3456789;
    fake.time.Advance(0.0375);
    ASSERT_EQ(discipline.ManualStep(target, count, ClockSource::kUser, {}, true), Outcome::kStepped);
    EXPECT_NEAR(fake.time.Pc(), target + 0.0375, 1e-6) << zone;
    EXPECT_EQ(fake.clock.lastSet.Hour, (3 + 24 + zone) % 24) << zone;
  }
}

TEST_F(Discipline, DatesOutsideTheAcceptedYearsNeverReachTheClock) {
  for (double target : {ReceiverTimeToNtpSeconds(1979, 12, 31, 12, 0, 0),
                        ReceiverTimeToNtpSeconds(2100, 1, 1, 12, 0, 0), 0.0, -1e300, 1e300}) {
    EXPECT_EQ(discipline.ManualStep(target, scale.Now(), ClockSource::kUser, {}, false),
              Outcome::kFailed)
        << target;
  }
  EXPECT_EQ(fake.clock.setCount, 0);
}

// "同期" repairs a clock that is days off, but only once the user has seen
// the time it would set and said OK; the time the answer took is counted on.
TEST_F(Discipline, AManualStepOfAnHourOrMoreWaitsForTheUsersOk) {
  const double truth = fake.time.Now();
  fake.time.SetPcOffset(-3 * 86400.0 - 7);
  EXPECT_EQ(discipline.ManualStep(truth, scale.Now(), ClockSource::kSentences, {}, true),
            Outcome::kAsked);
  ASSERT_EQ(fake.boxes.asked.size(), 1u);
  EXPECT_NE(fake.boxes.asked[0].find("2025/12/29 12:04:05"), std::string::npos) << fake.boxes.asked[0];
  EXPECT_NE(fake.boxes.asked[0].find("3日 0時間 0分 7秒 遅れて"), std::string::npos);
  EXPECT_EQ(fake.clock.setCount, 0);
  fake.time.Advance(4.5);
  ASSERT_TRUE(fake.boxes.Answer(true));
  EXPECT_NEAR(fake.time.Pc() - fake.time.Now(), 0.0, 1e-6);

  // Cancelled, or asked before a new connection: nothing is set.
  fake.time.SetPcOffset(7200);
  discipline.ManualStep(fake.time.Now(), scale.Now(), ClockSource::kPps, {}, true);
  ASSERT_TRUE(fake.boxes.Answer(false));
  discipline.ManualStep(fake.time.Now(), scale.Now(), ClockSource::kPps, {}, true);
  discipline.ForgetClockCheck();
  ASSERT_TRUE(fake.boxes.Answer(true));
  EXPECT_EQ(fake.clock.setCount, 1);
  // Under an hour it is set at once.
  fake.time.SetPcOffset(3599);
  EXPECT_EQ(discipline.ManualStep(fake.time.Now(), scale.Now(), ClockSource::kPps, {}, true),
            Outcome::kStepped);
}

TEST_F(Discipline, ARefusedManualSettingIsToldEveryTime) {
  fake.clock.refuse = true;
  LocalTimeRecord stamp;
  stamp.Hour = 12; stamp.Minute = 4; stamp.Second = 5;
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(discipline.ManualStep(fake.time.Now(), scale.Now(), ClockSource::kUser, stamp, true),
              Outcome::kFailed);
  }
  EXPECT_EQ(status.text, "時刻校正に失敗");
  EXPECT_EQ(log.Count("12:04:05  時刻校正に失敗"), 2);
}

TEST_F(Discipline, AfterALeapSecondTheNextUsableMeasurementStepsAtOnce) {
  EXPECT_EQ(discipline.Measure(At(3, 1000)), Outcome::kNone);
  discipline.NoteLeapSecond();
  ClockMeasurement leap = At(0, 1000);
  leap.usable = false;
  EXPECT_EQ(discipline.Measure(leap), Outcome::kNone);
  EXPECT_EQ(discipline.Measure(At(1, 1000)), Outcome::kStepped);
  EXPECT_EQ(discipline.Measure(At(2, 1000)), Outcome::kNone);
}

TEST_F(Discipline, AServersTimeIsStepptedAtOnceWithTheAdjustmentUnderAnHour) {
  Use(9, 2, true);
  const double pc = fake.time.Pc();
  EXPECT_EQ(discipline.TakeServerTime(pc + 3599.9, pc, scale.Now(), 0.001), Outcome::kTooFar);
  EXPECT_EQ(discipline.TakeServerTime(pc - 3600.3, pc, scale.Now(), 0.001), Outcome::kTooFar);
  EXPECT_EQ(discipline.TakeServerTime(pc - 3599.9, pc, scale.Now(), 0.001), Outcome::kStepped);
  EXPECT_NEAR(fake.time.Pc() - fake.time.Now(), -3599.7, 1e-6);
  EXPECT_EQ(discipline.State().source, ClockSource::kServer);
}

TEST(CounterScale, OneAnswerToWhetherTheCounterTimesEdges) {
  const struct { uint64_t frequency; uint32_t used; } cases[] = {
      {10'000'000, 10'000'000}, {0xFFFFFFFFull, 0xFFFFFFFFu}, {0x100000000ull, 0}, {0, 0},
  };
  for (const auto& c : cases) {
    FakePlatform fake;
    fake.counter.Configure(c.frequency, 0);
    const CounterScale scale(fake.counter);
    EXPECT_EQ(scale.CounterFrequency(), c.used) << c.frequency;
    EXPECT_EQ(CounterTimesEdges(c.frequency), c.used != 0) << c.frequency;
  }
}

}  // namespace
