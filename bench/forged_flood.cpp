// The own LAN protocol's server under floods from forged source addresses,
// in virtual time (no network): how many answers the flood draws, the bytes
// sent against the bytes received, and what a legitimate client on another
// prefix gets meanwhile. Prints figures only.
//
//   forged_flood
//
// 1. "Quor Pos" from 32000 forged sources at 4000 a second for 8 s.
// 2. "Quor Conn" from 1024 forged sources at 4000 a second for 5 s, and a
//    legitimate "Quor Conn" from 192.168.5.20 once a second.
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "net/lan_protocol_server.h"
#include "net/position_answer.h"

namespace {

struct VirtualClock : PcClock {
  double now = 3'976'000'000.0;
  void UseTimeZone(int) override {}
  LocalTimeRecord GetLocalTime() override { return {}; }
  double ReadNtpSeconds() override { return now; }
  bool SetLocalTime(const LocalTimeRecord&, uint32_t) override { return false; }
};

struct CountingEndpoint : UdpEndpoint {
  size_t answers = 0, bytes = 0, legitimate = 0;
  BindResult Bind(uint16_t, UdpEventSink&, std::string&) override { return BindResult::kOk; }
  void Send(const std::string& host, uint16_t, const uint8_t*, size_t size, int) override {
    ++answers;
    bytes += size;
    if (host == "192.168.5.20") ++legitimate;
  }
};

struct PlainCodec : TextCodec {
  std::string ToCp932(const std::string& s) override { return s; }
  std::string FromCp932(const std::string& s) override { return s; }
};

// The n-th of `count` forged sources: each on a /24 of its own, spread
// over 10.0.0.0/8 (a real flood forges random addresses).
std::string Forged(uint32_t n, uint32_t count) {
  const uint32_t i = (n % count) * 2654435761u % (1u << 24);
  return std::to_string(10) + "." + std::to_string(i >> 16 & 255) + "." +
         std::to_string(i >> 8 & 255) + "." + std::to_string(i & 255);
}

const PositionFields kFix{"受信中(NMEA)", "WGS-84", "139ﾟ46'01.7\"E", "35ﾟ40'52.5\"N",
                          "40.1m", "36.7m", "8", "5"};

struct Server {
  VirtualClock clock;
  CountingEndpoint udp;
  PlainCodec codec;
#ifdef QUOR_BENCH_BEFORE_ACCESS
  LanProtocolServer server{udp, codec, clock};
#else
  AccessRules access;
  LanProtocolServer server{udp, codec, clock, access};
  Server() { access.Configure(1, "", {}); }  // everyone may ask: the worst case
#endif
};

void PositionFlood() {
  Server s;
  const uint32_t rate = 4000, seconds = 8, sources = 32000;
  size_t bytesIn = 0;
  for (uint32_t n = 0; n < rate * seconds; ++n) {
    s.clock.now += 1.0 / rate;
    s.server.OnPositionRequest(Forged(n, sources), kFix);
    bytesIn += 8;
  }
  std::printf("\"Quor Pos\" from %u forged sources at %u/s for %u s:\n", sources, rate, seconds);
  std::printf("  answers drawn %zu of %u, bytes out %zu for %zu in (%.2fx)\n", s.udp.answers,
              rate * seconds, s.udp.bytes, bytesIn, double(s.udp.bytes) / double(bytesIn));
}

void ConnectFlood() {
  Server s;
  const uint32_t rate = 4000, seconds = 5, sources = 1024;
  size_t bytesIn = 0, asked = 0;
  for (uint32_t n = 0; n < rate * seconds; ++n) {
    s.clock.now += 1.0 / rate;
    s.server.OnConnectRequest(Forged(n, sources));
    bytesIn += 9;
    if (n % rate == rate / 2) {
      s.server.OnConnectRequest("192.168.5.20");
      ++asked;
      bytesIn += 9;
    }
  }
  std::printf("\"Quor Conn\" from %u forged sources at %u/s for %u s:\n", sources, rate, seconds);
  std::printf("  answers drawn %zu, bytes out %zu for %zu in (%.2fx)\n", s.udp.answers,
              s.udp.bytes, bytesIn, double(s.udp.bytes) / double(bytesIn));
  std::printf("  legitimate client (192.168.5.20): %zu of %zu answered\n", s.udp.legitimate, asked);
}

}  // namespace

int main() {
  PositionFlood();
  ConnectFlood();
  return 0;
}
