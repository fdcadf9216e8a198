#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "support/network_client_world.h"

namespace {

struct SntpClientTest : ::testing::Test, NetworkClientWorld {
  void SetUp() override { client.Connect(); }
  void Ask() { client.SendSntpRequest(ClientRole::kNetwork, TimeSource::kPcClock, kSendByButton); }
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
    w.client.Connect();
    w.client.schedule.Start(3);
    std::vector<int> sentAt;
    for (int i = 0; i < 18 * 600 + 5; ++i) {
      w.fake.time.Advance(0.1);
      const size_t before = w.fake.udp.sent.size();
      w.client.Tick();
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
  EXPECT_FALSE(syncEnabled);
  for (int i = 0; i < 50; ++i) {
    fake.time.Advance(0.1);
    EXPECT_EQ(client.Tick(), NetworkClient::TickResult::kRunning);
  }
  EXPECT_TRUE(client.SntpReplyAwaited());
  Ticks(1);
  EXPECT_FALSE(client.SntpReplyAwaited());
  EXPECT_TRUE(syncEnabled);
  EXPECT_EQ(statusBar, "12:03:05  NTPサーバから応答がありません");
  EXPECT_EQ(log.lines.back(), statusBar);
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
    w.client.Connect();
    w.fake.time.SetPcOffset(-2.5);
    w.client.SendSntpRequest(ClientRole::kNetwork, TimeSource::kPcClock, kSendByButton);
    w.Deliver(w.ServeLastRequest());
    EXPECT_EQ(w.fake.clock.setCount, 1);
    EXPECT_NEAR(w.fake.time.Pc() - w.fake.time.Now(), c.expectedError, 2e-6) << c.syncParm;
    EXPECT_EQ(w.statusBar.substr(10), "同期しました［遅延量 +0.020 秒、補正量 +2.500 秒］");
    EXPECT_EQ(w.log.lines.back(), w.statusBar);
    EXPECT_TRUE(w.syncEnabled);
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
  EXPECT_EQ(statusBar.substr(10), "同期しました［遅延量 +0.001 秒、補正量 -0.000 秒］");
}

// A correction of more than an hour is refused in each of its three forms;
// the clock is left alone.
TEST_F(SntpClientTest, TwoHoursOffIsRefused) {
  serverOffset = 7200;
  Ask();
  Deliver(ServeLastRequest());
  EXPECT_EQ(fake.clock.setCount, 0);
  EXPECT_EQ(statusBar, "12:03:00  同期を見合わせました［補正量 +7200.000 秒!!］");
  EXPECT_EQ(log.lines.back(), statusBar);
  EXPECT_FALSE(client.SntpReplyAwaited());
  EXPECT_TRUE(syncEnabled);

  client.SendSntpRequest(ClientRole::kReceiver, TimeSource::kReceiver, kSendPeriodic);
  EXPECT_TRUE(syncEnabled);  // a receiver connection's button is not the client's
  Deliver(ServeLastRequest(), ClientRole::kReceiver);
  EXPECT_EQ(statusBar, "Delay exceeds 1 hour limit!!");

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
  EXPECT_EQ(statusBar.substr(8), "  時刻校正に失敗［遅延量 +0.020 秒、補正量 +2.500 秒］");
  EXPECT_EQ(log.Count("同期しました"), 0);
  EXPECT_EQ(log.Count("時刻校正に失敗"), 1);
  EXPECT_EQ(NtpTimestampDecode(edge.EdgeNtpTime, fake.time.Now()), referenceBefore);
  EXPECT_TRUE(syncEnabled);

  testDialog.TestDialogShown = true;
  client.SendSntpRequest(ClientRole::kReceiver, TimeSource::kReceiver, kSendByButton);
  Deliver(ServeLastRequest(), ClientRole::kReceiver);
  EXPECT_EQ(testDialog.ListBoxMesg.back().substr(8),
            "  時刻校正に失敗 delay : +0.020000 sec, dT : +2.500000 sec");
}

// Replies that are answers but not usable: stratum 0 (a kiss code) or a
// local clock ("LOCL", a Quor without a receiver) in SNTP mode, and LI 3,
// leave the request awaited; the own protocol takes a Quor without a
// receiver.
TEST_F(SntpClientTest, UnusableRepliesKeepTheRequestAwaited) {
  serverStratum = 0;
  Ask();
  Deliver(ServeLastRequest());
  EXPECT_EQ(statusBar, "12:03:00  応答メッセージ無効(Stratum=0)");
  EXPECT_TRUE(client.SntpReplyAwaited());
  EXPECT_TRUE(syncEnabled);

  serverStratum = 10;
  std::memcpy(serverId, "LOCL", 4);
  Ask();
  Deliver(ServeLastRequest());
  EXPECT_EQ(statusBar, "12:03:00  応答メッセージ無効(Stratum=10)");
  EXPECT_TRUE(client.SntpReplyAwaited());
  EXPECT_EQ(fake.clock.setCount, 0);
  std::memcpy(serverId, "GPS", 4);

  serverStratum = 1;
  serverLeap = 3;
  Ask();
  Deliver(ServeLastRequest());
  EXPECT_EQ(statusBar, "メッセージ無効(LI=3)");
  EXPECT_TRUE(client.SntpReplyAwaited());
  EXPECT_EQ(fake.clock.setCount, 0);

  serverStratum = 0;
  serverLeap = 0;
  settings.LanOpt = 0;
  Ask();
  EXPECT_TRUE(client.AwaitingData);
  Deliver(ServeLastRequest());
  EXPECT_EQ(fake.clock.setCount, 1);
  EXPECT_FALSE(client.AwaitingData);
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
