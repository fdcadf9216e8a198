#include "app/status_report.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app.h"
#include "app/startup.h"
#include "app/status_facts.h"
#include "common/time_arithmetic.h"
#include "fakes/fake_platform.h"
#include "support/sntp_server_world.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t end = text.find('\n', pos);
    lines.push_back(text.substr(pos, end - pos));
    pos = end == std::string::npos ? text.size() : end + 1;
  }
  return lines;
}

bool Has(const std::vector<std::string>& lines, const std::string& line) {
  for (const auto& l : lines) {
    if (l == line) return true;
  }
  return false;
}

// Each kind of state gives its lines, one fact a line; counters that do not
// exist are left out of the text and null in the JSON.
TEST(StatusReport, FactsBecomeLines) {
  StatusFacts never;
  never.mode = "offline";
  never.source = "PC clock";
  never.stratum = 0;
  never.referenceId = "LOCL";

  StatusFacts receiver;
  receiver.mode = "receiver";
  receiver.source = "GPS receiver with 1PPS";
  receiver.stratum = 1;
  receiver.referenceId = "GPS";
  receiver.leap = 1;
  receiver.synchronised = true;
  receiver.rootDispersion = 0.000125;
  receiver.lastCheck = ReceiverTimeToNtpSeconds(2026, 1, 16, 3, 4, 5);
  receiver.lastOffset = -0.000012345;
  receiver.uncertainty = 0.000002;
  receiver.frequencyPpm = -12.5;
  receiver.lastStep = ReceiverTimeToNtpSeconds(2026, 1, 16, 3, 0, 0);
  receiver.lastStepSize = 0.25;
  receiver.keys = 3;
  receiver.served = 1234;
  receiver.servedWithKey = 12;
  receiver.cryptoNaks = 2;
  receiver.refused = 7;
  receiver.rateLimited = 8;
  receiver.clientsLastHour = 4096;
  receiver.clientsAtLeast = true;

  const struct {
    const char* name;
    StatusFacts facts;
    std::vector<std::string> want;
    std::vector<std::string> absent;
  } cases[] = {
      {"nothing known yet", never,
       {"Mode              : offline", "Source            : PC clock", "Stratum           : 0",
        "Reference ID      : LOCL", "Leap status       : Not synchronised", "Synchronised      : No",
        "Last check        : never", "Last offset       : -", "Uncertainty       : -",
        "Last step         : never", "Last step size    : -", "Requests served   : 0",
        "Clients last hour : 0"},
       {"Requests refused", "Rate limited"}},
      {"a checked receiver", receiver,
       {"Mode              : receiver", "Source            : GPS receiver with 1PPS",
        "Stratum           : 1", "Reference ID      : GPS", "Leap status       : Insert second",
        "Synchronised      : Yes", "Root dispersion   : 0.000125 seconds",
        "Last check        : 2026-01-16 03:04:05 UTC", "Last offset       : -0.000012345 seconds",
        "Uncertainty       : 0.000002000 seconds", "Frequency         : -12.500 ppm",
        "Last step         : 2026-01-16 03:00:00 UTC", "Last step size    : +0.250000 seconds",
        "Keys              : 3", "Requests served   : 1234", "Served with key   : 12",
        "Crypto-NAKs       : 2", "Requests refused  : 7", "Rate limited      : 8",
        "Clients last hour : at least 4096"},
       {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string text = StatusReportText(c.facts);
    const std::vector<std::string> lines = Lines(text);
    for (const auto& w : c.want) EXPECT_TRUE(Has(lines, w)) << w << "\n" << text;
    for (const auto& a : c.absent) EXPECT_EQ(text.find(a), std::string::npos) << a;
  }
  EXPECT_NE(StatusReportJson(never).find("\"last_offset\":null"), std::string::npos);
  EXPECT_NE(StatusReportJson(never).find("\"requests_refused\":null"), std::string::npos);
  const std::string json = StatusReportJson(receiver);
  for (const char* part : {"\"mode\":\"receiver\"", "\"stratum\":1", "\"leap\":1", "\"last_offset\":-0.000012345",
                           "\"frequency_ppm\":-12.500000", "\"last_step_size\":0.250000000",
                           "\"requests_served\":1234", "\"requests_refused\":7", "\"clients_at_least\":true"}) {
    EXPECT_NE(json.find(part), std::string::npos) << part << "\n" << json;
  }
}

// Text from outside (a server name) cannot break the JSON.
TEST(StatusReport, JsonEscapesText) {
  StatusFacts f;
  f.source = "PC clock set from a\"b\\c\n";
  EXPECT_NE(StatusReportJson(f).find("\"source\":\"PC clock set from a\\\"b\\\\c\\u000a\""), std::string::npos);
}

// The program's facts: offline with nothing checked, then the requests it
// served and the distinct clients that sent them.
TEST(StatusReport, GatheredFromTheProgram) {
  FakePlatform fake{ReceiverTimeToNtpSeconds(2025, 12, 29, 3, 57, 10)};
  App app{fake.platform};
  FormCreate(app);
  FormShow(app);
  StatusFacts f = GatherStatus(app);
  EXPECT_EQ(f.mode, "offline");
  EXPECT_EQ(f.source, "PC clock");
  EXPECT_FALSE(f.lastCheck);
  EXPECT_FALSE(f.lastStep);
  const auto request = SntpServerWorld::Request();
  fake.udp.Deliver(request, "10.0.0.7", 40000);
  fake.udp.Deliver(request, "10.0.0.8", 40000);
  fake.udp.Deliver(request, "10.0.0.7", 40001);
  f = GatherStatus(app);
  EXPECT_EQ(f.served, 3u);
  EXPECT_EQ(f.clientsLastHour, 2u);
  EXPECT_EQ(f.leap, 3);
}

}  // namespace
