#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// One step of a command sequence. A sequence is built in full when the
// command is chosen and then run step by step on the main loop.
struct CommandStep {
  enum class Kind {
    kStatus,            // `text` on the main window's status bar
    kWrite,             // `bytes` to the receiver; a failed write ends the sequence
    kWait,              // `value` milliseconds on a timer; the main loop runs on
    kLockButtons,       // "同期", "ｺﾏﾝﾄﾞ..." and "ﾃｽﾄ..." off
    kUnlockButtons,     // the three back as they were
    kRestartReception,  // the tick waits for usable data again
    kMessage,           // message box with `text`
    kSetSentence,       // SentenceEnabled[value] := on
    kSetDatum,          // ReceiverDatumCode := value
    kEndLearning,       // LearnSentences := false
  };
  Kind kind;
  std::string text;
  std::vector<uint8_t> bytes;
  int value = 0;
  bool on = false;
};

using CommandSequence = std::vector<CommandStep>;

namespace step {
inline CommandStep Status(std::string text) { return {CommandStep::Kind::kStatus, std::move(text), {}}; }
inline CommandStep Write(std::vector<uint8_t> bytes) {
  return {CommandStep::Kind::kWrite, {}, std::move(bytes)};
}
// A text command: the text and "\r\n", no NMEA checksum field.
inline CommandStep WriteText(std::string_view text) {
  std::vector<uint8_t> bytes(text.begin(), text.end());
  bytes.push_back('\r');
  bytes.push_back('\n');
  return Write(std::move(bytes));
}
inline CommandStep Wait(int ms) { return {CommandStep::Kind::kWait, {}, {}, ms}; }
inline CommandStep Lock() { return {CommandStep::Kind::kLockButtons, {}, {}}; }
inline CommandStep Unlock() { return {CommandStep::Kind::kUnlockButtons, {}, {}}; }
inline CommandStep RestartReception() { return {CommandStep::Kind::kRestartReception, {}, {}}; }
inline CommandStep Message(std::string text) { return {CommandStep::Kind::kMessage, std::move(text), {}}; }
inline CommandStep SetSentence(int index, bool on) {
  return {CommandStep::Kind::kSetSentence, {}, {}, index, on};
}
inline CommandStep SetDatum(int code) { return {CommandStep::Kind::kSetDatum, {}, {}, code}; }
inline CommandStep EndLearning() { return {CommandStep::Kind::kEndLearning, {}, {}}; }
}  // namespace step
