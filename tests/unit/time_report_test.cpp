#include <gtest/gtest.h>

#include <cmath>

#include "app/app.h"
#include "app/connection.h"
#include "app/startup.h"
#include "app/report_time_button.h"
#include "common/time_arithmetic.h"
#include "fakes/fake_platform.h"
#include "net/time_report_stamp.h"

namespace {

TEST(TimeReportStampTest, ThreeForms) {
  const LocalTimeRecord t{2005, 3, 1, 14, 12, 34, 56, 789};
  EXPECT_EQ(TimeReportStamp(t, ReportPrecision::kMilliseconds), "20050314123456_789");
  EXPECT_EQ(TimeReportStamp(t, ReportPrecision::kTenths), "20050314123456_7xx");
  EXPECT_EQ(TimeReportStamp(t, ReportPrecision::kSeconds), "20050314123456_xxx");
  const LocalTimeRecord early{2005, 1, 0, 2, 3, 4, 5, 9};
  EXPECT_EQ(TimeReportStamp(early, ReportPrecision::kMilliseconds), "20050102030405_009");
  EXPECT_EQ(TimeReportStamp(early, ReportPrecision::kTenths), "20050102030405_0xx");
}

// "報時(&R)" in each state: the stamp on the clipboard and in the log line,
// of the same moment.
struct TimeReport : ::testing::Test {
  // 2025-12-29 12:57:10.789 local, PC clock 0.5 s fast.
  FakePlatform fake{ReceiverTimeToNtpSeconds(2025, 12, 29, 3, 57, 10) + 0.289};
  App app{fake.platform};
  void SetUp() override {
    fake.time.SetPcOffset(0.5);
    FormCreate(app);
    FormShow(app);
  }
  void Report(const std::string& stamp) {
    ButtonReportTimeClick(app);
    EXPECT_EQ(fake.clipboard.text, stamp);
    EXPECT_EQ(app.log.MemoLog().back(), stamp.substr(8, 2) + ":" + stamp.substr(10, 2) + ":" +
                                            stamp.substr(12, 2) + "  報時要求 - " + stamp);
  }
};

TEST_F(TimeReport, FromTheSourceAtHand) {
  Report("20251229125710_xxx");
  ButtonConnectClick(app);  // a receiver, no 1PPS yet
  Report("20251229125710_7xx");
  // With 1PPS: the last edge (true time) plus the counter, plus SyncParm.
  const double edge = std::floor(fake.time.Now());
  NtpTimestampEncode(edge, app.edgeReference.EdgeNtpTime);
  app.edgeReference.LastEdgeCount = app.counterScale.Now() - 2'890'000;  // 0.289 s ago
  app.Receiver()->time.pps.PpsSeen = true;
  app.Receiver()->time.pps.ReceptionOk = true;
  app.Receiver()->time.timing.TicksSinceEdgeTaken = 0;
  Report("20251229125710_289");
  app.settings.SyncParm = 2;
  Report("20251229125710_489");
  ButtonConnectClick(app);
  app.settings.Port = kNetworkPort;
  app.settings.ServerIpAddr = "192.168.1.5";
  ButtonConnectClick(app);
  Report("20251229125710_7xx");
}

}  // namespace
