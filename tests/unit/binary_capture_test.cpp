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
  // A Jupiter of 2005 read after the date floor: 1024 weeks early, and told.
  EXPECT_EQ(app.Receiver()->time.pps.UtcYear, 2025);
  EXPECT_EQ(app.Receiver()->time.pps.UtcMonth, 1);
  EXPECT_EQ(app.Receiver()->time.pps.UtcDay, 27);
  int told = 0;
  for (const std::string& line : app.log.MemoLog()) {
    told += line.find("受信機の日付 2005/06/13 をGPS週番号の周回(1024週)分進めて 2025/01/27 とします") !=
            std::string::npos;
  }
  EXPECT_EQ(told, 1);
  EXPECT_EQ(app.Receiver()->time.pps.UtcHour, 20);
  EXPECT_EQ(app.Receiver()->time.pps.Minute, 42);
  EXPECT_FALSE(app.Receiver()->cfg.NmeaMode);
  bool started = false;
  for (const auto& line : app.log.MemoLog()) started |= line.find("接続開始") != std::string::npos;
  EXPECT_TRUE(started);
}

// Garbled receiver streams through the whole path, as fuzzing found them: a
// CCA-370H stream with RMC as the base sentence and an absurd latitude,
// followed by an armed edge.
TEST(BinaryCapture, GarbledStreamsThroughTheWholePath) {
  FakePlatform fake(ReceiverTimeToNtpSeconds(2025, 12, 29, 3, 4, 5));
  App app(fake.platform);
  FormCreate(app);
  FormShow(app);
  app.settings.Receiver = kCca370h;
  app.settings.BaseMesg = 1;
  ButtonConnectClick(app);
  const std::string streams[] = {
      "$GNRMC,,A,9E264,\n",
      "$GNRMC,235959,A,1e30,N,-9E264,W,,,320199,,,\n",
      "$GPZDA,240000,-2147483648,2147483647,-2147483648,\n",
  };
  for (const std::string& stream : streams) {
    fake.serial.sink->OnBytes(reinterpret_cast<const uint8_t*>(stream.data()), stream.size());
    for (int i = 0; i < 30; ++i) {
      EdgeCapture edge;
      edge.counter = fake.counter.ReadCounter();
      edge.pcLocal = fake.clock.GetLocalTime();
      fake.serial.sink->OnDsrChange(edge);
      fake.time.Advance(0.1);
      TickProc(app);
      fake.serial.sink->OnBytes(reinterpret_cast<const uint8_t*>(stream.data()), stream.size());
    }
  }
  EXPECT_EQ(fake.clock.setCount, 0);
}

}  // namespace
