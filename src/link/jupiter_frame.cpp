#include "link/jupiter_frame.h"

#include <cstdio>

namespace {

constexpr uint16_t kPositionMessage = 1000;
constexpr uint16_t kTimeMarkMessage = 1108;
constexpr double kDegreesPerRadian = 57.29577951308232;

// Little-endian fields of a frame; a field that does not lie wholly inside
// the frame reads as 0, so a short frame never reads past its bytes.
uint16_t U16(const uint8_t* frame, size_t length, size_t offset) {
  if (offset + 2 > length) return 0;
  return JupiterWordAt(frame + offset);
}

int16_t S16(const uint8_t* frame, size_t length, size_t offset) {
  return static_cast<int16_t>(U16(frame, length, offset));
}

int32_t S32(const uint8_t* frame, size_t length, size_t offset) {
  if (offset + 4 > length) return 0;
  const uint32_t low = JupiterWordAt(frame + offset);
  const uint32_t high = JupiterWordAt(frame + offset + 2);
  return static_cast<int32_t>(low | (high << 16));
}

// Latitude or longitude in 1e-8 radian as degrees and decimal minutes, e.g.
// 35.5 degrees north gives "3530.0000N,".
std::string AngleField(int32_t value, char positive, char negative) {
  double degrees = value * 1e-8 * kDegreesPerRadian;
  char hemisphere = positive;
  if (degrees < 0) {
    degrees = -degrees;
    hemisphere = negative;
  }
  const int whole = static_cast<int>(degrees);
  const double minutes = (degrees - whole) * 60;
  char text[48];
  std::snprintf(text, sizeof text, "%d%07.4f%c,", whole, minutes, hemisphere);
  return text;
}

std::string PositionRecord(const uint8_t* f, size_t n) {
  std::string record = "#1000,1,";
  char text[64];
  std::snprintf(text, sizeof text, "%d,", U16(f, n, 22));
  record += text;
  record += AngleField(S32(f, n, 52), 'N', 'S');
  record += AngleField(S32(f, n, 56), 'E', 'W');
  std::snprintf(text, sizeof text, "%.1fM,", S32(f, n, 60) * 0.01);
  record += text;
  std::snprintf(text, sizeof text, "%.1fM,", S16(f, n, 64) * 0.01);
  record += text;
  std::snprintf(text, sizeof text, "%d,", U16(f, n, 76));
  record += text;
  std::snprintf(text, sizeof text, "%d/%02d/%02d,", U16(f, n, 40), U16(f, n, 38),
                U16(f, n, 36));
  record += text;
  return record;
}

std::string TimeMarkRecord(const uint8_t* f, size_t n) {
  const bool valid = (U16(f, n, 36) & 3) == 3;
  const int32_t s = S32(f, n, 26) % 86400;
  char text[64];
  std::snprintf(text, sizeof text, "#1108,%d,%02d:%02d:%02d,", valid ? 1 : 0,
                static_cast<int>(s / 3600), static_cast<int>((s / 60) % 60),
                static_cast<int>(s % 60));
  return text;
}

}  // namespace

uint16_t JupiterWordAt(const uint8_t* bytes) {
  return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

uint16_t JupiterChecksum(const uint16_t* words, size_t count) {
  uint16_t sum = 0;
  for (size_t i = 0; i < count; ++i) sum = static_cast<uint16_t>(sum + words[i]);
  return static_cast<uint16_t>(-sum);
}

bool JupiterHeaderValid(const uint8_t* header) {
  uint16_t sum = 0;
  for (size_t i = 0; i < kJupiterHeaderSize; i += 2)
    sum = static_cast<uint16_t>(sum + JupiterWordAt(header + i));
  return sum == 0;
}

uint16_t JupiterMessageId(const uint8_t* header) { return JupiterWordAt(header + 2); }

uint16_t JupiterDataWordCount(const uint8_t* header) { return JupiterWordAt(header + 4); }

size_t JupiterFrameLength(uint16_t dataWordCount) {
  if (dataWordCount == 0) return kJupiterHeaderSize;
  return kJupiterHeaderSize + 2 * static_cast<size_t>(dataWordCount) + 2;
}

bool JupiterDataValid(const uint8_t* frame, size_t length) {
  if (length <= kJupiterHeaderSize) return true;
  uint16_t sum = 0;
  for (size_t i = kJupiterHeaderSize; i + 1 < length; i += 2)
    sum = static_cast<uint16_t>(sum + JupiterWordAt(frame + i));
  return sum == 0;
}

std::string JupiterRecord(const uint8_t* frame, size_t length) {
  if (length < kJupiterHeaderSize) return {};
  const uint16_t id = JupiterMessageId(frame);
  if (id == kPositionMessage) return PositionRecord(frame, length);
  if (id == kTimeMarkMessage) return TimeMarkRecord(frame, length);
  return "#" + std::to_string(id) + ",dummy,";
}

std::vector<uint8_t> BuildJupiterFrame(uint16_t id, const std::vector<uint16_t>& dataWords,
                                       uint16_t flags) {
  const size_t count = dataWords.size() < 0xFFFF ? dataWords.size() : 0xFFFF;
  std::vector<uint16_t> words = {0x81FF, id, static_cast<uint16_t>(count), flags};
  words.push_back(JupiterChecksum(words.data(), words.size()));
  if (count > 0) {
    words.insert(words.end(), dataWords.begin(), dataWords.begin() + count);
    words.push_back(JupiterChecksum(dataWords.data(), count));
  }
  std::vector<uint8_t> frame;
  frame.reserve(words.size() * 2);
  for (uint16_t w : words) {
    frame.push_back(static_cast<uint8_t>(w & 0xFF));
    frame.push_back(static_cast<uint8_t>(w >> 8));
  }
  return frame;
}
