#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "commands/command_sequence.h"
#include "commands/dialog_input.h"
#include "commands/receiver_config.h"

// The Jupiter command dialog's items ("コマンド一覧").
enum JupiterItem : int {
  kJupiterToNmea = 0,
  kJupiterToBinary = 1,
  kJupiterPinningOn = 2,
  kJupiterPinningOff = 3,
  kJupiterDatumWgs84 = 4,
  kJupiterDatumTokyo = 5,
  kJupiterDatumOther = 6,
  kJupiterSentences = 7,
  kJupiterItems = 8,
};

// What the closed dialog hands on: the item, the datum number read for
// item 6, and the sentence boxes GGA, RMC, GSA, GSV.
struct JupiterChoice {
  int item = kJupiterToNmea;
  int datum = 0;
  bool gga = false, rmc = false, gsa = false, gsv = false;
};

// The dialog's rules: the status-bar hint of an item, and which controls are
// usable with it.
std::string JupiterHint(int item, bool nmeaMode);
bool JupiterDatumEditEnabled(int item);
bool JupiterSentenceBoxesEnabled(int item, bool nmeaMode);
// Datum numbers the receiver knows: 0 to 188 and 300 to 304.
bool JupiterDatumAccepted(int number);

// "送信": the input check (the datum number is read for item 6).
InputCheck CheckJupiterInput(const JupiterChoice& choice, std::string_view datumText,
                             bool nmeaMode, int baseMesg);

// The messages, as complete frames or text with "\r\n".
std::vector<uint8_t> JupiterToNmeaMessage();                // 1331
std::vector<uint8_t> JupiterPinningMessage(bool on);        // 1221
std::vector<uint8_t> JupiterDatumMessage(int datum);        // 1211
inline constexpr std::string_view kJupiterToBinaryText = "$PRWIIPRO,,RBIN";
// "$PRWIILOG,<GGA|RMC|GSA|GSV>,<A|V>,T,1,0" for one sentence on or off.
std::string JupiterSentenceText(ReceiverConfig::Sentence sentence, bool on);

// The steps that carry out the chosen item. The receiver's mode is taken
// once, when the command starts: while it runs the reception goes on, so
// the received lines may already show the new mode before it ends.
CommandSequence SendJupiterCommand(const JupiterChoice& choice, const ReceiverConfig& cfg);
