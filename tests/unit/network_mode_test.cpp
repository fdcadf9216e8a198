#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/connection.h"
#include "app/settings_apply.h"
#include "app/startup.h"
#include "app/tick.h"
#include "common/time_arithmetic.h"
#include "fakes/fake_platform.h"
#include "settings/settings_dialog.h"

namespace {

std::vector<uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

// The program in network mode (the port setting "ﾈｯﾄﾜｰｸ"), from 12:03:00.
struct NetworkMode : ::testing::Test {
  FakePlatform fake{ReceiverTimeToNtpSeconds(2025, 12, 29, 3, 3, 0)};
  App app{fake.platform};
  void SetUp() override {
    FormCreate(app);
    FormShow(app);
    app.settings.Port = kNetworkPort;
    app.settings.ServerIpAddr = "192.168.1.5";
  }
  struct Buttons {
    bool sync, parm, tray, serverInfo;
    bool operator==(const Buttons&) const = default;
  };
  Buttons Now() const {
    const MainControls v = app.Controls();
    return {v.ButtonSyncPCEnabled, v.ButtonParmSetEnabled, v.ButtonToTaskTrayEnabled,
            v.ButtonServerInfoEnabled};
  }
  void Ticks(int n) {
    for (int i = 0; i < n; ++i) {
      fake.time.Advance(0.1);
      TickProc(app);
    }
  }
  // The server's answer to the last request, 10 ms there and 10 ms back.
  void Answer(double serverOffset = 0) {
    const auto request = fake.udp.sent.back().bytes;
    std::vector<uint8_t> reply(48, 0);
    reply[0] = 0x24;
    reply[1] = 1;
    std::memcpy(reply.data() + 24, request.data() + 40, 8);
    fake.time.Advance(0.010);
    NtpTimestampEncode(fake.time.Now() + serverOffset, reply.data() + 32);
    NtpTimestampEncode(fake.time.Now() + serverOffset, reply.data() + 40);
    fake.time.Advance(0.010);
    fake.udp.Deliver(reply, fake.udp.sent.back().host, 123);
  }
};

TEST_F(NetworkMode, SntpConnectSyncAndDisconnect) {
  const struct {
    int ntpIntv;
    const char* status;
  } cases[] = {{10, "NTPｻｰﾊﾞに接続中"}, {0, "NTPｻｰﾊﾞに接続中、「同期」ボタンで接続先に合わせる"}};
  for (const auto& c : cases) {
    app.settings.NtpIntv = c.ntpIntv;
    ButtonConnectClick(app);
    EXPECT_TRUE(app.Connected());
    EXPECT_EQ(app.Controls().ButtonConnectCaption, "切断(&G)");
    EXPECT_EQ(app.view.StatusBar, c.status);
    EXPECT_EQ(app.log.MemoLog().back(), "12:03:00  NTP接続開始");
    EXPECT_TRUE((Now() == Buttons{true, false, true, false}));
    EXPECT_TRUE(fake.udp.sent.empty());  // nothing is asked at once

    ButtonSyncPCClick(app);
    ASSERT_EQ(fake.udp.sent.size(), 1u);
    EXPECT_EQ(fake.udp.sent.back().tag, kSendByButton);
    EXPECT_FALSE(app.Controls().ButtonSyncPCEnabled);
    ButtonSyncPCClick(app);  // disabled while awaited
    EXPECT_EQ(fake.udp.sent.size(), 1u);

    ButtonConnectClick(app);
    EXPECT_FALSE(app.Connected());
    EXPECT_TRUE((Now() == Buttons{true, true, false, false}));
    EXPECT_FALSE(app.network.SntpReplyAwaited());
    Answer();  // too late: the connection that asked is gone
    EXPECT_EQ(fake.clock.setCount, 0);
    fake.udp.sent.clear();
  }
}

// Network mode keeps the PC clock on the server's time at the schedule's
// marks: connecting at 12:03 with NtpIntv 10 asks at 12:10:00.
TEST_F(NetworkMode, KeepsTheClockOnTheServer) {
  fake.time.SetPcOffset(-1.5);
  ButtonConnectClick(app);
  while (fake.udp.sent.empty()) Ticks(1);
  const LocalTimeRecord asked = fake.clock.GetLocalTime();
  EXPECT_EQ(asked.Minute, 10);
  EXPECT_EQ(asked.Second, 0);
  Answer();
  EXPECT_NEAR(fake.time.Pc(), fake.time.Now(), 2e-6);
  EXPECT_EQ(app.view.StatusBar.substr(10), "同期しました［遅延量 +0.020 秒、補正量 +1.500 秒］");
  EXPECT_TRUE(app.Controls().ButtonSyncPCEnabled);
  Ticks(1);
  EXPECT_EQ(app.view.EditJst, "12:10:01");  // shown again, 1.5 s on
}

// The own LAN protocol opens with a handshake; only the server's "Quor Ok",
// while it is awaited, opens the connection.
TEST_F(NetworkMode, HandshakeWithTheServer) {
  app.settings.LanOpt = 0;
  ButtonConnectClick(app);
  ASSERT_EQ(fake.udp.sent.size(), 1u);
  EXPECT_EQ(fake.udp.sent[0].bytes, Bytes("Quor Conn"));
  EXPECT_EQ(fake.udp.sent[0].host, "192.168.1.5");
  EXPECT_EQ(fake.udp.sent[0].port, 123);
  EXPECT_EQ(app.view.StatusBar, "ネットワーク接続の準備中");
  EXPECT_TRUE((Now() == Buttons{false, false, true, false}));

  fake.udp.Deliver(Bytes("Quor Ok"), "192.168.1.66", 123);
  EXPECT_EQ(app.view.StatusBar, "ネットワーク接続の準備中");
  EXPECT_TRUE(app.Network()->AnswerAwaited());
  fake.udp.Deliver(Bytes("Quor Ok"), "192.168.1.5", 123);
  EXPECT_FALSE(app.Network()->AnswerAwaited());
  EXPECT_EQ(app.view.StatusBar, "ネットワーク接続中");
  EXPECT_EQ(app.log.MemoLog().back(), "12:03:00  Quor接続開始");
  EXPECT_TRUE((Now() == Buttons{true, false, true, true}));
  fake.udp.Deliver(Bytes("Quor Ok"), "192.168.1.5", 123);  // not awaited any more
  int opened = 0;
  for (const auto& line : app.log.MemoLog()) opened += line.find("Quor接続開始") != std::string::npos;
  EXPECT_EQ(opened, 1);
}

// A silent own-protocol server: after 50 ticks the connection is dropped,
// and opened again by itself after 5 s, then after twice the wait before,
// up to the interval; a server that answers the handshake again is asked at
// once, and the waits start again from 5 s.
TEST_F(NetworkMode, SilentServerTimesOutAndIsConnectedAgain) {
  app.settings.LanOpt = 0;
  app.settings.NtpIntv = 1;  // a one-minute cap
  ButtonConnectClick(app);
  Ticks(50);
  EXPECT_TRUE(app.Connected());
  Ticks(1);
  EXPECT_FALSE(app.Connected());
  EXPECT_EQ(app.view.StatusBar, "12:03:05  タイムアウト発生、回線を切断します!!");
  const auto& memo = app.log.MemoLog();
  EXPECT_EQ(memo[memo.size() - 2], app.view.StatusBar);
  EXPECT_EQ(memo.back(), "12:03:05  5 秒後に再接続します");
  EXPECT_EQ(app.Controls().ButtonConnectCaption, "接続(&G)");
  EXPECT_TRUE((Now() == Buttons{true, true, false, false}));

  std::vector<int> waits;
  for (int round = 0; round < 6; ++round) {
    const size_t sent = fake.udp.sent.size();
    int ticks = 0;
    while (!app.Connected() && ticks < 2000) {
      Ticks(1);
      ++ticks;
    }
    waits.push_back(ticks / 10);
    ASSERT_EQ(fake.udp.sent.size(), sent + 1);
    EXPECT_EQ(fake.udp.sent.back().bytes, Bytes("Quor Conn"));
    EXPECT_NE(memo.back().find("NTP接続開始"), std::string::npos);
    EXPECT_EQ(app.view.StatusBar, "ネットワーク接続の準備中");
    Ticks(51);  // silent again
    EXPECT_FALSE(app.Connected());
  }
  EXPECT_EQ(waits, (std::vector<int>{5, 10, 20, 40, 60, 60}));

  // The server is back: its handshake answer opens the connection, and the
  // server is asked at once.
  while (!app.Connected()) Ticks(1);
  fake.udp.Deliver(Bytes("Quor Ok"), "192.168.1.5", 123);
  EXPECT_NE(memo.back().find("Quor接続開始"), std::string::npos);
  ASSERT_EQ(fake.udp.sent.back().bytes.size(), 48u);
  Answer();
  Ticks(1);
  EXPECT_NE(app.view.StatusBar.find("同期しました"), std::string::npos);
  EXPECT_TRUE(app.Connected());
  // Lost again: the wait starts from 5 s.
  ButtonSyncPCClick(app);
  Ticks(51);
  EXPECT_FALSE(app.Connected());
  EXPECT_NE(memo.back().find("5 秒後に再接続します"), std::string::npos);
}

// The user's "接続(&G)"/"切断(&G)" or a settings change stops connecting again.
TEST_F(NetworkMode, UserOrSettingsStopTheReconnecting) {
  app.settings.LanOpt = 0;
  for (const bool bySettings : {false, true}) {
    ButtonConnectClick(app);
    Ticks(51);
    ASSERT_FALSE(app.Connected());
    if (bySettings) {
      ButtonParmSetApply(app, SettingsDialog(app.settings, "192.168.1.10"));
    } else {
      ButtonConnectClick(app);  // connected by the user ...
      ButtonConnectClick(app);  // ... and disconnected
    }
    const size_t sent = fake.udp.sent.size();
    Ticks(700);
    EXPECT_FALSE(app.Connected()) << bySettings;
    EXPECT_EQ(fake.udp.sent.size(), sent) << bySettings;
  }
}

// Asked at once on starting (as the service does): with SNTP the request
// goes out now; with the own protocol after the handshake's answer.
TEST_F(NetworkMode, AskedAtOnceAfterTheHandshake) {
  for (const int lanOpt : {1, 0}) {
    app.settings.LanOpt = lanOpt;
    fake.udp.sent.clear();
    ButtonConnectClick(app);
    AskServerNow(app, kSendByButton);
    if (lanOpt == 0) {
      ASSERT_EQ(fake.udp.sent.size(), 1u);
      EXPECT_EQ(fake.udp.sent.back().bytes, Bytes("Quor Conn"));
      fake.udp.Deliver(Bytes("Quor Ok"), "192.168.1.5", 123);
    }
    ASSERT_EQ(fake.udp.sent.size(), lanOpt == 0 ? 2u : 1u) << lanOpt;
    EXPECT_EQ(fake.udp.sent.back().bytes.size(), 48u);
    EXPECT_EQ(fake.udp.sent.back().bytes[0], 0x23);
    ButtonConnectClick(app);
  }
}

// A server name that cannot be looked up: network mode goes offline; the
// user hears of it in a message box only when a button sent; a periodic
// send is logged once.
TEST_F(NetworkMode, FailedHostLookup) {
  app.settings.ServerIpAddr = "ntp.invalid";
  ButtonConnectClick(app);
  ButtonSyncPCClick(app);
  app.OnHostLookupFailed("ntp.invalid", kSendByButton);
  EXPECT_FALSE(app.Connected());
  EXPECT_EQ(app.view.StatusBar, "オフライン、ＰＣの時刻を表示中");
  EXPECT_TRUE((Now() == Buttons{true, true, false, false}));
  EXPECT_EQ(fake.boxes.shown, std::vector<std::string>{"接続先 ntp.invalid が見つかりません!!"});

  ButtonConnectClick(app);
  const size_t lines = app.log.MemoLog().size();
  app.OnHostLookupFailed("ntp.invalid", kSendPeriodic);
  EXPECT_FALSE(app.Connected());
  EXPECT_EQ(fake.boxes.shown.size(), 1u);
  EXPECT_EQ(app.log.MemoLog().size(), lines + 1);
  EXPECT_EQ(app.log.MemoLog().back(), "12:03:00  接続先 ntp.invalid が見つかりません");

  // A receiver connection's periodic request: the connection stays, and the
  // failure is logged once.
  app.settings.Port = 0;
  ButtonConnectClick(app);
  app.OnHostLookupFailed("ntp.invalid", kSendPeriodic);
  app.OnHostLookupFailed("ntp.invalid", kSendPeriodic);
  EXPECT_TRUE(app.Connected());
  int told = 0;
  for (const auto& line : app.log.MemoLog()) told += line.find("見つかりません") != std::string::npos;
  EXPECT_EQ(told, 2);
}

}  // namespace
