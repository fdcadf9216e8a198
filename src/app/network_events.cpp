// The datagrams of port 123, routed to the time server, the network client
// and the own LAN protocol.
#include "app/app.h"

#include <algorithm>

#include "app/connection.h"
#include "common/ip_address.h"
#include "common/text_format.h"
#include "common/time_arithmetic.h"

TimeSource App::ServiceSource() const {
  const ReceiverSession* session = Receiver();
  if (!session) return TimeSource::kPcClock;
  // A receiver without usable time (no fix, or silent) is served as the
  // local clock it leaves behind, not as GPS time; so is the PC clock until
  // a check has found it on the receiver's time (or a step put it there).
  const TimeKeeper& time = session->time;
  if (!time.TimeUsable()) return TimeSource::kPcClock;
  if (time.EdgeReferenceFresh()) return TimeSource::kReceiverPps;
  return discipline.ClockOnReference() ? TimeSource::kReceiver : TimeSource::kPcClock;
}

ServiceClaim App::ServiceClaimNow() const {
  ClaimFacts f;
  f.source = ServiceSource();
  const ClockState& state = discipline.State();
  f.clock = &state;
  const double now = platform.clock.ReadNtpSeconds();
  f.now = now;
  f.sinceReference = std::max(0.0, now - state.referenceTime);
  f.serveLocalClock = settings.ServeLocalClock == 1;
  if (const ReceiverSession* session = Receiver()) {
    f.edgeJitter = session->time.EdgeJitter();
    f.sinceEdge = counterScale.SecondsSince(edgeReference.LastEdgeCount);
    f.edgeTime = NtpTimestampDecode(edgeReference.EdgeNtpTime, now);
  }
  // Network mode: the server's time counts for its interval (an hour when
  // asked only by hand), with a minute's grace for the schedule.
  const double interval = settings.NtpIntv > 0 ? settings.NtpIntv * 60.0 : 3600.0;
  f.serverFresh = Network() != nullptr && state.onReference &&
                  state.source == ClockSource::kServer && f.sinceReference <= interval + 60;
  return ClaimFor(f);
}

std::vector<std::string> App::OwnServerAddresses() const {
  std::vector<std::string> addresses;
  for (const OwnAddress& a : OwnAddresses) {
    if (!a.loopback) addresses.push_back(a.address);
  }
  return addresses;
}

bool App::IsOwnServerAddress(const std::string& server) const {
  if (server == OwnIpAddress) return true;
  const std::optional<std::string> address = CanonicalAddress(server);
  if (!address) return false;
  for (const std::string& own : OwnServerAddresses()) {
    if (CanonicalAddress(own) == address) return true;
  }
  return false;
}

void App::OnDatagram(const UdpDatagram& datagram) { NMUDPDataReceived(datagram, *this); }

// The server's name could not be looked up for a send: network mode goes
// offline; a receiver connection stays, only its request is given up. A
// button's send is answered with a message box, a periodic one is logged
// once a connection.
void App::OnHostLookupFailed(const std::string& host, int tag) {
  const bool byButton = tag == kSendByButton;
  const bool logIt = !byButton && network.FirstLookupFailure();
  if (Network()) {
    DropNetworkConnection(*this, "オフライン、ＰＣの時刻を表示中");
  } else {
    network.CancelRequest();
  }
  if (byButton) {
    platform.messageBoxes.Show(StrPrintf("接続先 %s が見つかりません!!", host.c_str()));
  } else if (logIt) {
    LogWithPcTime(StrPrintf("接続先 %s が見つかりません", host.c_str()));
  }
}

void App::OnNtpPacket(const UdpDatagram& datagram) {
  const std::optional<ReceivedReply> reply =
      server.HandleNtpPacket(datagram, ServiceSource(), ServiceClaimNow());
  if (!reply) return;
  if (NetworkSession* n = Network()) {
    n->OnSntpReply(*reply);
  } else {
    network.OnSntpReply(*reply, ClientRole::kReceiver);
  }
}

std::optional<PositionFields> App::ShownPosition() const {
  if (!Receiver()) return std::nullopt;
  return PositionFields{view.EditStatus, view.LabelMapDatum, view.EditLong,   view.EditLat,
                        view.EditAntena, view.EditGeoid,     view.EditNumSat, view.EditNumMsg};
}

void App::OnPositionAnswer(const std::string& word, const std::string& from) {
  if (NetworkSession* n = Network()) {
    n->OnPositionAnswer(word, from);
  } else {
    network.strays().Ignored("Quor =", from);
  }
}

void App::OnPositionRequest(const std::string& from) {
  lanServer.OnPositionRequest(from, ShownPosition());
}

void App::OnConnectAnswer(const std::string& from) {
  if (NetworkSession* n = Network()) {
    n->OnConnectAnswer(from);
  } else {
    network.strays().Ignored("Quor Ok", from);
  }
}

void App::OnConnectRequest(const std::string& from) { lanServer.OnConnectRequest(from); }
