// The datagrams of port 123, routed to the time server, the network client
// and the own LAN protocol.
#include "app/app.h"

TimeSource App::ServiceSource() const {
  if (!tick.Connected || settings.Port == kNetworkPort || !session) return TimeSource::kPcClock;
  return session->time.pps.PpsSeen ? TimeSource::kReceiverPps : TimeSource::kReceiver;
}

void App::OnDatagram(const UdpDatagram& datagram) { NMUDPDataReceived(datagram, *this); }

void App::OnHostLookupFailed(const std::string& host, int tag) {
  (void)host;
  (void)tag;
}

void App::OnNtpPacket(const UdpDatagram& datagram) {
  const std::optional<ReceivedReply> reply = server.HandleNtpPacket(datagram, ServiceSource());
  (void)reply;
}

void App::OnPositionAnswer(const std::string& word, const std::string& from) {
  (void)word;
  (void)from;
}

void App::OnPositionRequest(const std::string& from) { (void)from; }

void App::OnConnectAnswer(const std::string& from) { (void)from; }

void App::OnConnectRequest(const std::string& from) { (void)from; }
