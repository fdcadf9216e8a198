#include "app/status_facts.h"

#include <cstring>

#include "app/app.h"
#include "common/text_format.h"

namespace {

std::string ReferenceIdText(const ServiceClaim& claim) {
  const uint8_t* id = claim.referenceId;
  // Below a server the id is that server's IPv4 address; otherwise a code.
  if (claim.stratum >= 2 && std::memcmp(id, NtpPacket::kLocalClockId, 4) != 0) {
    return StrPrintf("%u.%u.%u.%u", unsigned{id[0]}, unsigned{id[1]}, unsigned{id[2]}, unsigned{id[3]});
  }
  std::string code;
  for (int i = 0; i < 4 && id[i] != 0; ++i) code += (id[i] >= 0x20 && id[i] < 0x7F) ? static_cast<char>(id[i]) : '?';
  return code;
}

}  // namespace

StatusFacts GatherStatus(const App& app) {
  StatusFacts f;
  const bool network = app.Network() != nullptr;
  f.mode = !app.Connected() ? "offline" : network ? "network" : "receiver";
  const ClockState& state = app.discipline.State();
  switch (app.ServiceSource()) {
    case TimeSource::kReceiverPps: f.source = "GPS receiver with 1PPS"; break;
    case TimeSource::kReceiver: f.source = "GPS receiver"; break;
    case TimeSource::kPcClock:
      f.source = network && state.source == ClockSource::kServer && state.onReference
                     ? "PC clock set from " + app.settings.ServerIpAddr
                     : "PC clock";
      break;
  }
  const ServiceClaim claim = app.ServiceClaimNow();
  f.stratum = claim.stratum;
  f.referenceId = ReferenceIdText(claim);
  f.leap = claim.leap;
  f.rootDispersion = claim.rootDispersion;
  f.synchronised = state.onReference;
  if (state.referenceTime > 0) f.lastCheck = state.referenceTime;
  f.lastOffset = state.offset;
  f.uncertainty = state.uncertainty;
  f.frequencyPpm = state.frequencyPpm;
  if (app.LastClockStep) {
    f.lastStep = app.LastClockStep->target;
    f.lastStepSize = app.LastClockStep->size;
  }
  f.keys = app.keys.Size();
  const SntpServerCounts& counts = app.server.Counts();
  f.served = counts.served;
  f.servedWithKey = counts.authenticated;
  f.cryptoNaks = counts.cryptoNaks;
  f.refused = counts.refused;
  f.rateLimited = counts.rateLimited;
  f.clientsLastHour = app.server.Clients().Count(app.platform.clock.ReadNtpSeconds());
  f.clientsAtLeast = app.server.Clients().Saturated();
  return f;
}
