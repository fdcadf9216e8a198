#pragma once
// Command sequences as readable lines, so a test can compare them whole.
#include <cstdio>
#include <string>
#include <vector>

#include "commands/command_sequence.h"

// Text commands (printable ASCII ending in CR LF) as "text\r\n"; anything
// else as lower-case hex bytes separated by blanks.
inline std::string ShowBytes(const std::vector<uint8_t>& bytes) {
  bool text = bytes.size() >= 2 && bytes[bytes.size() - 2] == '\r' && bytes.back() == '\n';
  for (size_t i = 0; text && i + 2 < bytes.size(); ++i) text = bytes[i] >= 0x20 && bytes[i] < 0x7F;
  if (text) return std::string(bytes.begin(), bytes.end() - 2) + "\\r\\n";
  std::string hex;
  char byte[4];
  for (uint8_t b : bytes) {
    std::snprintf(byte, sizeof byte, hex.empty() ? "%02x" : " %02x", b);
    hex += byte;
  }
  return hex;
}

inline std::vector<std::string> Describe(const CommandSequence& sequence) {
  static const char* const kSentences[] = {"GGA", "GSA", "GSV", "RMC", "GLL", "ZDA", "VTG"};
  std::vector<std::string> lines;
  for (const CommandStep& s : sequence) {
    using K = CommandStep::Kind;
    switch (s.kind) {
      case K::kStatus: lines.push_back("status " + s.text); break;
      case K::kWrite: lines.push_back("write " + ShowBytes(s.bytes)); break;
      case K::kWait: lines.push_back("wait " + std::to_string(s.value)); break;
      case K::kLockButtons: lines.push_back("lock"); break;
      case K::kUnlockButtons: lines.push_back("unlock"); break;
      case K::kRestartReception: lines.push_back("restart"); break;
      case K::kMessage: lines.push_back("message " + s.text); break;
      case K::kSetSentence:
        lines.push_back(std::string("sentence ") + kSentences[s.value] + (s.on ? " on" : " off"));
        break;
      case K::kSetDatum: lines.push_back("datum " + std::to_string(s.value)); break;
      case K::kEndLearning: lines.push_back("end learning"); break;
    }
  }
  return lines;
}
