#include <gtest/gtest.h>

#include <string>

#include "app/app.h"
#include "app/connection.h"
#include "app/startup.h"
#include "app/tick.h"
#include "common/time_arithmetic.h"
#include "fakes/fake_platform.h"

namespace {

// Two programs on one LAN: a server with a receiver at .5 and a client in
// network mode with the own protocol at .10; the test carries datagrams.
struct LanPair : ::testing::Test {
  static constexpr double kStart = 3'976'000'000.0;
  FakePlatform serverPc{kStart}, clientPc{kStart};
  App server{serverPc.platform}, client{clientPc.platform};
  bool serverRunning = true;

  void SetUp() override {
    for (App* app : {&server, &client}) {
      FormCreate(*app);
      FormShow(*app);
    }
    ButtonConnectClick(server);  // a receiver on COM1
    // Its time usable, and the PC clock checked against it (no 1PPS).
    server.Receiver()->time.pps.ReceptionOk = true;
    ClockMeasurement check;
    check.source = ClockSource::kSentences;
    check.reference = check.pc = serverPc.time.Pc();
    check.uncertainty = 0.01;
    check.second = 10;
    check.usable = true;
    server.discipline.Measure(check);
    MainView& v = server.view;
    v.EditStatus = "受信中(NMEA)";
    v.LabelMapDatum = "日本測地系";
    v.EditLong = "135ﾟ30'12.3\"E";
    v.EditLat = " 35ﾟ01'02.5\"N";
    v.EditAntena = "52.1m";
    v.EditGeoid = "36.9m";
    v.EditNumSat = "8";
    v.EditNumMsg = "4";
    client.settings.Port = kNetworkPort;
    client.settings.LanOpt = 0;
    client.settings.ServerIpAddr = "192.168.1.5";
    clientPc.time.SetPcOffset(-3.0);
  }

  // Carries what each side sent to the other, 1 ms on the way.
  void Carry() {
    while (!serverPc.udp.sent.empty() || !clientPc.udp.sent.empty()) {
      auto toServer = std::move(clientPc.udp.sent);
      auto toClient = std::move(serverPc.udp.sent);
      clientPc.udp.sent.clear();
      serverPc.udp.sent.clear();
      Advance(0.001);
      for (const auto& d : toServer) {
        if (serverRunning) serverPc.udp.Deliver(d.bytes, "192.168.1.10", 123);
      }
      for (const auto& d : toClient) clientPc.udp.Deliver(d.bytes, "192.168.1.5", 123);
    }
  }
  void Advance(double s) {
    serverPc.time.Advance(s);
    clientPc.time.Advance(s);
  }
  void Ticks(int n) {
    for (int i = 0; i < n; ++i) {
      Advance(0.1);
      TickProc(server);
      TickProc(client);
      Carry();
    }
  }
};

TEST_F(LanPair, HandshakeMonitorSyncAndTimeOut) {
  ButtonConnectClick(client);
  Carry();
  EXPECT_EQ(client.view.StatusBar, "ネットワーク接続中");
  EXPECT_TRUE(client.Controls().ButtonServerInfoEnabled);

  // Answers not asked for, or from another address, are not shown.
  const std::string forged = "Quor =forged=x=y";
  clientPc.udp.Deliver({forged.begin(), forged.end()}, "192.168.1.5", 123);
  ButtonServerInfoClick(client);
  clientPc.udp.Deliver({forged.begin(), forged.end()}, "192.168.1.66", 123);
  EXPECT_EQ(client.view.EditStatus, "");
  Carry();
  EXPECT_EQ(client.view.StatusBar, "接続先の位置情報を表示中");
  EXPECT_EQ(client.view.EditStatus, "受信中(NMEA)");
  EXPECT_EQ(client.view.LabelMapDatum, "日本測地系");
  EXPECT_EQ(client.view.EditLat, "35ﾟ01'02.5\"N");
  EXPECT_EQ(client.view.EditNumMsg, "4");

  // The clock is kept by SNTP from the server (stratum 1, without 1PPS),
  // and the client then serves the server's time at stratum 2, naming it.
  ButtonSyncPCClick(client);
  Carry();
  EXPECT_NEAR(clientPc.time.Pc(), clientPc.time.Now(), 1e-5);
  EXPECT_NE(client.view.StatusBar.find("同期しました"), std::string::npos);
  EXPECT_FALSE(client.Network()->AnswerAwaited());
  std::vector<uint8_t> request(48, 0);
  request[0] = 0x23;
  clientPc.udp.Deliver(request, "192.168.1.77", 40000);
  ASSERT_FALSE(clientPc.udp.sent.empty());
  const std::vector<uint8_t>& reply = clientPc.udp.sent.back().bytes;
  EXPECT_EQ(reply[0] >> 6, 0);
  EXPECT_EQ(reply[1], 2);
  EXPECT_EQ(std::vector<uint8_t>(reply.begin() + 12, reply.begin() + 16),
            (std::vector<uint8_t>{192, 168, 1, 5}));
  // Its root delay: the server's (0) and the round trip to it (2 ms of the
  // carrying here), in 16.16 seconds.
  const uint32_t rootDelay = reply[4] << 24 | reply[5] << 16 | reply[6] << 8 | reply[7];
  EXPECT_NEAR(rootDelay / 65536.0, 0.002, 0.0002);
  clientPc.udp.sent.clear();

  // The server is gone: the next wait times out and the client goes offline.
  serverRunning = false;
  ButtonServerInfoClick(client);
  Ticks(50);
  EXPECT_TRUE(client.Connected());
  Ticks(1);
  EXPECT_FALSE(client.Connected());
  EXPECT_NE(client.view.StatusBar.find("タイムアウト発生、回線を切断します!!"), std::string::npos);
}

// A server without a receiver has no position to give.
TEST_F(LanPair, ServerWithoutReceiverSaysSo) {
  ButtonConnectClick(server);  // offline now
  ButtonConnectClick(client);
  Carry();
  ButtonServerInfoClick(client);
  Carry();
  EXPECT_EQ(client.view.StatusBar, "接続先の位置情報が取得できません！！");
  EXPECT_FALSE(client.Network()->AnswerAwaited());
  // In SNTP mode "ﾓﾆﾀｰ" sends nothing.
  ButtonConnectClick(client);
  client.settings.LanOpt = 1;
  ButtonConnectClick(client);
  ButtonServerInfoClick(client);
  EXPECT_TRUE(clientPc.udp.sent.empty());
}

}  // namespace
