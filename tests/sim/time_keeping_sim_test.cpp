#include <gtest/gtest.h>

#include <cmath>

#include "app/connection.h"
#include "sim/sim_world.h"

namespace {

// True seconds (NTP) of the last step's moment, rounded down.
int64_t StepSecond(const SimWorld& w, size_t i) { return static_cast<int64_t>(std::floor(w.steps[i].when)); }

TEST(TimeKeepingSim, PpsStepsTheSlowClockAtTheNextTenSecondMark) {
  SimOptions o;
  o.pcOffset = -2.0;
  o.handOverLatency = 0.003;  // a few milliseconds from the edge to the main loop
  SimWorld w(o);
  w.Connect();
  ASSERT_TRUE(w.RunUntil([&] { return !w.steps.empty(); }, 40));

  // Stepped at a 10-second mark of receiver time, to within 50 us.
  EXPECT_EQ(StepSecond(w, 0) % 10, 0);
  EXPECT_LT(std::abs(w.steps[0].errorAfter), 50e-6) << w.steps[0].errorAfter;
  EXPECT_EQ(w.CountLog("接続開始(Performance Frequency : 10000000)"), 1);
  EXPECT_EQ(w.app.view.StatusBar, "受信中(NMEA)");

  // Five seconds later the error is shown as +0, nothing more is stepped and
  // no failure is reported (one may have been before the step, at a 5 mark).
  const int failures = w.CountLog("時刻校正に失敗");
  w.RunFor(6);
  EXPECT_EQ(w.app.view.EditPcErr, "+0");
  EXPECT_EQ(w.steps.size(), 1u);
  EXPECT_EQ(w.CountLog("時刻校正に失敗"), failures);
  EXPECT_EQ(w.app.view.EditJst.size(), 8u);
}

TEST(TimeKeepingSim, PpsHoldsADriftingClockWithinThirtyMilliseconds) {
  SimOptions o;
  o.pcOffset = 0.5;
  o.pcDrift = 100e-6;  // 100 ppm fast: 30 ms in 300 s
  o.handOverLatency = 0.001;
  o.handOverJitter = 0.004;
  SimWorld w(o);
  w.Connect();
  double worst = 0;
  w.RunFor(30);  // settle
  w.afterEvent = [&] { worst = std::max(worst, std::abs(w.PcError())); };
  w.RunFor(600);
  // Stepped back whenever a 10-second mark finds it over 30 ms.
  EXPECT_LT(worst, 0.030 + 10 * 100e-6 + 0.001);
  EXPECT_GE(w.steps.size(), 2u);
  for (const auto& step : w.steps) EXPECT_LT(std::abs(step.errorAfter), 50e-6);
}

TEST(TimeKeepingSim, WithoutPpsTheSentenceDelayPathCorrects) {
  SimOptions o;
  o.pps = false;
  o.pcOffset = 0.7;
  SimWorld w(o);
  w.app.settings.dSSS = 9;  // the sentence labels the next second: wait 0.9 s
  w.Connect();
  ASSERT_TRUE(w.RunUntil([&] { return !w.steps.empty(); }, 40));
  EXPECT_EQ(w.app.view.StatusBar, "受信中(NMEA)");
  // Corrected only at seconds ending in 0 (receiver time), and to within the
  // delay path's precision (a tick of 100 ms).
  EXPECT_EQ(w.app.Receiver()->time.pps.Second % 10, 0);
  EXPECT_LT(std::abs(w.steps[0].errorAfter), 0.15);
}

TEST(TimeKeepingSim, WithoutPpsARefusedCorrectionIsToldOnceAMinute) {
  SimOptions o;
  o.pps = false;
  o.pcOffset = 3.0;
  SimWorld w(o);
  w.fake.clock.refuse = true;
  w.app.settings.dSSS = 9;
  w.Connect();
  w.RunFor(150);
  // Tries at each 10-second mark, and tells, once a minute; the error stays.
  EXPECT_GE(w.fake.clock.setCount, 11);
  EXPECT_EQ(w.CountLog("時刻校正に失敗"), 3);
  EXPECT_NEAR(w.PcError(), 3.0, 1e-9);
}

TEST(TimeKeepingSim, AnHourOrMoreIsNeverCorrectedNorReported) {
  for (bool pps : {true, false}) {
    SimOptions o;
    o.pps = pps;
    o.pcOffset = -3600.0;
    SimWorld w(o);
    w.Connect();
    w.RunFor(40);
    EXPECT_EQ(w.fake.clock.setCount, 0) << pps;
    EXPECT_EQ(w.CountLog("時刻校正に失敗"), 0) << pps;
  }
}

TEST(TimeKeepingSim, SyncButtonWhileConnectedSetsFromTheReceiver) {
  SimOptions o;
  o.pps = true;
  o.pcOffset = 7200.0;  // two hours: never automatic, but "同期" sets it
  SimWorld w(o);
  w.Connect();
  w.RunFor(5);
  ButtonSyncPCClick(w.app);
  w.RunFor(2);
  // Two hours: shown first with the time it would set, taken on OK.
  ASSERT_EQ(w.fake.boxes.asked.size(), 1u);
  EXPECT_TRUE(w.steps.empty());
  w.RunFor(3.3);
  ASSERT_TRUE(w.fake.boxes.Answer(true));
  w.RunFor(0.2);
  ASSERT_EQ(w.steps.size(), 1u);
  // Set from the last edge, advanced by the counter time since it: as
  // precise as the edge path, not the marker's 0 to 100 ms late.
  EXPECT_LT(std::abs(w.steps[0].errorAfter), 50e-6);
}

TEST(TimeKeepingSim, RecalibratesTheCounterEvery500Intervals) {
  SimOptions o;
  o.counterRateError = 12e-6;  // the counter really runs at 10.00012 MHz
  SimWorld w(o);
  w.Connect();
  w.RunFor(400);
  EXPECT_EQ(w.CountLog("1PPS interval"), 0);
  w.RunFor(150);
  ASSERT_EQ(w.CountLog("1PPS interval : 10000120 ±  0"), 1);
  EXPECT_EQ(w.app.counterScale.CounterFrequency(), 10000120u);
  EXPECT_LT(w.app.Receiver()->time.pps.IntervalMax - w.app.Receiver()->time.pps.IntervalMin, 10u);
  // The narrower window keeps accepting the edges: the clock stays held.
  const size_t steps = w.steps.size();
  w.RunFor(60);
  EXPECT_EQ(w.app.view.StatusBar, "受信中(NMEA)");
  EXPECT_EQ(w.steps.size(), steps);
}

TEST(TimeKeepingSim, BinaryReceiversShowTheirData) {
  struct Case { ReceiverModel model; const char* status; } cases[] = {
      {ReceiverModel::JupiterBinary, "受信中(ﾊﾞｲﾅﾘ)"},
      {ReceiverModel::Cca370h, "受信中(ﾊﾞｲﾅﾘ)"},
      {ReceiverModel::Gt77, "受信中(NMEA)"},
      {ReceiverModel::Garmin, "受信中(NMEA)"},
      {ReceiverModel::MultiGnss, "受信中(NMEA)"},
  };
  for (const auto& c : cases) {
    SimOptions o;
    o.model = c.model;
    o.pcOffset = 1.5;
    SimWorld w(o);
    w.Connect();
    w.RunFor(30);
    EXPECT_EQ(w.app.view.StatusBar, c.status) << static_cast<int>(c.model);
    EXPECT_NE(w.app.view.EditLat.find("35ﾟ40'"), std::string::npos) << w.app.view.EditLat;
    EXPECT_NE(w.app.view.EditLong.find("139ﾟ46'"), std::string::npos) << w.app.view.EditLong;
    EXPECT_EQ(w.app.Receiver()->time.pps.UtcYear, 2025) << static_cast<int>(c.model);
    EXPECT_LT(std::abs(w.PcError()), 0.001) << static_cast<int>(c.model);
  }
}

// Reception that stops after the first fix is noticed: told once in the
// status bar and the log, "同期" waits, and the return is logged.
TEST(TimeKeepingSim, ReceptionThatStopsIsToldOnceAndItsReturnLogged) {
  for (bool pps : {true, false}) {
    SCOPED_TRACE(pps);
    SimOptions o;
    o.pps = pps;
    SimWorld w(o);
    const int64_t start = static_cast<int64_t>(o.startNtp);
    w.silentSecond = [&](int64_t s) { return s >= start + 30 && s < start + 40; };
    w.Connect();
    w.RunFor(29);
    EXPECT_EQ(w.app.view.StatusBar, "受信中(NMEA)");
    w.RunFor(5);
    EXPECT_NE(w.app.view.StatusBar.find("受信が途絶えました!!"), std::string::npos)
        << w.app.view.StatusBar;
    ButtonSyncPCClick(w.app);
    w.RunFor(4);
    EXPECT_EQ(w.CountLog("受信が途絶えました"), 1);
    w.RunFor(5);
    EXPECT_EQ(w.CountLog("正常受信に復帰"), 1);
    EXPECT_EQ(w.app.view.StatusBar, "受信中(NMEA)");
    EXPECT_EQ(w.CountLog("受信が途絶えました"), 1);
  }
}

// A 1PPS that stops while the sentences go on: the seconds come from the
// sentences meanwhile (the display keeps moving and the clock is still
// corrected), and the 1PPS is taken back when its edges return.
TEST(TimeKeepingSim, WithoutItsPulsesTheSecondFallsBackToTheSentences) {
  SimOptions o;
  SimWorld w(o);
  const int64_t start = static_cast<int64_t>(o.startNtp);
  w.noPulse = [&](int64_t s) { return s >= start + 30 && s < start + 70; };
  w.Connect();
  w.RunFor(31);
  EXPECT_EQ(w.app.view.StatusBar, "受信中(NMEA)");
  w.RunFor(5);
  EXPECT_EQ(w.CountLog("1PPS信号が途絶えました"), 1);
  const std::string shown = w.app.view.EditJst;
  w.fake.time.SetPcOffset(0.5);  // the clock is knocked off while only sentences come
  w.RunFor(20);
  EXPECT_NE(w.app.view.EditJst, shown);
  EXPECT_EQ(w.app.view.StatusBar, "受信中(NMEA)");
  EXPECT_EQ(w.CountLog("受信が途絶えました"), 0);
  EXPECT_LT(std::abs(w.PcError()), 0.2);  // corrected from the sentences

  w.RunFor(30);
  EXPECT_EQ(w.CountLog("1PPS信号が復帰しました"), 1);
  w.fake.time.SetPcOffset(0.5);
  w.RunFor(15);
  EXPECT_LT(std::abs(w.PcError()), 50e-6);  // at the edge again
}

// A large sync adjustment: the clock is stepped once to the receiver's time
// plus the adjustment and then left there, with no failure reported.
TEST(TimeKeepingSim, ASyncAdjustmentIsReachedOnceAndKept) {
  for (int syncParm : {0, 1, -1, 6, -6}) {
    for (bool pps : {true, false}) {
      SCOPED_TRACE(testing::Message() << "SyncParm " << syncParm << (pps ? " with 1PPS" : ""));
      SimOptions o;
      o.pps = pps;
      o.pcOffset = 0.2;
      SimWorld w(o);
      w.app.settings.SyncParm = syncParm;
      w.Connect();
      w.RunFor(80);
      ASSERT_GE(w.steps.size(), 1u);
      const size_t steps = w.steps.size();
      w.RunFor(60);
      EXPECT_EQ(w.steps.size(), steps);
      EXPECT_EQ(w.CountLog("時刻校正に失敗"), 0);
      if (pps) {
        EXPECT_NEAR(w.PcError(), syncParm * 0.1, 1e-4);
      }
    }
  }
}

}  // namespace
