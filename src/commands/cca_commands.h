#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

#include "commands/command_sequence.h"
#include "commands/dialog_input.h"

// The CCA-370H command dialog's items ("コマンド一覧").
enum CcaItem : int {
  kCcaReset = 0,
  kCcaTimeMarkOutput = 1,
  kCcaDatumWgs84 = 2,
  kCcaDatumTokyo = 3,
  kCcaDatumOther = 4,
  kCcaItems = 5,
};

struct CcaChoice {
  int item = kCcaReset;
  int datum = 0;  // the number typed for item 4; its low byte is sent
};

// Datum numbers for "その他の測地系": 0 to 47.
bool CcaDatumAccepted(int number);
// "送信": the input check (the datum number is read for item 4 only).
InputCheck CheckCcaInput(const CcaChoice& choice, std::string_view datumText);

// The three 21-byte messages.
constexpr size_t kCcaMessageLength = 21;
std::vector<uint8_t> CcaResetMessage();
std::vector<uint8_t> CcaTimeMarkOutputMessage();
std::vector<uint8_t> CcaDatumMessage(int datum);

// The status text and the one message of the chosen item.
CommandSequence SendCcaCommand(const CcaChoice& choice);
