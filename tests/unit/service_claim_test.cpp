#include "net/service_claim.h"
#include "net/sntp_reply_checks.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string Id(const ServiceClaim& c) {
  return std::string(reinterpret_cast<const char*>(c.referenceId), strnlen(reinterpret_cast<const char*>(c.referenceId), 4));
}

// A reply claims a source only where there is one, and a precision and
// dispersion no better than measured.
TEST(ServiceClaim, FromTheStateOfTheTimeSource) {
  ClockState sentences{true, ClockSource::kSentences, 0.025, 0.004, 1000.0, {}};
  ClockState server{true, ClockSource::kServer, 0.003, 0, 2000.0, {}};
  server.upstream = {0, 2, {192, 168, 1, 5}, 0.010, 0.020, 0.004};
  ClockState offServer = server;
  offServer.upstream.stratum = 15;
  offServer.upstream.leap = 1;
  struct Case {
    const char* name;
    TimeSource source;
    const ClockState* clock;
    bool serverFresh, serveLocal, leapPending;
    int leap, stratum;
    const char* id;
    int precision;
    double dispersionFrom, dispersionTo;
    double reference;
  };
  const Case cases[] = {
      {"1PPS", TimeSource::kReceiverPps, &sentences, false, false, false, 0, 1, "GPS", -18, 3e-6, 4e-5, 500.0},
      {"1PPS, leap tonight", TimeSource::kReceiverPps, &sentences, false, false, true, 1, 1, "GPS", -18, 3e-6, 4e-5, 500.0},
      {"sentences", TimeSource::kReceiver, &sentences, false, false, false, 0, 1, "GPS", -5, 0.075, 0.0751, 1000.0},
      {"server", TimeSource::kPcClock, &server, true, false, false, 0, 3, "\xC0\xA8\x01\x05", -20, 0.022, 0.0221, 2000.0},
      {"server at 15", TimeSource::kPcClock, &offServer, true, false, false, 1, 15, "\xC0\xA8\x01\x05", -20, 0.022, 0.0221, 2000.0},
      {"server gone stale", TimeSource::kPcClock, &server, false, false, false, 3, 0, "LOCL", -20, 16, 16, 0},
      {"no source", TimeSource::kPcClock, &sentences, false, false, false, 3, 0, "LOCL", -20, 16, 16, 0},
      {"no source, local clock served", TimeSource::kPcClock, &sentences, false, true, false, 0, 10, "LOCL", -20, 0, 0, 7000.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ClaimFacts f;
    f.source = c.source;
    f.clock = c.clock;
    f.edgeJitter = 3e-6;
    f.sinceEdge = 0.6;
    f.edgeTime = 500.0;
    f.sinceReference = 4;
    f.serverFresh = c.serverFresh;
    f.serveLocalClock = c.serveLocal;
    f.leapPending = c.leapPending;
    f.now = 7000.0;
    const ServiceClaim claim = ClaimFor(f);
    EXPECT_EQ(claim.leap, c.leap);
    EXPECT_EQ(claim.stratum, c.stratum);
    EXPECT_EQ(Id(claim), c.id);
    EXPECT_EQ(claim.precision, c.precision);
    EXPECT_GE(claim.rootDispersion, c.dispersionFrom);
    EXPECT_LE(claim.rootDispersion, c.dispersionTo);
    EXPECT_EQ(claim.referenceTime, c.reference);
  }
}

}  // namespace

// The reference id served for an upstream server: its IPv4 address, or the
// first four bytes of the MD5 digest of its IPv6 address.
TEST(ServiceClaim, UpstreamReferenceIdNamesTheServer) {
  const struct {
    const char* from;
    uint8_t id[4];
  } cases[] = {
      {"192.168.1.5", {192, 168, 1, 5}},
      {"::ffff:192.168.1.5", {192, 168, 1, 5}},  // an IPv4 sender on the dual-stack socket
      {"2001:db8::1", {0x39, 0xab, 0x9b, 0x37}},
      {"ntp.example.jp", {0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    const UpstreamClaim claim = ClaimOf(NtpPacket{}, c.from);
    EXPECT_EQ(std::memcmp(claim.address, c.id, 4), 0) << c.from;
  }
}
