#include "net/service_claim.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "net/ntp_packet.h"
#include "timekeeping/clock_discipline.h"

namespace {

void SetId(ServiceClaim& c, const char (&id)[5]) { std::memcpy(c.referenceId, id, 4); }

}  // namespace

int8_t PrecisionOf(double seconds) {
  if (!(seconds > 0)) return -30;
  const double p = std::ceil(std::log2(seconds));
  return static_cast<int8_t>(std::clamp(p, -30.0, 10.0));
}

ServiceClaim ClaimFor(const ClaimFacts& f) {
  ServiceClaim c;
  const ClockState* s = f.clock;
  const bool receiver = f.source == TimeSource::kReceiverPps || (f.source == TimeSource::kReceiver && s);
  if (receiver) {
    c.leap = f.leapPending ? 1 : 0;
    c.stratum = 1;
    SetId(c, "GPS\0");
    c.rootDelay = 0;
    if (f.source == TimeSource::kReceiverPps) {
      c.precision = PrecisionOf(std::max(f.edgeJitter, 1e-9));
      c.rootDispersion = f.edgeJitter + f.sinceEdge * kDispersionRate;
      c.referenceTime = f.edgeTime;
    } else {
      // The PC clock checked against the sentences: it may be off by as
      // much as a step would leave alone.
      c.precision = PrecisionOf(s->uncertainty);
      c.rootDispersion = ClockDiscipline::StepAllowanceMs(s->uncertainty) / 1000.0 +
                         f.sinceReference * kDispersionRate;
      c.referenceTime = s->referenceTime;
    }
    return c;
  }
  // A server is passed on only with a stratum of its own to add to.
  if (f.serverFresh && s && s->upstream.stratum >= 1 && s->upstream.stratum <= 15) {
    const UpstreamClaim& u = s->upstream;
    c.leap = u.leap;
    c.stratum = static_cast<uint8_t>(std::min(u.stratum + 1, 15));
    std::memcpy(c.referenceId, u.address, 4);
    c.precision = kPcClockPrecision;
    c.rootDelay = u.rootDelay + u.roundTrip;
    c.rootDispersion = u.rootDispersion + u.roundTrip / 2 + f.sinceReference * kDispersionRate;
    c.referenceTime = s->referenceTime;
    return c;
  }
  c.precision = kPcClockPrecision;
  if (f.serveLocalClock) {
    // An isolated LAN's common time: the PC clock as a local clock.
    c.leap = 0;
    c.stratum = NtpPacket::kLocalClockStratum;
    c.rootDispersion = 0;
    c.referenceTime = f.now;
  }
  return c;
}
