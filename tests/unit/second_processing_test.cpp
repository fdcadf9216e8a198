#include "timekeeping/second_processing.h"

#include <gtest/gtest.h>

#include "common/time_arithmetic.h"
#include "support/time_keeper_world.h"

namespace {

// A receiver connection in normal reception, without 1PPS, fed by setting the
// parsers' results directly. True time 2025-12-29 and the PC clock in +9.
struct Second : ::testing::Test, TimeKeeperWorld {
  Second() : TimeKeeperWorld(ReceiverTimeToNtpSeconds(2025, 12, 29, 3, 4, 30)) {}

  void SetUp() override {
    tk().pps.ReceptionOk = true;
    tk().timing.DataWait.Stop();
  }
  // The receiver announces hh:mm:ss UTC, with a GGA of quality q, in a burst
  // that began the sentence delay after the second before it, when the PC
  // clock was pcAhead seconds ahead; the second is processed 300 ms later.
  void Receive(int h, int m, int s, char quality = '1', double pcAhead = 0) {
    const double second = ReceiverTimeToNtpSeconds(2025, 12, 29, h, m, s);
    fake.time.AdvanceTo(second - 1 + burstDelay.For(false).delay);
    PcAhead(pcAhead);
    tk().timing.SecondArrival.counter = counterScale.Now();
    tk().timing.SecondArrival.pcLocal = fake.clock.GetLocalTime();
    PpsTimingRecord& r = tk().pps;
    r.TimeRead = true;
    r.UtcHour = h; r.Minute = m; r.Second = s;
    r.LocalHour = (h + 9) % 24;
    r.UtcYear = 2025; r.UtcMonth = 12; r.UtcDay = 29;
    r.ReceiverDateKnown = true;
    tk().rx.GgaSeen = true;
    tk().rx.StatusText = std::string(1, quality);
    tk().rx.LatitudeText = "3540.5000N";
    tk().rx.LongitudeText = "13946.0000E";
    tk().timing.SecondPending = true;
    fake.time.Advance(0.3);
  }
  void PcAhead(double seconds) { fake.time.SetPcOffset(seconds); }
  int CountLog(const std::string& text) const { return log.Count(text); }
};

// Without 1PPS the sentences tell the second only to within their spread
// (Jupiter NMEA: 25 ms), so an error is stepped only beyond three times that.
TEST_F(Second, CorrectionLimitsWithoutPps) {
  const struct { double pcAhead; int second; int syncParm; int autoAdjust; bool set; const char* shown; } cases[] = {
      {0.025, 30, 0, 1, false, "+2"},
      {0.075, 30, 0, 1, false, "+7"},
      {0.076, 30, 0, 1, true, "+7"},
      {-0.076, 30, 0, 1, true, "-7"},
      {0.076, 35, 0, 1, false, "+7"},   // seconds ending in 5 only show
      {0.076, 31, 0, 1, false, ""},     // other seconds do not even measure
      {0.000, 40, 1, 1, true, "+0"},    // SyncParm 1: 100 ms from where a step puts it
      {0.076, 30, 0, 0, false, "+7"},   // AutoAdjust 0 only shows
      {3600.0, 30, 0, 1, false, "+360000"},
      {7200.0, 30, 0, 1, false, "+720000"},
  };
  int minute = 5;
  for (const auto& c : cases) {
    settings.AutoAdjust = c.autoAdjust;
    settings.SyncParm = c.syncParm;
    view.EditPcErr.clear();
    fake.clock.setCount = 0;
    // Each case a minute later: true time only goes forward.
    // 1.5 ms more: the PC clock is read in whole milliseconds at the arrival.
    Receive(3, ++minute, c.second, '1', c.pcAhead + (c.pcAhead < 0 ? -0.0015 : 0.0015));
    ProcessSecond(tk());
    EXPECT_EQ(fake.clock.setCount, c.set ? 1 : 0) << c.pcAhead << " s at :" << c.second;
    EXPECT_EQ(view.EditPcErr, c.shown) << c.pcAhead << " s at :" << c.second;
    if (c.set) {
      // Set to the receiver's second plus the sync adjustment.
      EXPECT_NEAR(fake.time.Pc() - fake.time.Now(), c.syncParm * 0.1, 1e-6);
    }
  }
  EXPECT_EQ(status.text, "受信中(NMEA)");
}

// A clock that cannot be set is tried at the tens and told, at most once a
// minute, whether the step was refused or the error stays above a second.
TEST_F(Second, ARefusedCorrectionIsToldOnceAMinute) {
  fake.clock.refuse = true;
  for (int s = 30; s <= 89; ++s) {
    Receive(3, 5 + s / 60, s % 60, '1', 0.5);
    ProcessSecond(tk());
  }
  EXPECT_EQ(fake.clock.setCount, 6);  // :30 :40 :50 :00 :10 :20
  EXPECT_EQ(CountLog("12:05:30  時刻校正に失敗"), 1);
  EXPECT_EQ(CountLog("時刻校正に失敗"), 1);
  Receive(3, 6, 30, '1', 3.0);
  ProcessSecond(tk());
  Receive(3, 6, 35, '1', 3.0);
  ProcessSecond(tk());
  EXPECT_EQ(CountLog("12:06:30  時刻校正に失敗"), 1);
  EXPECT_EQ(CountLog("時刻校正に失敗"), 2);
}

}  // namespace

namespace {

TEST_F(Second, TimingErrorLeavesNormalReceptionOnceAndBlocksSync) {
  settings.BeepCond = 2;
  Receive(3, 5, 31);
  tk().pps.DelayOutOfRange = true;
  ProcessSecond(tk());
  EXPECT_EQ(status.text, "受信タイミングエラー");
  EXPECT_EQ(fake.beeper.count, 1);
  EXPECT_FALSE(tk().pps.ReceptionOk);
  Receive(3, 5, 32);
  ProcessSecond(tk());  // still out of range: not logged again
  EXPECT_EQ(CountLog("受信タイミングエラー"), 1);

  // "同期" while not normal: only "時刻校正不能", the clock is untouched.
  clockSetPending = true;
  Receive(3, 5, 33);
  ProcessSecond(tk());
  EXPECT_EQ(fake.clock.setCount, 0);
  EXPECT_FALSE(clockSetPending);

  tk().pps.DelayOutOfRange = false;
  Receive(3, 5, 34);
  ProcessSecond(tk());
  EXPECT_EQ(status.text, "受信中(NMEA)");
  EXPECT_EQ(CountLog("正常受信に復帰"), 1);
  Receive(3, 5, 35, '0');  // no fix: quality 1, logged with its text
  ProcessSecond(tk());
  EXPECT_EQ(status.text, "測位不能");
  EXPECT_EQ(CountLog("測位不能"), 1);
}

// Without 1PPS "同期" sets the second placed before its burst's arrival.
// Far off (an hour or more) it asks first.
TEST_F(Second, SyncWhileNormalSetsTheReceiverSecond) {
  clockSetPending = true;
  Receive(3, 5, 33, '1', -50.0);
  ProcessSecond(tk());
  EXPECT_EQ(fake.clock.setCount, 1);
  EXPECT_NEAR(fake.time.Pc() - fake.time.Now(), 0.0, 1e-6);

  clockSetPending = true;
  Receive(3, 5, 34, '1', -5000.0);
  ProcessSecond(tk());
  EXPECT_EQ(fake.clock.setCount, 1);
  ASSERT_EQ(fake.boxes.asked.size(), 1u);
  fake.time.Advance(2.0);
  ASSERT_TRUE(fake.boxes.Answer(true));
  EXPECT_EQ(fake.clock.setCount, 2);
  EXPECT_NEAR(fake.time.Pc() - fake.time.Now(), 0.0, 1e-6);
}

TEST_F(Second, RecalibrationNeedsFiveHundredIntervals) {
  PpsTimingRecord& r = tk().pps;
  for (uint32_t count : {499u, 500u}) {
    r.PpsSeen = true;
    r.TimeValid = true;
    r.TimeReady = true;
    r.IntervalCount = count;
    r.IntervalMean = 10000123.9;
    r.IntervalM2 = 9.0 * (count - 1);  // s = 3
    Receive(3, 6, count == 499 ? 1 : 2);
    ProcessSecond(tk());
  }
  EXPECT_EQ(CountLog("1PPS interval : 10000123 ±  3"), 1);
  EXPECT_EQ(counterScale.CounterFrequency(), 10000123u);
  EXPECT_EQ(r.IntervalMin, static_cast<uint32_t>(10000123.9 - 7.0));
  EXPECT_EQ(r.IntervalMax, static_cast<uint32_t>(10000123.9 + 7.0));
  EXPECT_EQ(r.IntervalStatsLimit, static_cast<uint32_t>(10000123.9 * 1.1));
  EXPECT_EQ(r.IntervalCount, 0u);
  EXPECT_FALSE(r.TimeReady);
}

TEST_F(Second, FixQualityTable) {
  const struct { bool nmea; int receiver; bool gga, tps, b1000, b1108; const char* status;
                 const char* tpsStatus; const char* markStatus; int quality; } cases[] = {
      {true, 0, true, false, false, false, "1", "", "", 3},
      {true, 0, true, false, false, false, "0", "", "", 1},
      {true, 0, false, false, false, false, "1", "", "", 0},
      {true, 1, true, false, false, false, "1", "", "", 2},   // GT-77 needs its time sentence
      {true, 1, true, true, false, false, "1", "3", "", 3},
      {true, 1, true, true, false, false, "1", "2", "", 2},
      {false, 0, false, false, true, true, "1", "", "1", 3},
      {false, 0, false, false, true, true, "1", "", "0", 2},
      {false, 0, false, false, true, false, "1", "", "", 2},
      {false, 0, false, false, true, false, "0", "", "", 1},
      {false, 0, false, false, false, true, "1", "", "1", 0},
  };
  for (const auto& c : cases) {
    cfg.NmeaMode = c.nmea;
    settings.Receiver = c.receiver;
    tk().rx.GgaSeen = c.gga; tk().rx.TpsSeen = c.tps;
    tk().rx.Bin1000Seen = c.b1000; tk().rx.Bin1108Seen = c.b1108;
    tk().rx.StatusText = c.status; tk().rx.TpsStatusText = c.tpsStatus;
    tk().rx.TimeMarkStatusText = c.markStatus;
    UpdateFixQuality(tk());
    EXPECT_EQ(tk().pps.FixQuality, c.quality) << &c - cases;
  }
}

}  // namespace

namespace {

TEST_F(Second, PositionAndItsStatisticsRow) {
  testDialog.TestDialogShown = true;
  testDialog.DisplayOn = true;
  testDialog.RadioGroupMode = 2;
  Receive(3, 7, 1);
  ProcessSecond(tk());
  EXPECT_EQ(view.EditLat, " 35ﾟ40'30.0\"N");
  EXPECT_EQ(view.EditLong, "139ﾟ46'00.0\"E");
  // One sample: the spread is shown as 0.0.
  ASSERT_EQ(testDialog.ListBoxMesg.size(), 1u);
  EXPECT_EQ(testDialog.ListBoxMesg.back(),
            "12:07:01  139ﾟ46'00.0\"E(±0.0\")  35ﾟ40'30.0\"N(±0.0\") ｻﾝﾌﾟﾙ:1");

  // An empty position with a fix is shown as it is and is no sample.
  Receive(3, 7, 2);
  tk().rx.LatitudeText.clear();
  ProcessSecond(tk());
  EXPECT_EQ(view.EditLat, "");
  EXPECT_EQ(tk().position.PositionCount, 1u);
  EXPECT_EQ(testDialog.ListBoxMesg.size(), 1u);

  Receive(3, 7, 3);
  tk().rx.LatitudeText = "3540.5010N";
  ProcessSecond(tk());
  EXPECT_EQ(tk().position.PositionCount, 2u);
  EXPECT_NE(testDialog.ListBoxMesg.back().find("ｻﾝﾌﾟﾙ:2"), std::string::npos);
  EXPECT_NE(testDialog.ListBoxMesg.back().find("(±0.0\")  35ﾟ40'30.0\"N(±0.0\")"), std::string::npos)
      << testDialog.ListBoxMesg.back();
}

}  // namespace

namespace {

// A refused "同期" stays in the status bar while the status does not change,
// and is logged; the next change of status replaces it.
TEST_F(Second, RefusedSyncStaysVisibleUntilTheStatusChanges) {
  tk().pps.DelayOutOfRange = true;
  Receive(3, 8, 1);
  ProcessSecond(tk());
  EXPECT_EQ(status.text, "受信タイミングエラー");
  clockSetPending = true;
  Receive(3, 8, 2);
  ProcessSecond(tk());
  EXPECT_EQ(status.text, "時刻校正不能");
  EXPECT_EQ(CountLog("時刻校正不能"), 1);
  Receive(3, 8, 3);
  ProcessSecond(tk());
  EXPECT_EQ(status.text, "時刻校正不能");
  tk().pps.DelayOutOfRange = false;
  Receive(3, 8, 4);
  ProcessSecond(tk());
  EXPECT_EQ(status.text, "受信中(NMEA)");
  EXPECT_EQ(fake.clock.setCount, 0);
}

// Without a date sentence the receiver's time of day goes on the date the PC
// clock shows now, the nearest one across local midnight.
TEST_F(Second, SyncWithoutADateTakesThePcsDateNow) {
  const struct { int utcHour, minute, second; double pcAhead; } cases[] = {
      {3, 9, 10, -3000.0},  // 12:09 local, the PC 50 minutes behind
      {14, 59, 59, 2.0},    // 23:59:59 local; the PC already shows the next day
      {15, 0, 1, -3.0},     // 00:00:01 local; the PC still shows the day before
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.utcHour);
    Receive(c.utcHour, c.minute, c.second, '1', c.pcAhead);
    tk().pps.ReceiverDateKnown = false;
    clockSetPending = true;
    ProcessSecond(tk());
    EXPECT_NEAR(fake.time.Pc() - fake.time.Now(), 0.0, 1e-6);
  }
}

// Position texts whose numbers no position can have are shown as received
// and never converted (no undefined conversion of a huge value).
TEST_F(Second, GarbledPositionNumbersAreShownAsReceived) {
  for (const char* text : {"1e30N", "9E264N", "-9E264S", "nanN", "infE", "1e6N", "N"}) {
    SCOPED_TRACE(text);
    Receive(3, 9, 1);
    tk().rx.LatitudeText = text;
    ProcessSecond(tk());
    EXPECT_EQ(view.EditLat, text);
  }
  EXPECT_EQ(tk().position.PositionCount, 0u);
}

}  // namespace
