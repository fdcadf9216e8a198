#include "receiver/command_reader.h"

#include <algorithm>
#include <cstdio>

#include "link/jupiter_frame.h"
#include "receiver/nmea_text.h"

namespace sim {
namespace {

constexpr size_t kCcaLength = 21;
constexpr size_t kMaxLine = 256;

// Where the next command may start: '$', C0, C6, or FF 81. A lone FF at
// the end may still become one.
size_t NextStart(const std::vector<uint8_t>& b) {
  for (size_t i = 0; i < b.size(); ++i) {
    const uint8_t c = b[i];
    if (c == '$' || c == 0xC0 || c == 0xC6) return i;
    if (c == 0xFF && (i + 1 == b.size() || b[i + 1] == kJupiterSyncByte1)) return i;
  }
  return b.size();
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

ReceivedCommand Bad(std::string fault, std::vector<uint8_t> bytes) {
  ReceivedCommand c;
  c.fault = std::move(fault);
  c.bytes = std::move(bytes);
  return c;
}

// A text line without its line end: checked and stripped of its checksum.
ReceivedCommand TextCommand(std::string line) {
  const size_t star = line.rfind('*');
  if (star != std::string::npos && star + 3 == line.size()) {
    const int high = HexValue(line[star + 1]), low = HexValue(line[star + 2]);
    if (high >= 0 && low >= 0) {
      if (NmeaChecksum(std::string_view(line).substr(1, star - 1)) != high * 16 + low) {
        return Bad("bad checksum", std::vector<uint8_t>(line.begin(), line.end()));
      }
      line.erase(star);
    }
  }
  ReceivedCommand c;
  c.kind = ReceivedCommand::Kind::kText;
  c.text = std::move(line);
  return c;
}

}  // namespace

std::vector<ReceivedCommand> CommandReader::Feed(const uint8_t* data, size_t size) {
  pending_.insert(pending_.end(), data, data + size);
  std::vector<ReceivedCommand> out;
  while (!pending_.empty() && TakeOne(out)) {
  }
  return out;
}

bool CommandReader::TakeOne(std::vector<ReceivedCommand>& out) {
  auto drop = [this](size_t n) { pending_.erase(pending_.begin(), pending_.begin() + n); };
  size_t start = NextStart(pending_);
  if (start > 0) {
    // Skipped bytes are told as one item once it is clear where they end.
    const bool certain = start < pending_.size() && !(pending_[start] == 0xFF &&
                                                      start + 1 == pending_.size());
    if (!certain) {
      if (pending_.size() <= kMaxLine) return false;
      start = pending_.size();
    }
    out.push_back(Bad("no command start",
                      std::vector<uint8_t>(pending_.begin(), pending_.begin() + start)));
    drop(start);
    return true;
  }
  const uint8_t lead = pending_[0];
  if (lead == '$') {
    const auto end = std::find(pending_.begin(), pending_.end(), '\n');
    if (end == pending_.end()) {
      if (pending_.size() <= kMaxLine) return false;
      out.push_back(Bad("line too long", std::vector<uint8_t>(pending_.begin(), pending_.end())));
      pending_.clear();
      return true;
    }
    std::string line(pending_.begin(), end);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    drop(static_cast<size_t>(end - pending_.begin()) + 1);
    out.push_back(TextCommand(std::move(line)));
    return true;
  }
  if (lead == 0xFF) {
    if (pending_.size() < 2) return false;
    if (pending_[1] != kJupiterSyncByte1) {
      out.push_back(Bad("no command start", {lead}));
      drop(1);
      return true;
    }
    if (pending_.size() < kJupiterHeaderSize) return false;
    if (!JupiterHeaderValid(pending_.data())) {
      out.push_back(Bad("bad header checksum",
                        std::vector<uint8_t>(pending_.begin(), pending_.begin() + 2)));
      drop(2);
      return true;
    }
    const uint16_t words = JupiterDataWordCount(pending_.data());
    const size_t length = JupiterFrameLength(words);
    if (pending_.size() < length) return false;
    std::vector<uint8_t> frame(pending_.begin(), pending_.begin() + length);
    drop(length);
    if (!JupiterDataValid(frame.data(), frame.size())) {
      out.push_back(Bad("bad data checksum", std::move(frame)));
      return true;
    }
    ReceivedCommand c;
    c.kind = ReceivedCommand::Kind::kJupiterFrame;
    c.id = JupiterMessageId(frame.data());
    for (uint16_t i = 0; i < words; ++i) {
      c.data.push_back(JupiterWordAt(frame.data() + kJupiterHeaderSize + 2 * i));
    }
    c.bytes = std::move(frame);
    out.push_back(std::move(c));
    return true;
  }
  // C0 or C6: a CCA-370H message.
  if (pending_.size() < kCcaLength) return false;
  std::vector<uint8_t> message(pending_.begin(), pending_.begin() + kCcaLength);
  if (message.back() != 0xDA) {
    out.push_back(Bad("no end byte", {lead}));
    drop(1);
    return true;
  }
  drop(kCcaLength);
  ReceivedCommand c;
  c.kind = ReceivedCommand::Kind::kCcaMessage;
  c.bytes = std::move(message);
  out.push_back(std::move(c));
  return true;
}

std::string Describe(const ReceivedCommand& c) {
  std::string hex;
  char byte[4];
  for (uint8_t b : c.bytes) {
    std::snprintf(byte, sizeof byte, " %02x", b);
    hex += byte;
  }
  switch (c.kind) {
    case ReceivedCommand::Kind::kText:
      return c.text;
    case ReceivedCommand::Kind::kJupiterFrame: {
      std::string words;
      for (uint16_t w : c.data) words += " " + std::to_string(w);
      return "Jupiter " + std::to_string(c.id) + " data" + words;
    }
    case ReceivedCommand::Kind::kCcaMessage:
      return "CCA-370H" + hex;
    case ReceivedCommand::Kind::kBad:
      break;
  }
  return "refused (" + c.fault + "):" + hex;
}

}  // namespace sim
