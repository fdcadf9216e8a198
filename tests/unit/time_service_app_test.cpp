#include <gtest/gtest.h>

#include "app/app.h"
#include "app/connection.h"
#include "app/startup.h"
#include "common/time_arithmetic.h"
#include "fakes/fake_platform.h"
#include "support/sntp_server_world.h"

namespace {

// Port 123 that cannot be bound is told once, in the log and the status bar,
// with the reason; the program goes on.
TEST(TimeServiceStart, BindFailureIsToldWithItsReason) {
  const struct {
    UdpEndpoint::BindResult result;
    const char* text;
  } cases[] = {
      {UdpEndpoint::BindResult::kNoRight, "12:57:10  UDPポート123を開けません(権限がありません)"},
      {UdpEndpoint::BindResult::kInUse, "12:57:10  UDPポート123を開けません(他のプログラムが使用中です)"},
      {UdpEndpoint::BindResult::kFailed, "12:57:10  UDPポート123を開けません(Permission denied)"},
  };
  for (const auto& c : cases) {
    FakePlatform fake{ReceiverTimeToNtpSeconds(2025, 12, 29, 3, 57, 10)};
    fake.udp.bindResult = c.result;
    App app{fake.platform};
    FormCreate(app);
    ASSERT_TRUE(FormShow(app));
    EXPECT_EQ(fake.udp.boundPort, 123);
    EXPECT_EQ(app.view.StatusBar, c.text);
    EXPECT_EQ(app.log.MemoLog().back(), c.text);
    EXPECT_EQ(app.log.MemoLog().size(), 2u);
  }
}

// Bound, the program answers a request in every state, claiming what the
// state allows.
TEST(TimeServiceStart, AnswersOfflineAndWithAReceiver) {
  FakePlatform fake{ReceiverTimeToNtpSeconds(2025, 12, 29, 3, 57, 10)};
  App app{fake.platform};
  FormCreate(app);
  FormShow(app);
  EXPECT_EQ(app.view.StatusBar, "オフライン、ＰＣの時刻を表示中");
  ASSERT_NE(fake.udp.sink, nullptr);

  const auto request = SntpServerWorld::Request();
  fake.udp.Deliver(request, "10.0.0.7", 40000);
  ASSERT_EQ(fake.udp.sent.size(), 1u);
  // Offline: no time source, said as such (LI 3, stratum 0); with the
  // setting to serve the local clock, stratum 10.
  EXPECT_EQ(fake.udp.sent.back().bytes[0] >> 6, 3);
  EXPECT_EQ(fake.udp.sent.back().bytes[1], 0);
  app.settings.ServeLocalClock = 1;
  fake.udp.Deliver(request, "10.0.0.7", 40000);
  EXPECT_EQ(fake.udp.sent.back().bytes[0] >> 6, 0);
  EXPECT_EQ(fake.udp.sent.back().bytes[1], 10);
  app.settings.ServeLocalClock = 0;

  // Connected, before the receiver's time is usable: still no source.
  ButtonConnectClick(app);
  fake.udp.Deliver(request, "10.0.0.7", 40000);
  EXPECT_EQ(fake.udp.sent.back().bytes[1], 0);
  app.Receiver()->time.pps.ReceptionOk = true;
  fake.udp.Deliver(request, "10.0.0.7", 40000);
  EXPECT_EQ(fake.udp.sent.back().bytes[1], 0);
  // Once a check has found the PC clock on the receiver's time.
  ClockMeasurement check;
  check.source = ClockSource::kSentences;
  check.reference = fake.time.Pc() - 0.012;
  check.pc = fake.time.Pc();
  check.uncertainty = 0.025;
  check.second = 10;
  check.usable = true;
  app.discipline.Measure(check);
  fake.udp.Deliver(request, "10.0.0.7", 40000);
  EXPECT_EQ(fake.udp.sent.back().bytes[1], 1);
  // The precision of the sentences' timing (25 ms fits under 2^-5 s).
  EXPECT_EQ(static_cast<int8_t>(fake.udp.sent.back().bytes[3]), -5);
  // 1PPS seen, but no edge's time taken yet: the PC clock still.
  app.Receiver()->time.pps.PpsSeen = true;
  fake.udp.Deliver(request, "10.0.0.7", 40000);
  EXPECT_EQ(static_cast<int8_t>(fake.udp.sent.back().bytes[3]), -5);
  // An edge: the precision of its timing (a millisecond until its spread is known).
  app.Receiver()->time.timing.TicksSinceEdgeTaken = 0;
  fake.udp.Deliver(request, "10.0.0.7", 40000);
  EXPECT_EQ(static_cast<int8_t>(fake.udp.sent.back().bytes[3]), -9);
  EXPECT_EQ(app.log.MemoLog().back(), "12:57:10  LI:0,VN:4,Mode:3,Stratum:0,Poll:6,Prec:0,From:10.0.0.7");
}

}  // namespace
