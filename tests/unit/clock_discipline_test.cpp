#include "timekeeping/clock_discipline.h"

#include <gtest/gtest.h>

#include "common/time_arithmetic.h"
#include "fakes/fake_platform.h"

namespace {

using Action = ClockDiscipline::Action;

struct Discipline : ::testing::Test {
  FakePlatform fake{ReceiverTimeToNtpSeconds(2025, 12, 29, 3, 4, 5)};
  CounterScale scale{fake.counter};
  ClockDiscipline discipline{fake.clock, scale};
};

// The error is measured from where a step puts the clock: the reference plus
// the sync adjustment. A clock sitting where the last step put it is neither
// stepped again nor reported, whatever the adjustment.
TEST_F(Discipline, DecidesFromTheDeviationFromTheTarget) {
  const struct { int syncParm; int64_t errorMs; int second; Action action; } cases[] = {
      {0, 0, 10, Action::kNone},      {0, 30, 10, Action::kNone},
      {0, 31, 10, Action::kStep},     {0, -31, 20, Action::kStep},
      {0, 31, 15, Action::kNone},     {0, 1000, 15, Action::kNone},
      {0, 1001, 15, Action::kReportFailure}, {0, 31, 11, Action::kNone},
      {0, 3599999, 30, Action::kStep},       {0, 3600000, 30, Action::kNone},
      {0, -3600000, 35, Action::kNone},
      // Right after a step the error equals the adjustment: left alone.
      {1, 100, 40, Action::kNone},    {1, 100, 45, Action::kNone},
      {-1, -100, 40, Action::kNone},  {-1, -100, 45, Action::kNone},
      {6, 600, 50, Action::kNone},    {6, 600, 55, Action::kNone},
      {-6, -600, 0, Action::kNone},   {-6, -600, 5, Action::kNone},
      // A clock on the reference itself is off by the adjustment.
      {1, 0, 40, Action::kStep},      {6, 0, 50, Action::kStep},
      {6, 0, 55, Action::kNone},      {-6, 700, 5, Action::kReportFailure},
      {6, -500, 5, Action::kReportFailure},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(discipline.Decide(c.second, c.errorMs, c.syncParm * 100, true), c.action)
        << "SyncParm " << c.syncParm << ", error " << c.errorMs << " ms at :" << c.second;
  }
  EXPECT_EQ(discipline.Decide(10, 5000, 0, false), Action::kNone);
  EXPECT_EQ(discipline.Decide(15, 5000, 0, false), Action::kNone);
}

TEST_F(Discipline, StepsInTheProgramsZoneWithSubMillisecondPrecision) {
  for (int zone : {9, 0, -5}) {
    discipline.UseTimeZone(zone);
    const double target = fake.time.Now() + 12.3456789;
    ASSERT_TRUE(discipline.StepTo(target));
    EXPECT_NEAR(fake.time.Pc(), target, 1e-6) << zone;
    EXPECT_EQ(fake.clock.lastSet.Hour, (3 + 24 + zone) % 24) << zone;
  }
}

TEST_F(Discipline, AtACountAddsTheCounterTimeSinceIt) {
  const uint32_t count = scale.Now();
  fake.time.Advance(0.0375);
  const double edgeTime = fake.time.Now() - 0.0375;
  ASSERT_TRUE(discipline.StepAtCount(edgeTime, count));
  EXPECT_NEAR(fake.time.Pc() - fake.time.Now(), 0.0, 1e-6);
}

TEST_F(Discipline, DatesOutsideTheAcceptedYearsNeverReachTheClock) {
  for (double target : {ReceiverTimeToNtpSeconds(1979, 12, 31, 12, 0, 0),
                        ReceiverTimeToNtpSeconds(2100, 1, 1, 12, 0, 0), 0.0, -1e300, 1e300}) {
    EXPECT_FALSE(discipline.StepTo(target)) << target;
  }
  EXPECT_EQ(fake.clock.setCount, 0);
  EXPECT_TRUE(discipline.StepTo(ReceiverTimeToNtpSeconds(2099, 12, 31, 12, 0, 0)));
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
