#pragma once
#include <string>
#include <string_view>

#include "commands/command_sequence.h"
#include "commands/dialog_input.h"
#include "commands/receiver_config.h"

// What the closed GT-77 dialog hands on: the seven sentence boxes (in the
// order of ReceiverConfig::Sentence), the TRAIM switch (0 to 2), the 1PPS
// control (0 to 3) and the datum number.
struct Gt77Choice {
  bool sentences[ReceiverConfig::kSentenceKinds] = {};
  int traim = 0;
  int ppsControl = 1;
  int datum = 1;
};

// "測地系": 0 WGS-84 (datum 1), 1 Tokyo (3), 2 the number typed.
enum Gt77DatumChoice : int { kGt77Wgs84 = 0, kGt77Tokyo = 1, kGt77OtherDatum = 2 };
// Datum numbers the receiver knows: 1 to 171.
bool Gt77DatumAccepted(int number);

// "送信": the input check; sets choice.datum from the datum choice.
InputCheck CheckGt77Input(Gt77Choice& choice, int datumChoice, std::string_view datumText,
                          int baseMesg);

// "$PFEC,GPint" with an item for each sentence whose state changes
// (",GGA00" off, ",GGA01" on), in the order GGA, GSA, GSV, RMC, GLL, ZDA, VTG.
std::string Gt77SentenceSelection(const bool enabled[ReceiverConfig::kSentenceKinds],
                                  const bool wanted[ReceiverConfig::kSentenceKinds]);

// The sentence selection, TRAIM and 1PPS, and the datum when it differs from
// the receiver's; the state follows each command once it has gone out.
CommandSequence SendGt77Command(const Gt77Choice& choice, const ReceiverConfig& cfg);
