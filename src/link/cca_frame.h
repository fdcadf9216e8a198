#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// CCA-370H binary frames: a lead byte with its top bit set, then data bytes
// that carry 7 bits each; some frames close with the end byte 0xDA. They carry
// no checksum.
//   0xC0 time mark, 28 bytes: bytes 4, 5, 6 hour, minute, second; valid when
//        byte 7 is 0, byte 8 is 1 and byte 10 is 0.
//   0xC6 position, 81, 119, 122 or 142 bytes with 0xDA as the last byte:
//        bytes 1..4 latitude and 5..8 longitude (28 bits, 0.001 minute of arc),
//        9..11 height (21 bits, metres), 18..20 year - 2000, month, day,
//        channel status at 34, 40, ..., 76 (low two bits 2 = used in the fix),
//        byte 78 bit 0 set = no position.
constexpr uint8_t kCcaTimeMarkLead = 0xC0;
constexpr uint8_t kCcaPositionLead = 0xC6;
constexpr uint8_t kCcaEndByte = 0xDA;
constexpr size_t kCcaTimeMarkLength = 28;

// The two's-complement value of `groups` 7-bit groups, first byte most
// significant; negative when the first byte's 0x40 bit is set.
int32_t CcaGroupValue(const uint8_t* bytes, int groups);

// The length of the position frame at the start of `bytes` once its end byte
// is among the `available` bytes, else 0. Data bytes never carry the top bit,
// so the first of the end positions that holds 0xDA closes the frame.
size_t CcaPositionFrameLength(const uint8_t* bytes, size_t available);

// "#1000," position line of a complete position frame (at least 81 bytes).
std::string CcaPositionRecord(const uint8_t* frame);

// "#1108," time-mark line of a complete 28-byte time-mark frame.
std::string CcaTimeMarkRecord(const uint8_t* frame);
