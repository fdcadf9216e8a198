#include "link/edge_timing.h"

#include <gtest/gtest.h>

#include "app/app.h"
#include "app/connection.h"
#include "app/startup.h"
#include "fakes/fake_platform.h"
#include "common/time_arithmetic.h"

namespace {

// A connected receiver link fed edges by hand. The counter has no high
// resolution here (frequency 0): edges are timed in milliseconds.
struct Edges : ::testing::Test {
  FakePlatform fake{ReceiverTimeToNtpSeconds(2025, 12, 29, 3, 4, 5)};
  App* app = nullptr;
  std::unique_ptr<App> owned;
  void SetUp() override {
    fake.counter.Configure(0, 0);
    owned = std::make_unique<App>(fake.platform);
    app = owned.get();
    FormCreate(*app);
    FormShow(*app);
    ButtonConnectClick(*app);
    PpsTimingRecord& r = app->pps;
    r.IntervalMin = 980; r.IntervalMax = 1020; r.IntervalStatsLimit = 1100;
  }
  // An armed edge at counter value `count`, announced as valid.
  void ArmedEdge(uint32_t count) {
    app->pps.PpsArmed = true;
    app->pps.TimeValid = true;
    Edge(count);
  }
  void Edge(uint32_t count) {
    EdgeCapture e;
    e.counter = count;
    e.pcLocal = fake.clock.GetLocalTime();
    fake.serial.sink->OnDsrChange(e);
  }
};

TEST_F(Edges, MillisecondWindowBoundsAreAccepted) {
  const struct { uint32_t interval; bool valid; } cases[] = {
      {980, true}, {1020, true}, {979, false}, {1021, false}, {1000, true}};
  for (const auto& c : cases) {
    ArmedEdge(5000);
    ArmedEdge(5000 + c.interval);
    EXPECT_EQ(app->pps.TimeValid, c.valid) << c.interval;
    EXPECT_EQ(app->pps.EdgeInterval, c.interval);
  }
}

TEST_F(Edges, StatisticsSkipGapsAndSurviveACounterWrap) {
  ArmedEdge(0xFFFFFE00u);
  ArmedEdge(0xFFFFFE00u + 1000);  // wraps past 2^32
  EXPECT_EQ(app->pps.EdgeInterval, 1000u);
  EXPECT_TRUE(app->pps.TimeValid);
  ArmedEdge(0xFFFFFE00u + 3000);  // a second without a time sentence: 2 s
  EXPECT_FALSE(app->pps.TimeValid);
  ArmedEdge(0xFFFFFE00u + 3998);
  // Only 1000 and 998 entered: the first (from counter 0) and the gap are
  // above the limit.
  EXPECT_EQ(app->pps.IntervalCount, 2u);
  EXPECT_DOUBLE_EQ(app->pps.IntervalMean, 999.0);
  EXPECT_DOUBLE_EQ(app->pps.IntervalM2, 2.0);
}

TEST_F(Edges, AnUnarmedEdgeOnlyMarksPpsSeen) {
  EXPECT_FALSE(app->pps.PpsSeen);
  Edge(1234);
  EXPECT_TRUE(app->pps.PpsSeen);
  EXPECT_EQ(app->pps.EdgeCount, 0u);
  EXPECT_TRUE(app->sentenceBuffer->Empty());
}

TEST_F(Edges, TimedEdgeTakesTheReceiverTimeAndKeepsTheOrderOfLines) {
  PpsTimingRecord& r = app->pps;
  r.TimeReady = true;
  r.ReceiverDateKnown = true;
  r.UtcYear = 2025; r.UtcMonth = 12; r.UtcDay = 29; r.UtcHour = 3; r.Minute = 4; r.Second = 6;
  r.LocalHour = 12;
  const uint8_t gga[] = "$GPGGA,030404,3540.5,N,13946.0,E,1,08,1.0,40.0,M,37.0,M,,*00\r\n";
  fake.serial.sink->OnBytes(gga, sizeof gga - 1);
  ArmedEdge(7000);
  ArmedEdge(8000);
  fake.serial.sink->OnBytes(gga, 10);  // half a line: not passed yet
  const std::string& text = app->sentenceBuffer->Text();
  EXPECT_EQ(text.substr(0, 7), "$GPGGA,");
  EXPECT_EQ(text.substr(text.size() - 12), "=PPS,,=PPS,,");
  EXPECT_EQ(r.LastEdgeCount, 8000u);
  EXPECT_FALSE(r.PpsArmed);
  EXPECT_EQ(NtpTimestampDecode(r.EdgeNtpTime, fake.time.Now()),
            ReceiverTimeToNtpSeconds(2025, 12, 29, 3, 4, 6));
  EXPECT_EQ(app->view.EditJst, "12:04:06");
  EXPECT_EQ(app->view.EditUtc, "03:04:06");
}

}  // namespace
