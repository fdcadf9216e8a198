// What a receiver's sentences make of the PC clock, through the whole core:
// a second whose time cannot be read, a leap second, and a marker character
// inside a sentence. Each second the receiver sends one burst, read at the
// line's pace, 100 ms ticks running, without 1PPS.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "app/app.h"
#include "app/connection.h"
#include "app/startup.h"
#include "app/tick.h"
#include "common/time_arithmetic.h"
#include "fakes/fake_platform.h"

namespace {

// "$<body>*hh\r\n" with the right checksum.
std::string Sentence(const std::string& body) {
  unsigned sum = 0;
  for (char c : body) sum ^= static_cast<uint8_t>(c);
  char tail[8];
  std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
  return "$" + body + tail;
}

std::string Gga(const std::string& time) {
  return Sentence("GPGGA," + time + ",3540.8742,N,13946.0275,E,1,08,1.1,40.0,M,37.0,M,,");
}

std::string Rmc(const std::string& time, const std::string& date) {
  return Sentence("GPRMC," + time + ",A,3540.8742,N,13946.0275,E,0.0,0.0," + date + ",,,A");
}

// A receiver of the kind "その他" without a second correction: each burst,
// sent 100 ms after a second, names the coming second.
struct ReceiverTime : ::testing::Test {
  FakePlatform fake{ReceiverTimeToNtpSeconds(2026, 6, 30, 23, 58, 0)};
  App app{fake.platform};
  double trueTime() const { return fake.time.Now(); }

  void SetUp() override {
    FormCreate(app);
    FormShow(app);
    app.settings.Receiver = kOtherReceiver;
    app.settings.dSec = 0;
    ButtonConnectClick(app);
    ASSERT_TRUE((app.Receiver() != nullptr));
  }
  // One second: the burst arrives 100 ms into it; the ticks run to its end.
  void Second(const std::string& burst) {
    const double start = std::floor(trueTime()) + 1;
    fake.time.AdvanceTo(start + 0.1);
    CounterCapture arrival;
    arrival.counter = app.counterScale.Now();
    arrival.pcLocal = fake.clock.GetLocalTime();
    fake.serial.sink->OnBytes(reinterpret_cast<const uint8_t*>(burst.data()), burst.size(), &arrival);
    for (double tick = start + 0.137; tick < start + 1; tick += 0.1) {
      fake.time.AdvanceTo(tick);
      TickProc(app);
    }
  }
  // Seconds of good sentences, naming the coming second (UTC).
  void GoodSeconds(int n) {
    for (int i = 0; i < n; ++i) {
      const LocalTimeRecord t = NtpSecondsToLocalTime(std::floor(trueTime()) + 2, 0);
      char time[32], date[32];
      std::snprintf(time, sizeof time, "%02d%02d%02d", t.Hour, t.Minute, t.Second);
      std::snprintf(date, sizeof date, "%02d%02d%02d", t.Day, t.Month, t.Year % 100);
      Second(Gga(time) + Rmc(time, date));
    }
  }
};

// A fix with an empty time field is no time: the second held from before
// would step the clock a second wrong.
TEST_F(ReceiverTime, ASecondWithoutAReadableTimeNeverSetsTheClock) {
  GoodSeconds(30);
  ASSERT_EQ(app.view.StatusBar, "受信中(NMEA)");
  const int setsBefore = fake.clock.setCount;
  for (int i = 0; i < 20; ++i) {
    Second("$GPGGA,,3540.8742,N,13946.0275,E,1,08,1.1,40.0,M,37.0,M,,*78\r\n");
  }
  EXPECT_EQ(fake.clock.setCount, setsBefore);
  EXPECT_NEAR(fake.time.Pc() - trueTime(), 0, 0.001);
}

// A receiver set to 5 Hz names each second five times: it is processed
// once a second, kept right, and never taken for one that stopped.
TEST_F(ReceiverTime, ATimeSentenceFiveTimesASecondIsOneSecond) {
  GoodSeconds(10);
  for (int i = 0; i < 30; ++i) {
    const double start = std::floor(trueTime()) + 1;
    const LocalTimeRecord t = NtpSecondsToLocalTime(start + 1, 0);
    char time[32], date[32];
    std::snprintf(time, sizeof time, "%02d%02d%02d", t.Hour, t.Minute, t.Second);
    std::snprintf(date, sizeof date, "%02d%02d%02d", t.Day, t.Month, t.Year % 100);
    for (int k = 0; k < 5; ++k) {
      fake.time.AdvanceTo(start + 0.1 + 0.2 * k);
      CounterCapture arrival;
      arrival.counter = app.counterScale.Now();
      arrival.pcLocal = fake.clock.GetLocalTime();
      const std::string fraction = "." + std::to_string(2 * k) + "0";
      const std::string burst = Gga(time + fraction) + Rmc(time + fraction, date);
      fake.serial.sink->OnBytes(reinterpret_cast<const uint8_t*>(burst.data()), burst.size(), &arrival);
      for (double tick = start + 0.137 + 0.2 * k; tick < start + 0.3 + 0.2 * k; tick += 0.1) {
        fake.time.AdvanceTo(tick);
        TickProc(app);
      }
    }
    EXPECT_EQ(app.view.EditUtc, std::string(time).insert(2, ":").insert(5, ":")) << i;
  }
  int stopped = 0;
  for (const std::string& line : app.log.MemoLog()) stopped += line.find("受信が途絶えました") != std::string::npos;
  EXPECT_EQ(stopped, 0);
  EXPECT_EQ(app.view.StatusBar, "受信中(NMEA)");
  EXPECT_EQ(fake.clock.setCount, 0);
}

// A "=" or "#" inside a sentence starts nothing: the GGA after it is read.
TEST_F(ReceiverTime, AMarkerCharacterInsideASentenceSwallowsNothing) {
  GoodSeconds(10);
  const unsigned starts = app.Receiver()->time.timing.SecondStarts;
  Second(Sentence("GPTXT,01,01,02,ANTSTATUS=OK") + Sentence("GPTXT,01,01,02,#1 OK") +
         Gga("235812"));
  EXPECT_EQ(app.Receiver()->time.timing.SecondStarts, starts + 1);
  EXPECT_EQ(app.Receiver()->time.pps.Second, 12);
}

// 23:59:60 is shown as what it is and never set from; the PC clock, which
// knows no leap second, is a second ahead after it and is set back once.
TEST_F(ReceiverTime, ALeapSecondIsShownAndFollowedByOneCorrectStep) {
  GoodSeconds(50);  // the bursts now name 23:58:52
  for (;;) {
    const LocalTimeRecord t = NtpSecondsToLocalTime(trueTime(), 0);
    if (t.Minute == 59 && t.Second == 57) break;
    GoodSeconds(1);
  }
  ASSERT_EQ(fake.clock.setCount, 0);
  // The receiver's seconds 23:59:59, 23:59:60, then the next day's.
  const std::string date = "300626";
  Second(Gga("235959") + Rmc("235959", date));
  Second(Gga("235960") + Rmc("235960", date));
  EXPECT_EQ(app.view.EditUtc, "23:59:60");
  EXPECT_EQ(app.view.EditJst, "08:59:60");
  EXPECT_EQ(fake.clock.setCount, 0);
  Second(Gga("000000") + Rmc("000000", "010726"));
  Second(Gga("000001") + Rmc("000001", "010726"));
  ASSERT_EQ(fake.clock.setCount, 1);
  // Set back by the leap second, to the receiver's time.
  EXPECT_NEAR(fake.time.Pc() - trueTime(), -1.0, 0.001);
  for (int i = 0; i < 30; ++i) {
    const LocalTimeRecord t = NtpSecondsToLocalTime(std::floor(trueTime()) + 1, 0);
    char time[32];
    std::snprintf(time, sizeof time, "%02d%02d%02d", t.Hour, t.Minute, t.Second);
    Second(Gga(time) + Rmc(time, "010726"));
  }
  EXPECT_EQ(fake.clock.setCount, 1);
}

}  // namespace
