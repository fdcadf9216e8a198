#pragma once
#include <string>

#include "platform/udp_endpoint.h"

// Where a received datagram goes: the NTP packet handler, or one of the four
// messages of the own LAN protocol ("Quor <word>").
class DatagramHandlers {
 public:
  virtual ~DatagramHandlers() = default;
  // A datagram of an NTP packet's size (IsNtpPacketSize) that does not
  // begin with "Quor".
  virtual void OnNtpPacket(const UdpDatagram& datagram) = 0;
  // "Quor =...": a position answer; `word` is the second word (raw bytes,
  // CP932), beginning with "=".
  virtual void OnPositionAnswer(const std::string& word, const std::string& from) = 0;
  virtual void OnPositionRequest(const std::string& from) = 0;  // "Quor Pos"
  virtual void OnConnectAnswer(const std::string& from) = 0;    // "Quor Ok"
  virtual void OnConnectRequest(const std::string& from) = 0;   // "Quor Conn"
};

// The one UDP port of every role: the SNTP server and client and the own LAN
// protocol, on both ends.
constexpr uint16_t kNtpPort = 123;

// The longest datagram taken; longer ones are dropped unread.
constexpr size_t kMaxTextDatagram = 1024;
// The longest word of a text datagram; a datagram with a longer first or
// second word is dropped rather than cut, so a cut word never passes for a
// shorter valid one.
constexpr size_t kMaxWord = 127;

// Routes one received datagram. The text is read as far as its first zero
// byte and split into white-space separated words; only the first two count,
// the first must be exactly "Quor". Anything that fits no route is dropped
// without a message.
void NMUDPDataReceived(const UdpDatagram& datagram, DatagramHandlers& handlers);
