#include <gtest/gtest.h>

#include "app/app.h"
#include "app/connection.h"
#include "app/startup.h"
#include "app/tick.h"
#include "fakes/fake_platform.h"
#include "common/time_arithmetic.h"

namespace {

struct Connection : ::testing::Test {
  FakePlatform fake{ReceiverTimeToNtpSeconds(2025, 12, 29, 3, 57, 10)};  // 12:57:10 local
  App app{fake.platform};
  void SetUp() override {
    FormCreate(app);
    FormShow(app);
  }
  struct Buttons {
    bool sync, send, test, parm, tray;
    bool operator==(const Buttons&) const = default;
  };
  Buttons Now() const {
    const MainControls v = app.Controls();
    return {v.ButtonSyncPCEnabled, v.ButtonSendCommEnabled, v.ButtonTestDlgEnabled,
            v.ButtonParmSetEnabled, v.ButtonToTaskTrayEnabled};
  }
};

TEST_F(Connection, ReceiverConnectAndDisconnect) {
  ButtonConnectClick(app);
  EXPECT_TRUE(app.Connected());
  EXPECT_EQ(app.Controls().ButtonConnectCaption, "切断(&G)");
  EXPECT_EQ(app.view.StatusBar, "接続しました");
  EXPECT_EQ(app.log.MemoLog().back(), "12:57:10  受信機への接続要求");
  EXPECT_TRUE((Now() == Buttons{false, false, true, false, true}));
  ASSERT_NE(app.TestDialog(), nullptr);
  EXPECT_TRUE(app.TestDialog()->Exists);
  EXPECT_TRUE((app.Receiver() != nullptr));
  EXPECT_TRUE(fake.serial.lastLine == (SerialLine{0, 4800, 8, SerialParity::None, SerialStopBits::One,
                                                SerialFlowControl::None}));
  EXPECT_EQ(app.network.schedule.NextNtpMinute, 0);  // minute 57 -> 0
  // Until the first edge, the served time is the PC's.
  EXPECT_EQ(NtpTimestampDecode(app.edgeReference.EdgeNtpTime, fake.time.Now()), std::floor(fake.time.Now()));
  EXPECT_TRUE(ButtonToTaskTrayClick(app));

  ButtonConnectClick(app);
  EXPECT_FALSE(app.Connected());
  EXPECT_EQ(app.Controls().ButtonConnectCaption, "接続(&G)");
  EXPECT_EQ(app.view.StatusBar, "オフライン、ＰＣの時刻を表示中");
  EXPECT_EQ(app.log.MemoLog().back(), "12:57:10  接続終了");
  EXPECT_TRUE((Now() == Buttons{true, false, false, true, false}));
  EXPECT_EQ(app.TestDialog(), nullptr);
  EXPECT_FALSE((app.Receiver() != nullptr));
  EXPECT_EQ(fake.serial.closeCount, 1);
  EXPECT_FALSE(fake.serial.IsOpen());
}

// A connection starts its own state: the served time is the PC's, counted
// from this moment (no count left from an earlier run), and a "同期" asked
// for while connected does not outlive the connection.
TEST_F(Connection, EachConnectionStartsAfresh) {
  fake.counter.Configure(10'000'000, 123456789.0);
  ButtonConnectClick(app);
  EXPECT_EQ(app.edgeReference.LastEdgeCount, fake.counter.ReadCounter());
  ButtonSyncPCClick(app);
  EXPECT_TRUE(app.tick.ClockSetPending);
  app.Receiver()->time.pps.PpsSeen = true;
  ButtonConnectClick(app);
  EXPECT_FALSE(app.tick.ClockSetPending);
  for (int i = 0; i < 20; ++i) TickProc(app);
  EXPECT_EQ(fake.clock.setCount, 0);  // the offline tick rounds nothing

  ButtonConnectClick(app);
  EXPECT_FALSE(app.Receiver()->time.pps.PpsSeen);
  EXPECT_TRUE(app.Receiver()->time.timing.DataWait.Running());
}

TEST_F(Connection, NextNetworkMinute) {
  const struct { int minute, next; } cases[] = {{57, 0}, {55, 0}, {54, 55}, {0, 5}, {4, 5}};
  for (const auto& c : cases) {
    fake.time.SetPc(ReceiverTimeToNtpSeconds(2025, 12, 29, 3, c.minute, 0));
    ButtonConnectClick(app);
    EXPECT_EQ(app.network.schedule.NextNtpMinute, c.next) << c.minute;
    ButtonConnectClick(app);
  }
}

TEST_F(Connection, PortFailuresStayConnectedUntilTheUserDisconnects) {
  fake.serial.result = SerialPort::OpenResult::OpenFailed;
  ButtonConnectClick(app);
  EXPECT_TRUE(app.Connected());
  EXPECT_EQ(app.view.StatusBar, "接続に失敗!!");
  EXPECT_TRUE(fake.boxes.systemErrors.empty());
  // The tick reports the silence after 101 ticks, and again 101 later.
  for (int i = 0; i < 100; ++i) TickProc(app);
  EXPECT_EQ(app.view.StatusBar, "接続に失敗!!");
  TickProc(app);
  EXPECT_EQ(app.view.StatusBar, "12:57:10  受信できません!!");
  ButtonConnectClick(app);
  EXPECT_FALSE(app.Connected());

  fake.serial.result = SerialPort::OpenResult::ConfigureFailed;
  ButtonConnectClick(app);
  EXPECT_EQ(fake.boxes.systemErrors, std::vector<std::string>{"Invalid argument"});
  EXPECT_EQ(app.view.StatusBar, "接続に失敗!!");
  ButtonConnectClick(app);
  EXPECT_EQ(app.view.StatusBar, "オフライン、ＰＣの時刻を表示中");
}

TEST_F(Connection, NetworkServerAddressIsChecked) {
  app.settings.Port = kNetworkPort;
  ButtonConnectClick(app);
  EXPECT_EQ(fake.boxes.shown, std::vector<std::string>{"接続先のアドレスを指定して下さい!!"});
  // Any of the PC's own addresses, IPv6 ones in any spelling too.
  for (const char* own : {"192.168.1.10", "2001:db8:1::10", "2001:DB8:1:0::10", "fe80::10%eth0"}) {
    app.settings.ServerIpAddr = own;
    ButtonConnectClick(app);
    EXPECT_EQ(fake.boxes.shown.back(), "ＩＰアドレスが重複しています!!") << own;
    EXPECT_FALSE(app.Connected()) << own;
  }
  app.settings.ServerIpAddr = "ntp.example.jp";
  ButtonConnectClick(app);
  EXPECT_TRUE(app.Connected());
  EXPECT_EQ(fake.boxes.shown.size(), 5u);
}

TEST_F(Connection, LostPortIsShownAndDisconnectStillWorks) {
  ButtonConnectClick(app);
  fake.serial.sink->OnNoModemLines();
  fake.serial.sink->OnNoModemLines();
  int noted = 0;
  for (const auto& line : app.log.MemoLog()) noted += line.find("1PPS信号は使えません") != std::string::npos;
  EXPECT_EQ(noted, 1);
  fake.serial.sink->OnBytesDropped(65536);
  EXPECT_EQ(app.log.MemoLog().back(), "12:57:10  受信データが多すぎるため破棄しました(65536 バイト)");
  fake.serial.sink->OnPortLost("Input/output error");
  EXPECT_NE(app.view.StatusBar.find("受信機のポートが失われました"), std::string::npos);
  ButtonConnectClick(app);
  EXPECT_FALSE(app.Connected());
  EXPECT_EQ(fake.serial.closeCount, 1);
}

}  // namespace
