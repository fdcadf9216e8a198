#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

// The 48-byte NTP packet (SNTP, RFC 4330); multi-byte fields big-endian.
// Longer datagrams carry an authenticator after it (a key id and a code,
// see ntp_auth.h), which this header type does not hold.
struct NtpPacket {
  static constexpr size_t kSize = 48;
  static constexpr int kModeClient = 3;
  static constexpr int kModeServer = 4;
  static constexpr int kLeapUnsynchronised = 3;
  // A server that keeps time only by its own clock.
  static constexpr uint8_t kLocalClockStratum = 10;
  static constexpr char kLocalClockId[4] = {'L', 'O', 'C', 'L'};

  int LeapIndicator = 0;  // 0..3
  int Version = 4;        // 0..7
  int Mode = 0;           // 0..7
  uint8_t Stratum = 0;
  uint8_t Poll = 0;
  int8_t Precision = 0;   // power of two, seconds
  uint8_t RootDelay[4] = {};
  uint8_t RootDispersion[4] = {};
  uint8_t ReferenceId[4] = {};
  uint8_t Reference[8] = {};
  uint8_t Originate[8] = {};
  uint8_t Receive[8] = {};
  uint8_t Transmit[8] = {};

  // Reads the first 48 bytes; nullopt when there are fewer.
  static std::optional<NtpPacket> Parse(const uint8_t* data, size_t size);
  std::array<uint8_t, kSize> Bytes() const;
};

// The datagram sizes that are NTP packets: the header alone, with a key id
// only (a crypto-NAK), or with a 16-, 20- or 32-byte code.
bool IsNtpPacketSize(size_t size);
