#include "timekeeping/second_processing.h"

#include <gtest/gtest.h>

#include "app/app.h"
#include "app/connection.h"
#include "app/startup.h"
#include "fakes/fake_platform.h"
#include "timekeeping/time_arithmetic.h"

namespace {

// A receiver connection in normal reception, without 1PPS, fed by setting the
// parsers' results directly. True time 2025-12-29 and the PC clock in +9.
struct Second : ::testing::Test {
  FakePlatform fake{ReceiverTimeToNtpSeconds(2025, 12, 29, 3, 4, 30)};
  App app{fake.platform};

  void SetUp() override {
    FormCreate(app);
    FormShow(app);
    ButtonConnectClick(app);
    app.pps.ReceptionOk = true;
    app.tick.AwaitingData = false;
  }
  // The receiver says it is hh:mm:ss UTC now, with a GGA of quality q.
  void Receive(int h, int m, int s, char quality = '1') {
    PpsTimingRecord& r = app.pps;
    r.UtcHour = h; r.Minute = m; r.Second = s;
    r.LocalHour = (h + 9) % 24;
    r.UtcYear = 2025; r.UtcMonth = 12; r.UtcDay = 29;
    r.ReceiverDateKnown = true;
    app.rx.GgaSeen = true;
    app.rx.StatusText = std::string(1, quality);
    app.rx.LatitudeText = "3540.5000N";
    app.rx.LongitudeText = "13946.0000E";
    app.tick.SecondPending = true;
    fake.time.AdvanceTo(ReceiverTimeToNtpSeconds(2025, 12, 29, h, m, s));
  }
  void PcAhead(double seconds) { fake.time.SetPcOffset(seconds); }
  int CountLog(const std::string& text) const {
    int n = 0;
    for (const auto& line : app.log.MemoLog()) n += line.find(text) != std::string::npos;
    return n;
  }
};

TEST_F(Second, CorrectionLimitsWithoutPps) {
  const struct { double pcAhead; int second; int syncParm; int autoAdjust; bool set; const char* shown; } cases[] = {
      {0.025, 30, 0, 1, false, "+2"},
      {0.031, 30, 0, 1, true, "+3"},
      {-0.031, 30, 0, 1, true, "-3"},
      {0.031, 35, 0, 1, false, "+3"},   // seconds ending in 5 only show
      {0.031, 31, 0, 1, false, ""},     // other seconds do not even measure
      {0.000, 40, 1, 1, true, "+0"},    // SyncParm 1: the sum is always above 30
      {0.031, 30, 0, 0, false, "+3"},   // AutoAdjust 0 only shows
      {3600.0, 30, 0, 1, false, "+360000"},
      {7200.0, 30, 0, 1, false, "+720000"},
  };
  int minute = 5;
  for (const auto& c : cases) {
    app.settings.AutoAdjust = c.autoAdjust;
    app.pps.SyncOffsetMs = c.syncParm * 100;
    app.view.EditPcErr.clear();
    fake.clock.setCount = 0;
    Receive(3, ++minute, c.second);  // each case a minute later: true time only goes forward
    PcAhead(c.pcAhead);
    ProcessSecond(app);
    EXPECT_EQ(fake.clock.setCount, c.set ? 1 : 0) << c.pcAhead << " s at :" << c.second;
    EXPECT_EQ(app.view.EditPcErr, c.shown) << c.pcAhead << " s at :" << c.second;
    if (c.set) {
      // Set to the receiver's second plus the sync adjustment and 10 ms.
      EXPECT_NEAR(fake.time.Pc() - fake.time.Now(), c.syncParm * 0.1 + 0.01, 1e-6);
    }
  }
  EXPECT_EQ(app.view.StatusBar, "受信中(NMEA)");
}

TEST_F(Second, FailedCorrectionIsLoggedAtFivesOnly) {
  fake.clock.refuse = true;
  PcAhead(3.0);
  for (int s = 30; s <= 45; ++s) {
    Receive(3, 5, s);
    PcAhead(3.0);
    ProcessSecond(app);
  }
  EXPECT_EQ(fake.clock.setCount, 2);  // :30 and :40
  EXPECT_EQ(CountLog("時刻校正に失敗"), 2);  // :35 and :45
}

}  // namespace
