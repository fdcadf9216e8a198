#pragma once
// The SNTP server on the fakes, with the references it works with.
#include <string>
#include <vector>

#include "fakes/fake_platform.h"
#include "net/ntp_packet.h"
#include "net/sntp_server.h"
#include "support/recording_log.h"

struct SntpServerWorld {
  explicit SntpServerWorld(double startNtp = 3'976'000'000.25) : fake(startNtp) {}

  FakePlatform fake;
  CounterScale counterScale{fake.counter};
  EdgeReference edge;
  RecordingLog log{fake.clock};
  StatusText status;
  TestDialogModel testDialog;
  ModelRows dialogRows{testDialog};
  int32_t timeZone = 9;
  AccessRules access;
  int32_t logRequests = 1;
  SntpServer server{SntpServerDeps{{edge, counterScale, fake.clock}, fake.udp, log, status,
                                   dialogRows, timeZone, access, logRequests}};

  // A client request (Mode 3) of `size` bytes with the given first byte and
  // a recognisable transmit timestamp.
  static std::vector<uint8_t> Request(uint8_t first = 0x23, size_t size = 48) {
    std::vector<uint8_t> b(size, 0);
    b[0] = first;
    b[2] = 6;                                   // poll
    b[4] = 0x00, b[5] = 0x01, b[6] = 0x80;      // root delay
    b[8] = 0x00, b[9] = 0x02, b[10] = 0x40;     // root dispersion
    for (int i = 0; i < 8; ++i) b[40 + i] = static_cast<uint8_t>(0xA0 + i);
    return b;
  }

  // What the program claims for a source: a receiver's time, checked a
  // second ago, or no source at all.
  ClockState checked{true, ClockSource::kPps, 1e-6, 0, 3'976'000'000.0, {}};
  ServiceClaim ClaimOf(TimeSource source) const {
    ClaimFacts f;
    f.source = source;
    f.clock = &checked;
    f.edgeJitter = 2e-6;
    f.sinceEdge = 0.5;
    f.edgeTime = 3'976'000'000.0;
    f.sinceReference = 1;
    return ClaimFor(f);
  }

  // Hands one datagram to the server as the routing would.
  std::optional<ReceivedReply> Receive(const std::vector<uint8_t>& bytes, TimeSource source,
                                       double waited = 0, const std::string& from = "10.0.0.7",
                                       uint16_t port = 40123) {
    return server.HandleNtpPacket(MakeDatagram(bytes, from, port, waited), source, ClaimOf(source));
  }

  NtpPacket LastReply() const {
    const auto& s = fake.udp.sent.back();
    return *NtpPacket::Parse(s.bytes.data(), s.bytes.size());
  }
};
