// What the LAN is served while the receiver's time stops being usable: a
// receiver that loses its fix (its 1PPS going on) or goes silent is not
// served as GPS time, and its served time never runs away from the true time.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>

#include "common/time_arithmetic.h"
#include "net/ntp_packet.h"
#include "sim/sim_world.h"

namespace {

struct Answer {
  int stratum = -1;
  int leap = -1;
  std::string referenceId;
  double transmitError = 0;  // served time minus true time, seconds
};

// One SNTP request from a LAN client, answered at once.
Answer Ask(SimWorld& w) {
  std::vector<uint8_t> request(48, 0);
  request[0] = 0x23;  // LI 0, VN 4, client
  const size_t before = w.fake.udp.sent.size();
  w.app.OnDatagram(MakeDatagram(request, "192.168.1.50", 123));
  Answer a;
  if (w.fake.udp.sent.size() == before) return a;
  const std::vector<uint8_t>& bytes = w.fake.udp.sent.back().bytes;
  const std::optional<NtpPacket> reply = NtpPacket::Parse(bytes.data(), bytes.size());
  if (!reply) return a;
  a.stratum = reply->Stratum;
  a.leap = reply->LeapIndicator;
  a.referenceId.assign(reinterpret_cast<const char*>(reply->ReferenceId),
                       strnlen(reinterpret_cast<const char*>(reply->ReferenceId), 4));
  a.transmitError = NtpTimestampDecode(reply->Transmit, w.Now()) - w.Now();
  return a;
}

TEST(TimeService, AReceiverWithoutUsableTimeIsNotServedAsGps) {
  for (const bool pps : {true, false}) {
    for (const bool silent : {false, true}) {
      SCOPED_TRACE(::testing::Message() << (pps ? "1PPS" : "no 1PPS") << (silent ? ", silent" : ", no fix"));
      SimOptions o;
      o.pps = pps;
      o.pcOffset = 0.4;
      SimWorld w(o);
      w.Connect();
      w.RunFor(60);
      Answer a = Ask(w);
      ASSERT_EQ(a.stratum, 1);
      EXPECT_EQ(a.referenceId, "GPS");
      // With 1PPS the edge and the counter give the time; without it the
      // PC clock does, as kept from the sentences.
      const double served = pps ? 0 : w.PcError();
      EXPECT_NEAR(a.transmitError, served, 1e-4);

      // Ten minutes without usable time: longer than the 32-bit count of a
      // 10 MHz counter lasts (429 s).
      const int64_t from = static_cast<int64_t>(w.Now()) + 1;
      const int64_t to = from + 600;
      auto lost = [from, to](int64_t s) { return s >= from && s < to; };
      if (silent) w.silentSecond = lost; else w.noFix = lost;
      w.RunFor(10);
      a = Ask(w);
      // No time source now: said so (stratum 0, LI 3), not served as GPS.
      EXPECT_EQ(a.stratum, 0);
      EXPECT_EQ(a.leap, 3);
      EXPECT_EQ(a.referenceId, "LOCL");
      w.RunFor(590);
      a = Ask(w);
      EXPECT_EQ(a.stratum, 0);
      // The PC clock, kept until the loss, still carries the time meanwhile.
      EXPECT_NEAR(a.transmitError, w.PcError(), 1e-4);
      EXPECT_NEAR(a.transmitError, served, 1e-3);

      // Back: served as GPS time again.
      w.RunFor(30);
      a = Ask(w);
      EXPECT_EQ(a.stratum, 1);
      EXPECT_EQ(a.referenceId, "GPS");
      EXPECT_NEAR(a.transmitError, served, 1e-4);
    }
  }
}

// From connecting on, every answer claimed as GPS time carries it: the PC
// clock, 3.4 s off at first, is served as GPS time only once a check has
// found it on the receiver's time or a step has put it there, and never
// while it cannot be set.
TEST(TimeService, ThePcClockIsServedAsGpsOnlyOnceItKeepsTheReceiversTime) {
  for (const bool pps : {true, false}) {
    for (const bool refused : {false, true}) {
      SCOPED_TRACE(::testing::Message() << (pps ? "1PPS" : "no 1PPS") << (refused ? ", setting refused" : ""));
      SimOptions o;
      o.pps = pps;
      o.pcOffset = 3.4;
      SimWorld w(o);
      w.fake.clock.refuse = refused;
      w.Connect();
      int gpsAnswers = 0;
      for (int i = 0; i < 600; ++i) {
        w.RunFor(0.1);
        const Answer a = Ask(w);
        if (a.stratum != 1) continue;
        ++gpsAnswers;
        // Without 1PPS the clock keeps the sentences' time, placed by the
        // receiver's sentence delay: within what a step would leave alone.
        ASSERT_NEAR(a.transmitError, 0, pps ? 1e-4 : 0.075) << "at " << i * 0.1 << " s";
      }
      // Served as GPS time at last, except from a clock that cannot be set.
      EXPECT_EQ(gpsAnswers > 0, pps || !refused);
    }
  }
}

}  // namespace
