#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Jupiter binary frame, in both directions; all words 16-bit little-endian.
//   bytes 0..1   sync word 0x81FF (bytes FF 81)
//   bytes 2..3   message id
//   bytes 4..5   data word count N
//   bytes 6..7   flags
//   bytes 8..9   header checksum: words 0..4 sum to 0 modulo 65536
//   then N data words and, only when N > 0, a data checksum word (the data
//   words and the checksum sum to 0). A frame without data words is the
//   10-byte header alone.
constexpr uint8_t kJupiterSyncByte0 = 0xFF;
constexpr uint8_t kJupiterSyncByte1 = 0x81;
constexpr size_t kJupiterHeaderSize = 10;

uint16_t JupiterWordAt(const uint8_t* bytes);

// The word that makes `words` and itself sum to 0 modulo 65536.
uint16_t JupiterChecksum(const uint16_t* words, size_t count);

// The header fields; `header` holds at least kJupiterHeaderSize bytes.
bool JupiterHeaderValid(const uint8_t* header);
uint16_t JupiterMessageId(const uint8_t* header);
uint16_t JupiterDataWordCount(const uint8_t* header);

// Whole frame length for N data words: 10 when N is 0, else 2N + 12.
size_t JupiterFrameLength(uint16_t dataWordCount);

// Data checksum of a complete frame (true when the frame has no data words).
bool JupiterDataValid(const uint8_t* frame, size_t length);

// The record text for a complete, checked frame: "#1000," position line,
// "#1108," time-mark line, or "#<id>,dummy," for any other message. Fields
// that would lie beyond `length` read as 0.
std::string JupiterRecord(const uint8_t* frame, size_t length);

// A complete frame with both checksums. At most 65535 data words are taken.
std::vector<uint8_t> BuildJupiterFrame(uint16_t id, const std::vector<uint16_t>& dataWords,
                                       uint16_t flags);
