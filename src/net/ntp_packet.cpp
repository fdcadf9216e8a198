#include "net/ntp_packet.h"

#include <cstring>

namespace {
constexpr size_t kRootDelay = 4, kRootDispersion = 8, kReferenceId = 12, kReference = 16,
                 kOriginate = 24, kReceive = 32, kTransmit = 40;
}  // namespace

std::optional<NtpPacket> NtpPacket::Parse(const uint8_t* data, size_t size) {
  if (data == nullptr || size < kSize) return std::nullopt;
  NtpPacket p;
  p.LeapIndicator = data[0] >> 6;
  p.Version = (data[0] >> 3) & 7;
  p.Mode = data[0] & 7;
  p.Stratum = data[1];
  p.Poll = data[2];
  p.Precision = static_cast<int8_t>(data[3]);
  std::memcpy(p.RootDelay, data + kRootDelay, 4);
  std::memcpy(p.RootDispersion, data + kRootDispersion, 4);
  std::memcpy(p.ReferenceId, data + kReferenceId, 4);
  std::memcpy(p.Reference, data + kReference, 8);
  std::memcpy(p.Originate, data + kOriginate, 8);
  std::memcpy(p.Receive, data + kReceive, 8);
  std::memcpy(p.Transmit, data + kTransmit, 8);
  return p;
}

std::array<uint8_t, NtpPacket::kSize> NtpPacket::Bytes() const {
  std::array<uint8_t, kSize> b{};
  b[0] = static_cast<uint8_t>(((LeapIndicator & 3) << 6) | ((Version & 7) << 3) | (Mode & 7));
  b[1] = Stratum;
  b[2] = Poll;
  b[3] = static_cast<uint8_t>(Precision);
  std::memcpy(b.data() + kRootDelay, RootDelay, 4);
  std::memcpy(b.data() + kRootDispersion, RootDispersion, 4);
  std::memcpy(b.data() + kReferenceId, ReferenceId, 4);
  std::memcpy(b.data() + kReference, Reference, 8);
  std::memcpy(b.data() + kOriginate, Originate, 8);
  std::memcpy(b.data() + kReceive, Receive, 8);
  std::memcpy(b.data() + kTransmit, Transmit, 8);
  return b;
}

bool IsNtpPacketSize(size_t size) {
  return size == 48 || size == 52 || size == 68 || size == 72 || size == 84;
}

