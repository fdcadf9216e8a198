// The real Jupiter capture through the whole receiver path: line assembly,
// dispatcher, parsers and the per-second step.
#include <gtest/gtest.h>

#include "app/app.h"
#include "app/connection.h"
#include "app/startup.h"
#include "app/tick.h"
#include "fakes/fake_platform.h"
#include "support/captures.h"
#include "common/time_arithmetic.h"

namespace {

TEST(BinaryCapture, JupiterFramesGiveStatusPositionAndDate) {
  FakePlatform fake(ReceiverTimeToNtpSeconds(2005, 6, 13, 20, 42, 20));
  App app(fake.platform);
  FormCreate(app);
  FormShow(app);
  ButtonConnectClick(app);
  const std::string bytes = ReadCapture("zodiac.log");
  ASSERT_GT(bytes.size(), 5000u);
  // About seven 40-byte receive passes per second of the receiver's output.
  for (size_t at = 0; at < bytes.size(); at += 40) {
    const std::string piece = bytes.substr(at, 40);
    fake.serial.sink->OnBytes(reinterpret_cast<const uint8_t*>(piece.data()), piece.size());
    fake.time.Advance(0.1);
    TickProc(app);
  }
  EXPECT_EQ(app.view.StatusBar, "受信中(ﾊﾞｲﾅﾘ)");
  EXPECT_EQ(app.view.EditLat, " 52ﾟ03'45.5\"N");  // "%3d" degrees
  EXPECT_EQ(app.view.EditLong, "  5ﾟ08'18.7\"E");
  EXPECT_EQ(app.view.EditNumSat, "8");
  EXPECT_EQ(app.view.EditdSS, "+40");
  EXPECT_EQ(app.view.LabelMapDatum, "WGS-84系");
  EXPECT_EQ(app.session->time.pps.UtcYear, 2005);
  EXPECT_EQ(app.session->time.pps.UtcMonth, 6);
  EXPECT_EQ(app.session->time.pps.UtcDay, 13);
  EXPECT_EQ(app.session->time.pps.UtcHour, 20);
  EXPECT_EQ(app.session->time.pps.Minute, 42);
  EXPECT_FALSE(app.session->cfg.NmeaMode);
  bool started = false;
  for (const auto& line : app.log.MemoLog()) started |= line.find("接続開始") != std::string::npos;
  EXPECT_TRUE(started);
}

}  // namespace
