#include <gtest/gtest.h>

#include <vector>

#include "app/app.h"
#include "app/connection.h"
#include "app/startup.h"
#include "app/tick.h"
#include "fakes/fake_platform.h"
#include "common/text_format.h"
#include "common/time_arithmetic.h"

namespace {

LocalTimeRecord Rec(int y, int mo, int d, int h, int mi, int s, int ms = 0) {
  LocalTimeRecord t;
  t.Year = y; t.Month = mo; t.Day = d; t.Hour = h; t.Minute = mi; t.Second = s; t.Milliseconds = ms;
  return t;
}

struct OfflineApp : ::testing::Test {
  FakePlatform fake;
  App app{fake.platform};
  void SetUp() override {
    FormCreate(app);
    ASSERT_TRUE(FormShow(app));
  }
  // Puts the PC clock (local time, zone +9) at t.
  void SetPc(const LocalTimeRecord& t) { fake.time.SetPc(LocalTimeToNtpSeconds(t, 9)); }
  void RunTicks(int n) {
    for (int i = 0; i < n; ++i) {
      fake.time.Advance(0.1);
      TickProc(app);
    }
  }
};

TEST_F(OfflineApp, DisplayFollowsThePcClock) {
  EXPECT_EQ(app.view.StatusBar, "オフライン、ＰＣの時刻を表示中");
  EXPECT_EQ(app.view.LabelJst, "JST");
  EXPECT_EQ(app.view.EditdSS, "+30");
  SetPc(Rec(2025, 12, 1, 10, 15, 29, 950));
  RunTicks(1);
  EXPECT_EQ(app.view.EditJst, "10:15:30");
  EXPECT_EQ(app.view.EditUtc, "");
  EXPECT_EQ(app.view.EditPcErr, "--");
  fake.time.SetDrift(0.5);  // the display follows even a clock that runs fast
  RunTicks(20);
  EXPECT_EQ(app.view.EditJst, "10:15:33");
}

// The minute is rounded from the press, and the time from the press to the
// tick that sets the clock is counted on: at the press the clock then read
// the whole minute (plus the adjustment).
TEST_F(OfflineApp, SyncButtonSetsTheNearestWholeMinuteAsOfThePress) {
  const struct { LocalTimeRecord pressed; int syncParm; LocalTimeRecord expected; } cases[] = {
      {Rec(2025, 12, 1, 10, 15, 29, 900), 0, Rec(2025, 12, 1, 10, 15, 0)},
      {Rec(2025, 12, 1, 10, 15, 30, 0), 0, Rec(2025, 12, 1, 10, 16, 0)},
      {Rec(2025, 12, 31, 23, 59, 45, 0), 0, Rec(2026, 1, 1, 0, 0, 0)},
      {Rec(2025, 12, 1, 10, 15, 40, 0), -3, Rec(2025, 12, 1, 10, 15, 59, 700)},
      {Rec(2025, 12, 1, 0, 0, 10, 0), -1, Rec(2025, 11, 30, 23, 59, 59, 900)},
      {Rec(2025, 12, 1, 10, 15, 10, 0), 9, Rec(2025, 12, 1, 10, 15, 0, 900)},
  };
  for (const auto& c : cases) {
    app.settings.SyncParm = c.syncParm;
    SetPc(c.pressed);
    ButtonSyncPCClick(app);
    fake.time.Advance(0.099);
    TickProc(app);
    EXPECT_NEAR(fake.time.Pc() - 0.099, LocalTimeToNtpSeconds(c.expected, 9), 1e-6)
        << c.pressed.Hour << ":" << c.pressed.Minute << ":" << c.pressed.Second;
    EXPECT_FALSE(app.tick.ClockSetPending);
  }
  // The fake clock took the setting: it now reads what was set.
  SetPc(Rec(2025, 12, 1, 10, 15, 30, 0));
  app.settings.SyncParm = 0;
  ButtonSyncPCClick(app);
  TickProc(app);
  EXPECT_NEAR(fake.time.Pc(), LocalTimeToNtpSeconds(Rec(2025, 12, 1, 10, 16, 0), 9), 1e-6);
}

// A refused "同期" is told in the status bar and the log, each time.
TEST_F(OfflineApp, ARefusedClockSettingIsTold) {
  fake.clock.refuse = true;
  SetPc(Rec(2025, 12, 1, 10, 15, 29, 900));
  for (int press = 0; press < 2; ++press) {
    ButtonSyncPCClick(app);
    TickProc(app);
  }
  EXPECT_EQ(fake.clock.setCount, 2);
  EXPECT_EQ(app.view.StatusBar, "時刻校正に失敗");
  EXPECT_EQ(std::count(app.log.MemoLog().begin(), app.log.MemoLog().end(), "10:15:29  時刻校正に失敗"), 2);
  EXPECT_TRUE(fake.boxes.shown.empty());
}

TEST(Startup, LogsStartAndEndAndOpensTheFileByItsTime) {
  FakePlatform fake;
  fake.store.exists = true;
  fake.store.values = {{"IsLogOut", 1}, {"TimeZone", 0}};
  fake.time.SetPc(LocalTimeToNtpSeconds(Rec(2026, 1, 16, 2, 30, 5), 0));  // local time is UTC + the setting
  App app(fake.platform);
  FormCreate(app);
  ASSERT_TRUE(FormShow(app));
  EXPECT_FALSE(FormShow(app));  // only the first showing runs
  EXPECT_EQ(app.view.LabelJst, "LST");
  EXPECT_EQ(fake.logFile.openedName, "Quor01160230.log");
  EXPECT_EQ(fake.logFile.lines, std::vector<std::string>{"02:30:05  Quor運用開始"});
  FormCloseQuery(app);
  EXPECT_EQ(app.log.MemoLog().back(), "02:30:05  Quor運用終了");
  EXPECT_EQ(fake.logFile.lines.size(), 2u);
  EXPECT_FALSE(fake.logFile.open);
}

// The run's own tick: TickProc every 100 ms of virtual time from the start,
// one tick however often started, none after the stop.
TEST(Startup, RunningTicksEvery100msUntilStopped) {
  FakePlatform fake;
  App app(fake.platform);
  FormCreate(app);
  std::vector<double> ticks;  // when each tick ran, as a hook after each timer sees it
  uint64_t seen = 0;
  fake.timers.SetAfterEach([&] {
    if (app.tick.Count == seen) return;
    seen = app.tick.Count;
    ticks.push_back(fake.time.Now());
  });
  const double start = fake.time.Now();
  ASSERT_TRUE(StartRunning(app));
  EXPECT_FALSE(StartRunning(app));
  StartTick(app);
  EXPECT_EQ(fake.timers.Pending(), 1u);
  EXPECT_EQ(app.log.MemoLog().size(), 1u);  // "Quor運用開始" once
  EXPECT_TRUE(ticks.empty());               // never from inside the start

  fake.time.SetPc(LocalTimeToNtpSeconds(Rec(2026, 1, 16, 2, 30, 5, 500), 9));
  fake.timers.RunFor(1.05);
  ASSERT_EQ(ticks.size(), 10u);
  for (size_t i = 0; i < ticks.size(); ++i) EXPECT_NEAR(ticks[i] - start, 0.1 * (i + 1), 1e-6) << i;
  EXPECT_EQ(app.view.EditJst, "02:30:06");  // TickProc showed the PC's time

  StopRunning(app);
  EXPECT_EQ(app.log.MemoLog().back().substr(10), "Quor運用終了");
  EXPECT_EQ(fake.timers.Pending(), 0u);
  fake.timers.RunFor(1);
  EXPECT_EQ(ticks.size(), 10u);
  StopTick(app);  // stopping again does nothing

  // Started again after a stop, it beats anew; the program's end stops it.
  StartTick(app);
  fake.timers.RunFor(0.25);
  EXPECT_EQ(ticks.size(), 12u);
  FormDestroy(app);
  fake.timers.RunFor(1);
  EXPECT_EQ(ticks.size(), 12u);
}

TEST(Startup, WithoutLoggingNoFileAndAFailedOpenIsTold) {
  FakePlatform fake;
  App app(fake.platform);
  FormCreate(app);
  FormShow(app);
  EXPECT_EQ(fake.logFile.openedName, "");
  EXPECT_EQ(app.log.MemoLog().size(), 1u);

  FakePlatform fake2;
  fake2.store.exists = true;
  fake2.store.values = {{"IsLogOut", 1}};
  fake2.logFile.failOpen = true;
  App app2(fake2.platform);
  FormCreate(app2);
  FormShow(app2);
  EXPECT_EQ(fake2.boxes.shown, std::vector<std::string>{"ログファイルのオープンに失敗"});
  EXPECT_EQ(app2.log.MemoLog().size(), 1u);
}

TEST(Startup, NetworkUnavailableIsToldOnce) {
  FakePlatform fake;
  fake.network.address.reset();
  App app(fake.platform);
  FormCreate(app);
  EXPECT_FALSE(app.NetworkAvailable);
  EXPECT_EQ(fake.boxes.shown, std::vector<std::string>{"ネットワーク機能が使えません!!"});
}

TEST(Startup, TrayNeedsAConnection) {
  FakePlatform fake;
  App app(fake.platform);
  FormCreate(app);
  FormShow(app);
  EXPECT_FALSE(ButtonToTaskTrayClick(app));
  EXPECT_EQ(fake.boxes.shown, std::vector<std::string>{"受信機またはタイムサーバと接続して下さい!!"});
}

TEST(Startup, DelaySpinWrapsBothWays) {
  FakePlatform fake;
  App app(fake.platform);
  app.settings.dSSS = 9;
  CSpinButtondSSUpClick(app);
  EXPECT_EQ(app.settings.dSSS, 0);
  EXPECT_EQ(app.view.EditdSS, "+0");
  CSpinButtondSSDownClick(app);
  EXPECT_EQ(app.view.EditdSS, "+90");
}

}  // namespace

namespace {

// With the log file on, the first tick after local midnight starts the
// day's file, which begins with "Quorログ開始"; only the newest
// `LogKeepDays` log files stay.
TEST(Startup, LogFileStartsAfreshAtLocalMidnightAndOldOnesGo) {
  FakePlatform fake;
  fake.time.SetPc(LocalTimeToNtpSeconds(Rec(2026, 1, 16, 23, 59, 58, 0), 9));
  fake.store.exists = true;
  fake.store.values = {{"IsLogOut", 1}, {"LogKeepDays", 5}};
  for (int day = 1; day <= 8; ++day) {
    fake.logFile.stored.push_back({StrPrintf("Quor01%02d0000.log", day), day});
  }
  App app(fake.platform);
  FormCreate(app);
  ASSERT_TRUE(StartRunning(app));
  EXPECT_EQ(fake.logFile.openedName, "Quor01162359.log");
  EXPECT_EQ(fake.logFile.removed.size(), 4u);  // 01..04 go, 05..08 and the new one stay
  fake.timers.RunFor(1.5);
  EXPECT_EQ(fake.logFile.openedName, "Quor01162359.log");
  fake.timers.RunFor(1.0);
  EXPECT_EQ(fake.logFile.openedName, "Quor01170000.log");
  EXPECT_TRUE(fake.logFile.IsOpen());
  ASSERT_FALSE(fake.logFile.lines.empty());
  EXPECT_EQ(fake.logFile.lines.back(), "00:00:00  Quorログ開始");
  EXPECT_EQ(fake.logFile.removed.back(), "Quor01050000.log");
  EXPECT_EQ(fake.logFile.stored.size(), 5u);
  fake.timers.RunFor(5.0);
  EXPECT_EQ(fake.logFile.openedName, "Quor01170000.log");  // once a day
  StopRunning(app);
}

}  // namespace
