#include "link/receiver_link.h"

#include <gtest/gtest.h>

#include "common/time_arithmetic.h"
#include "fakes/fake_platform.h"

namespace {

// A receiver link fed edges by hand, timed in milliseconds (the window of a
// PC without a high-resolution counter).
struct Edges : ::testing::Test {
  FakePlatform fake{ReceiverTimeToNtpSeconds(2025, 12, 29, 3, 4, 5)};
  CounterScale scale{fake.counter};
  ReceiverLink link{kJupiter, scale};
  PpsTimingRecord r;
  EdgeReference reference;
  void SetUp() override {
    r.IntervalMin = 980; r.IntervalMax = 1020; r.IntervalStatsLimit = 1100;
  }
  // An armed edge at counter value `count`, announced as valid.
  EdgeOutcome ArmedEdge(uint32_t count) {
    r.PpsArmed = true;
    r.TimeValid = true;
    return Edge(count);
  }
  EdgeOutcome Edge(uint32_t count) {
    EdgeCapture e;
    e.counter = count;
    e.pcLocal = fake.clock.GetLocalTime();
    e.dsrChanges = 2;  // each capture a whole pulse: the leading edge, whatever the polarity
    return link.OnDsrChange(r, e, reference);
  }
};

TEST_F(Edges, MillisecondWindowBoundsAreAccepted) {
  const struct { uint32_t interval; bool valid; } cases[] = {
      {980, true}, {1020, true}, {979, false}, {1021, false}, {1000, true}};
  for (const auto& c : cases) {
    ArmedEdge(5000);
    ArmedEdge(5000 + c.interval);
    EXPECT_EQ(r.TimeValid, c.valid) << c.interval;
    EXPECT_EQ(r.EdgeInterval, c.interval);
  }
}

TEST_F(Edges, StatisticsSkipGapsAndSurviveACounterWrap) {
  ArmedEdge(0xFFFFFE00u);
  ArmedEdge(0xFFFFFE00u + 1000);  // wraps past 2^32
  EXPECT_EQ(r.EdgeInterval, 1000u);
  EXPECT_TRUE(r.TimeValid);
  ArmedEdge(0xFFFFFE00u + 3000);  // a second without a time sentence: 2 s
  EXPECT_FALSE(r.TimeValid);
  ArmedEdge(0xFFFFFE00u + 3998);
  // Only 1000 and 998 entered: the first (from counter 0) and the gap are
  // above the limit.
  EXPECT_EQ(r.IntervalCount, 2u);
  EXPECT_DOUBLE_EQ(r.IntervalMean, 999.0);
  EXPECT_DOUBLE_EQ(r.IntervalM2, 2.0);
}

TEST_F(Edges, AnUnarmedEdgeOnlyMarksPpsSeen) {
  EXPECT_FALSE(r.PpsSeen);
  const EdgeOutcome outcome = Edge(1234);
  EXPECT_FALSE(outcome.armed);
  EXPECT_TRUE(r.PpsSeen);
  EXPECT_EQ(r.EdgeCount, 0u);
  EXPECT_TRUE(link.sentenceBuffer.Empty());
}

TEST_F(Edges, TimedEdgeTakesTheReceiverTimeAndKeepsTheOrderOfLines) {
  r.TimeReady = true;
  r.ReceiverDateKnown = true;
  r.UtcYear = 2025; r.UtcMonth = 12; r.UtcDay = 29; r.UtcHour = 3; r.Minute = 4; r.Second = 6;
  r.LocalHour = 12;
  const uint8_t gga[] = "$GPGGA,030404,3540.5,N,13946.0,E,1,08,1.0,40.0,M,37.0,M,,*00\r\n";
  link.OnBytes(gga, sizeof gga - 1);
  EXPECT_FALSE(ArmedEdge(7000).timeTaken);  // outside the window: armed, not taken
  const EdgeOutcome outcome = ArmedEdge(8000);
  EXPECT_TRUE(outcome.armed);
  EXPECT_TRUE(outcome.timeTaken);
  link.OnBytes(gga, 10);  // half a line: not passed yet
  const std::string& text = link.sentenceBuffer.Text();
  EXPECT_EQ(text.substr(0, 7), "$GPGGA,");
  EXPECT_EQ(text.substr(text.size() - 12), "=PPS,,=PPS,,");
  EXPECT_EQ(reference.LastEdgeCount, 8000u);
  EXPECT_FALSE(r.PpsArmed);
  EXPECT_EQ(NtpTimestampDecode(reference.EdgeNtpTime, fake.time.Now()),
            ReceiverTimeToNtpSeconds(2025, 12, 29, 3, 4, 6));
  EXPECT_EQ(link.RxEdgeTime, ReceiverTimeToNtpSeconds(2025, 12, 29, 3, 4, 6));
  EXPECT_NEAR(link.PcEdgeTime, fake.time.Now(), 0.001);
}

// Without a date from the receiver its time of day goes on the PC's date,
// or the day before or after when local midnight lies between the two.
TEST_F(Edges, DatelessTimeTakesTheNearestDay) {
  const struct { double pcAhead; int localHour, minute, second; int day; } cases[] = {
      {0.0, 12, 4, 5, 29},       // 12:04:05 local, same day
      {-1.0, 0, 0, 0, 30},       // PC at 23:59:59 local, receiver already at midnight
      {1.0, 23, 59, 59, 29},     // PC just past midnight, receiver still before it
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pcAhead);
    // True time: the receiver's local time below (zone +9).
    const double truth = ReceiverTimeToNtpSeconds(2025, 12, c.day, c.localHour, c.minute, c.second) -
                         9 * 3600.0;
    fake.time.AdvanceTo(truth);
    fake.time.SetPcOffset(c.pcAhead);
    r.TimeReady = true;
    r.ReceiverDateKnown = false;
    r.LocalHour = c.localHour; r.Minute = c.minute; r.Second = c.second;
    r.IntervalMin = 0; r.IntervalMax = 0xFFFFFFFFu;
    ASSERT_TRUE(ArmedEdge(1000).timeTaken);
    EXPECT_EQ(link.RxEdgeTime, truth);
  }
}

}  // namespace
