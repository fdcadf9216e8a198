#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

#include "support/network_client_world.h"

namespace {

struct SntpClientTest : ::testing::Test, NetworkClientWorld {
  void SetUp() override { Connect(); }
  void Ask() { session->SendSntpRequest(kSendByButton); }
  double PcError() const { return fake.time.Pc() - fake.time.Now(); }
};

// Requests on the 5-minute marks of the PC clock, every NtpIntv minutes,
// counted from connecting at 12:03; an unanswered one is given up and the
// schedule goes on.
TEST_F(SntpClientTest, ScheduleFromTheMarks) {
  const struct {
    int ntpIntv;
    std::vector<int> minutes;
  } cases[] = {
      {10, {10, 20}}, {5, {5, 10, 15, 20}}, {3, {5, 10, 15, 20}}, {0, {}},
  };
  for (const auto& c : cases) {
    NetworkClientWorld w;
    w.settings.NtpIntv = c.ntpIntv;
    w.Connect();
    w.client.schedule.Start(3);
    std::vector<int> sentAt;
    for (int i = 0; i < 18 * 600 + 5; ++i) {
      w.fake.time.Advance(0.1);
      const size_t before = w.fake.udp.sent.size();
      w.session->Tick();
      if (w.fake.udp.sent.size() > before) {
        const LocalTimeRecord t = w.fake.clock.GetLocalTime();
        EXPECT_EQ(t.Second, 0);
        EXPECT_EQ(t.Hour, 12);
        EXPECT_EQ(w.LastSent().tag, kSendPeriodic);
        sentAt.push_back(t.Minute);
      }
    }
    EXPECT_EQ(sentAt, c.minutes) << c.ntpIntv;
    EXPECT_EQ(w.log.Count("NTPサーバから応答がありません"), static_cast<int>(c.minutes.size()));
  }
}

// A lost reply: after 50 ticks the wait ends with a log line and "同期"
// enabled again; the connection stays.
TEST_F(SntpClientTest, LostReplyEndsTheWait) {
  Ask();
  EXPECT_FALSE(SyncEnabled());
  for (int i = 0; i < 50; ++i) {
    fake.time.Advance(0.1);
    EXPECT_EQ(session->Tick(), NetworkSession::TickResult::kRunning);
  }
  EXPECT_TRUE(client.SntpReplyAwaited());
  Ticks(1);
  EXPECT_FALSE(client.SntpReplyAwaited());
  EXPECT_TRUE(SyncEnabled());
  EXPECT_EQ(status.text, "12:03:05  NTPサーバから応答がありません");
  EXPECT_EQ(log.lines.back(), status.text);
  // The reply that comes after all is a stray now.
  Deliver(ServeLastRequest());
  EXPECT_EQ(fake.clock.setCount, 0);
}

// The four timestamps give delay and offset; the clock is set through the
// discipline to the server's time plus SyncParm x 100 ms, and the shown
// correction is the offset alone.
TEST_F(SntpClientTest, ReplyCorrectsTheClock) {
  const struct {
    int syncParm;
    double expectedError;
  } cases[] = {{0, 0.0}, {3, 0.3}, {-2, -0.2}};
  for (const auto& c : cases) {
    NetworkClientWorld w;
    w.settings.SyncParm = c.syncParm;
    w.Connect();
    w.fake.time.SetPcOffset(-2.5);
    w.session->SendSntpRequest(kSendByButton);
    w.Deliver(w.ServeLastRequest());
    EXPECT_EQ(w.fake.clock.setCount, 1);
    EXPECT_NEAR(w.fake.time.Pc() - w.fake.time.Now(), c.expectedError, 2e-6) << c.syncParm;
    EXPECT_EQ(w.status.text.substr(10), "同期しました［遅延量 +0.020 秒、補正量 +2.500 秒］");
    EXPECT_EQ(w.log.lines.back(), w.status.text);
    EXPECT_TRUE(w.SyncEnabled());
    EXPECT_FALSE(w.client.SntpReplyAwaited());
    // The clock is now known to keep the server's time, since this setting.
    EXPECT_TRUE(w.discipline.ClockOnReference());
    EXPECT_EQ(w.discipline.State().source, ClockSource::kServer);
    EXPECT_NEAR(w.discipline.State().referenceTime, w.fake.time.Now() + c.expectedError, 1e-3);
  }
}

// The hold time at the server is not part of the delay, and the delay does
// not depend on the PC clock's millisecond reading.
TEST_F(SntpClientTest, DelayExcludesTheServersHold) {
  hold = 0.250;
  oneWay = 0.0003;
  fake.time.SetPc(fake.time.Now() + 0.0004567);
  Ask();
  Deliver(ServeLastRequest());
  EXPECT_EQ(status.text.substr(10), "同期しました［遅延量 +0.001 秒、補正量 -0.000 秒］");
}

// A correction of more than an hour is refused in each of its three forms;
// the clock is left alone.
TEST_F(SntpClientTest, TwoHoursOffIsRefused) {
  serverOffset = 7200;
  Ask();
  Deliver(ServeLastRequest());
  EXPECT_EQ(fake.clock.setCount, 0);
  EXPECT_EQ(status.text, "12:03:00  同期を見合わせました［補正量 +7200.000 秒!!］");
  EXPECT_EQ(log.lines.back(), status.text);
  EXPECT_FALSE(client.SntpReplyAwaited());
  EXPECT_TRUE(SyncEnabled());

  client.SendSntpRequest(ClientRole::kReceiver, TimeSource::kReceiver, kSendPeriodic);
  Deliver(ServeLastRequest(), ClientRole::kReceiver);
  EXPECT_EQ(status.text, "Delay exceeds 1 hour limit!!");

  testDialog.TestDialogShown = true;
  client.SendSntpRequest(ClientRole::kReceiver, TimeSource::kReceiver, kSendByButton);
  Deliver(ServeLastRequest(), ClientRole::kReceiver);
  EXPECT_EQ(testDialog.ListBoxMesg.back(), "Delay exceeds 1 hour limit!!");
  EXPECT_EQ(fake.clock.setCount, 0);
}

// A reply not asked for, from another address, or with an origin that is not
// the request's transmit time never reaches the clock, and does not end the
// wait; the ignored ones are logged once a minute.
TEST_F(SntpClientTest, ForgedRepliesNeverReachTheClock) {
  fake.time.SetPcOffset(-30);
  std::vector<uint8_t> unsolicited(48, 0);  // its origin is zero, as the client's before any request
  unsolicited[0] = 0x24;
  unsolicited[1] = 1;
  NtpTimestampEncode(fake.time.Now(), unsolicited.data() + 32);
  NtpTimestampEncode(fake.time.Now(), unsolicited.data() + 40);
  Deliver(unsolicited);
  Ask();
  const auto genuine = ServeLastRequest();
  auto wrongOrigin = genuine;
  wrongOrigin[31] ^= 0x01;
  Deliver(wrongOrigin);
  Deliver(genuine, ClientRole::kNetwork, "192.168.1.66");
  Deliver(genuine, ClientRole::kNetwork, "192.168.1.5", TimeSource::kPcClock, 1123);
  auto guessedTime = genuine;  // the right time, without the random bits
  guessedTime[29] &= 0xF0;
  guessedTime[30] = guessedTime[31] = 0;
  Deliver(guessedTime);
  EXPECT_EQ(fake.clock.setCount, 0);
  EXPECT_TRUE(client.SntpReplyAwaited());
  EXPECT_EQ(log.Count("要求していない応答を無視しました"), 1);

  Deliver(genuine);
  EXPECT_EQ(fake.clock.setCount, 1);
  EXPECT_NEAR(PcError(), 0, 2e-6);
  // Replayed once the request is answered: ignored.
  fake.time.Advance(61);
  fake.time.SetPcOffset(-30);
  Deliver(genuine);
  EXPECT_EQ(fake.clock.setCount, 1);
  EXPECT_EQ(log.Count("要求していない応答を無視しました"), 2);
}

// The bits of the transmit timestamp below 2^-12 s are random; those above
// are the send time.
TEST_F(SntpClientTest, RequestCarriesRandomLowBits) {
  randoms = {0xFFFFFFFFu, 0x00012345u};
  const double sent = fake.time.Pc();
  Ask();
  const NtpPacket first = LastRequest();
  Ask();
  const NtpPacket second = LastRequest();
  EXPECT_EQ(first.Bytes()[0], 0x23);
  EXPECT_EQ(first.Transmit[7], 0xFF);
  EXPECT_EQ(first.Transmit[6], 0xFF);
  EXPECT_EQ(first.Transmit[5] & 0x0F, 0x0F);
  EXPECT_EQ(second.Transmit[7], 0x45);
  EXPECT_EQ(second.Transmit[6], 0x23);
  EXPECT_EQ(second.Transmit[5] & 0x0F, 0x01);
  EXPECT_NEAR(NtpTimestampDecode(first.Transmit, sent), sent, 1.0 / 4096);
  EXPECT_EQ(std::vector<uint8_t>(first.Transmit, first.Transmit + 5),
            std::vector<uint8_t>(second.Transmit, second.Transmit + 5));
  EXPECT_EQ(LastSent().host, "192.168.1.5");
  EXPECT_EQ(LastSent().port, 123);
  EXPECT_EQ(LastSent().bytes.size(), 48u);
}

// A clock the system refused to set is reported as not set, in each form.
TEST_F(SntpClientTest, RefusedSettingIsReported) {
  fake.clock.refuse = true;
  fake.time.SetPcOffset(-2.5);
  const double referenceBefore = NtpTimestampDecode(edge.EdgeNtpTime, fake.time.Now());
  Ask();
  Deliver(ServeLastRequest());
  EXPECT_EQ(fake.clock.setCount, 1);
  EXPECT_EQ(status.text.substr(8), "  時刻校正に失敗［遅延量 +0.020 秒、補正量 +2.500 秒］");
  EXPECT_EQ(log.Count("同期しました"), 0);
  EXPECT_EQ(log.Count("時刻校正に失敗"), 1);
  EXPECT_EQ(NtpTimestampDecode(edge.EdgeNtpTime, fake.time.Now()), referenceBefore);
  EXPECT_TRUE(SyncEnabled());

  testDialog.TestDialogShown = true;
  client.SendSntpRequest(ClientRole::kReceiver, TimeSource::kReceiver, kSendByButton);
  Deliver(ServeLastRequest(), ClientRole::kReceiver);
  EXPECT_EQ(testDialog.ListBoxMesg.back().substr(8),
            "  時刻校正に失敗 delay : +0.020000 sec, dT : +2.500000 sec");
}

// Each check of an answer to the request, in both protocol modes: a reply
// that fails one ends the wait (the server is there) but never reaches the
// clock, though it would step it by 100 s; the reason is shown and logged.
TEST_F(SntpClientTest, RepliesThatFailACheckAreRefused) {
  const auto kiss = [](const char* code) {
    return [code](NtpPacket& p) {
      p.LeapIndicator = 3;
      p.Stratum = 0;
      std::memcpy(p.ReferenceId, code, 4);
    };
  };
  const struct {
    const char* name;
    std::function<void(NtpPacket&)> alter;
    const char* shown;  // what the status bar shows after the time stamp; "" when taken
  } cases[] = {
      {"version 1", [](NtpPacket& p) { p.Version = 1; }, ""},
      {"version 3", [](NtpPacket& p) { p.Version = 3; }, ""},
      {"version 0", [](NtpPacket& p) { p.Version = 0; }, "NTP応答を採用しません(バージョン 0)"},
      {"version 5", [](NtpPacket& p) { p.Version = 5; }, "NTP応答を採用しません(バージョン 5)"},
      {"version 7", [](NtpPacket& p) { p.Version = 7; }, "NTP応答を採用しません(バージョン 7)"},
      {"LI 3", [](NtpPacket& p) { p.LeapIndicator = 3; }, "メッセージ無効(LI=3)"},
      {"LI 1 (a leap second ahead)", [](NtpPacket& p) { p.LeapIndicator = 1; }, ""},
      {"stratum 15", [](NtpPacket& p) { p.Stratum = 15; }, ""},
      {"stratum 16", [](NtpPacket& p) { p.Stratum = 16; }, "応答メッセージ無効(Stratum=16)"},
      {"stratum 255", [](NtpPacket& p) { p.Stratum = 255; }, "応答メッセージ無効(Stratum=255)"},
      {"local clock",
       [](NtpPacket& p) {
         p.Stratum = 10;
         std::memcpy(p.ReferenceId, "LOCL", 4);
       },
       "応答メッセージ無効(Stratum=10)"},
      {"kiss RATE", kiss("RATE"), "NTPサーバから要求を控えるよう求められました(RATE)、5 秒待ちます"},
      {"kiss DENY", kiss("DENY"), "NTPサーバに拒否されました(DENY)、再接続まで要求しません"},
      {"kiss RSTR", kiss("RSTR"), "NTPサーバに拒否されました(RSTR)、再接続まで要求しません"},
      {"kiss of another code", kiss("INIT"), "応答メッセージ無効(Stratum=0)"},
      {"stratum 0 with LI 0", [](NtpPacket& p) { p.Stratum = 0; }, "応答メッセージ無効(Stratum=0)"},
      {"no transmit time", [](NtpPacket& p) { std::memset(p.Transmit, 0, 8); },
       "NTP応答を採用しません(送信時刻なし)"},
      {"transmit before receive",
       [](NtpPacket& p) { std::swap_ranges(p.Receive, p.Receive + 8, p.Transmit); },
       "NTP応答を採用しません(送信時刻が受信時刻より前)"},
      {"negative round trip",
       [](NtpPacket& p) {
         NtpTimestampEncode(NtpTimestampDecode(p.Receive, 0) + 1.0, p.Transmit);
       },
       "NTP応答を採用しません(往復時間 -0.978 秒)"},
  };
  for (const int lanOpt : {1, 0}) {
    for (const auto& c : cases) {
      NetworkClientWorld w;
      w.settings.LanOpt = lanOpt;
      w.serverOffset = 100;
      w.alterReply = c.alter;
      w.Connect();
      w.session->OnConnectAnswer("192.168.1.5");  // the own protocol's handshake
      w.session->SendSntpRequest(kSendByButton);
      EXPECT_TRUE(w.client.SntpReplyAwaited());
      w.Deliver(w.ServeLastRequest());
      const std::string what = std::string(c.name) + ", LanOpt " + std::to_string(lanOpt);
      EXPECT_FALSE(w.client.SntpReplyAwaited()) << what;
      EXPECT_FALSE(w.session->AnswerAwaited()) << what;
      EXPECT_TRUE(w.SyncEnabled()) << what;
      if (*c.shown == '\0') {
        EXPECT_EQ(w.fake.clock.setCount, 1) << what;
        EXPECT_NE(w.status.text.find("同期しました"), std::string::npos) << what;
        continue;
      }
      EXPECT_EQ(w.fake.clock.setCount, 0) << what;
      EXPECT_FALSE(w.discipline.ClockOnReference()) << what;
      const std::string shown =
          w.status.text.size() > 10 && w.status.text[8] == ' ' ? w.status.text.substr(10) : w.status.text;
      EXPECT_EQ(shown, c.shown) << what;
      EXPECT_EQ(w.log.lines.back(), w.status.text) << what;
    }
  }
  // The round trip may take as long as the reply is awaited, no longer.
  for (const double oneWay : {2.4, 2.6}) {
    NetworkClientWorld w;
    w.oneWay = oneWay;
    w.Connect();
    w.session->SendSntpRequest(kSendByButton);
    w.Deliver(w.ServeLastRequest());
    EXPECT_EQ(w.fake.clock.setCount, oneWay < 2.5 ? 1 : 0) << oneWay;
    if (oneWay > 2.5) {
      EXPECT_EQ(w.status.text.substr(10), "NTP応答を採用しません(往復時間 +5.200 秒)");
    }
  }
}

// A reason is logged once a minute however often it recurs; the status bar
// shows each.
TEST_F(SntpClientTest, RefusalsAreLoggedOnceAMinute) {
  serverStratum = 16;
  for (int i = 0; i < 4; ++i) {
    Ask();
    Deliver(ServeLastRequest());
    fake.time.Advance(10);
  }
  EXPECT_EQ(log.Count("応答メッセージ無効(Stratum=16)"), 1);
  serverStratum = 1;
  serverLeap = 3;
  Ask();
  Deliver(ServeLastRequest());
  EXPECT_EQ(log.Count("メッセージ無効(LI=3)"), 1);  // another reason: logged at once
  serverLeap = 0;
  serverStratum = 16;
  fake.time.Advance(30);
  Ask();
  Deliver(ServeLastRequest());
  EXPECT_EQ(status.text, log.lines.back().substr(0, status.text.size()));
  EXPECT_NE(log.lines.back().find("ほか 3 件"), std::string::npos);
}

// A taken reply hands the server's claim to the clock state, with half the
// round trip and the server's root dispersion as the uncertainty.
TEST_F(SntpClientTest, TakenReplyKeepsTheServersClaim) {
  serverStratum = 2;
  serverLeap = 1;
  alterReply = [](NtpPacket& p) {
    const uint8_t delay[4] = {0x00, 0x01, 0x80, 0x00};       // 1.5 s
    const uint8_t dispersion[4] = {0x00, 0x00, 0x40, 0x00};  // 0.25 s
    std::memcpy(p.RootDelay, delay, 4);
    std::memcpy(p.RootDispersion, dispersion, 4);
  };
  Ask();
  Deliver(ServeLastRequest());
  ASSERT_EQ(fake.clock.setCount, 1);
  const ClockState& s = discipline.State();
  EXPECT_EQ(s.upstream.leap, 1);
  EXPECT_EQ(s.upstream.stratum, 2);
  EXPECT_EQ(std::vector<uint8_t>(s.upstream.address, s.upstream.address + 4),
            (std::vector<uint8_t>{192, 168, 1, 5}));
  EXPECT_DOUBLE_EQ(s.upstream.rootDelay, 1.5);
  EXPECT_DOUBLE_EQ(s.upstream.rootDispersion, 0.25);
  EXPECT_NEAR(s.uncertainty, 0.010 + 0.25, 1e-6);
}

// "RATE": the wanted request goes out again after 5 s, then after twice
// the wait before, up to the interval (a minute for NtpIntv 0); "同期"
// during the wait says so and sends nothing; a taken reply starts the
// doubling again.
TEST_F(SntpClientTest, RateKissBacksOff) {
  const auto kissRate = [](NtpPacket& p) {
    p.Stratum = 0;
    std::memcpy(p.ReferenceId, "RATE", 4);
  };
  const struct {
    int ntpIntv;
    std::vector<int> waits;  // seconds from each kiss to the next request
  } cases[] = {{0, {5, 10, 20, 40, 60, 60}}, {10, {5, 10, 20, 40, 80, 160, 320, 600, 600}}};
  for (const auto& c : cases) {
    NetworkClientWorld w;
    w.settings.NtpIntv = c.ntpIntv;
    w.Connect();
    w.session->SendSntpRequest(kSendByButton);
    std::vector<int> waits;
    for (size_t i = 0; i < c.waits.size(); ++i) {
      w.alterReply = kissRate;
      w.Deliver(w.ServeLastRequest());
      const size_t sent = w.fake.udp.sent.size();
      w.session->SendSntpRequest(kSendByButton);
      EXPECT_EQ(w.fake.udp.sent.size(), sent);
      EXPECT_NE(w.status.text.find("NTPサーバの求めにより要求を控えています(あと "), std::string::npos);
      int ticks = 0;
      while (w.fake.udp.sent.size() == sent && ticks < 10000) {
        w.Ticks(1);
        ++ticks;
      }
      waits.push_back((ticks + 5) / 10);
    }
    EXPECT_EQ(waits, c.waits) << c.ntpIntv;
    EXPECT_EQ(w.fake.clock.setCount, 0);
    // Taken: the next kiss asks for 5 s again.
    w.alterReply = nullptr;
    w.Deliver(w.ServeLastRequest());
    EXPECT_EQ(w.fake.clock.setCount, 1);
    w.session->SendSntpRequest(kSendByButton);
    w.alterReply = kissRate;
    w.Deliver(w.ServeLastRequest());
    EXPECT_NE(w.status.text.find("(RATE)、5 秒待ちます"), std::string::npos);
  }
}

// "DENY" (or "RSTR"): nothing more is asked of the server, by the schedule
// or by "同期", until the user connects again.
TEST_F(SntpClientTest, DenyKissStopsAskingUntilConnectedAgain) {
  alterReply = [](NtpPacket& p) {
    p.Stratum = 0;
    std::memcpy(p.ReferenceId, "DENY", 4);
  };
  client.schedule.Start(3);
  Ask();
  Deliver(ServeLastRequest());
  const size_t sent = fake.udp.sent.size();
  Ticks(13 * 600);  // past the 12:10 and 12:20 marks
  Ask();
  EXPECT_EQ(fake.udp.sent.size(), sent);
  EXPECT_EQ(status.text.substr(10), "NTPサーバに拒否されています、再接続まで要求しません");
  EXPECT_EQ(log.Count("NTPサーバに拒否されました(DENY)"), 1);
  EXPECT_EQ(fake.clock.setCount, 0);

  Disconnect();
  Connect();
  alterReply = nullptr;
  Ask();
  EXPECT_EQ(fake.udp.sent.size(), sent + 1);
  Deliver(ServeLastRequest());
  EXPECT_EQ(fake.clock.setCount, 1);
}

// The test dialog's client with 1PPS: T1 and T4 come from the edge and the
// counter, and the result is listed in the dialog.
TEST_F(SntpClientTest, ReceiverModeListsTheResultInTheDialog) {
  testDialog.TestDialogShown = true;
  fake.time.SetPcOffset(-0.75);
  NtpTimestampEncode(std::floor(fake.time.Now()), edge.EdgeNtpTime);
  edge.LastEdgeCount = counterScale.Now() - static_cast<uint32_t>((fake.time.Now() - std::floor(fake.time.Now())) * 1e7);
  client.SendSntpRequest(ClientRole::kReceiver, TimeSource::kReceiverPps, kSendByButton);
  Deliver(ServeLastRequest(), ClientRole::kReceiver, "192.168.1.5", TimeSource::kReceiverPps);
  ASSERT_FALSE(testDialog.ListBoxMesg.empty());
  EXPECT_EQ(testDialog.ListBoxMesg.back().substr(8), "  delay : +0.020000 sec, dT : +0.000000 sec");
  EXPECT_NEAR(PcError(), 0, 2e-6);
}

}  // namespace
