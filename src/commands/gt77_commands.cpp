#include "commands/gt77_commands.h"

#include "common/text_format.h"

namespace {
constexpr const char* kSentenceNames[ReceiverConfig::kSentenceKinds] = {"GGA", "GSA", "GSV", "RMC",
                                                                        "GLL", "ZDA", "VTG"};
}  // namespace

bool Gt77DatumAccepted(int n) { return n >= 1 && n <= 171; }

InputCheck CheckGt77Input(Gt77Choice& c, int datumChoice, std::string_view datumText,
                          int baseMesg) {
  if (!KeepsBaseSentence(baseMesg, c.sentences[ReceiverConfig::kGga],
                         c.sentences[ReceiverConfig::kRmc])) {
    return {kNoBaseSentence};
  }
  if (datumChoice == kGt77Wgs84) {
    c.datum = 1;
  } else if (datumChoice == kGt77Tokyo) {
    c.datum = 3;
  } else {
    InputCheck check = CheckDatumText(datumText, Gt77DatumAccepted);
    if (!check.Passed()) return check;
    c.datum = check.datum;
  }
  InputCheck passed;
  passed.datum = c.datum;
  return passed;
}

std::string Gt77SentenceSelection(const bool enabled[ReceiverConfig::kSentenceKinds],
                                  const bool wanted[ReceiverConfig::kSentenceKinds]) {
  std::string text = "$PFEC,GPint";
  for (int i = 0; i < ReceiverConfig::kSentenceKinds; ++i) {
    if (enabled[i] == wanted[i]) continue;
    text += StrPrintf(",%s%s", kSentenceNames[i], wanted[i] ? "01" : "00");
  }
  return text;
}

CommandSequence SendGt77Command(const Gt77Choice& c, const ReceiverConfig& cfg) {
  CommandSequence s;
  s.push_back(step::WriteText(Gt77SentenceSelection(cfg.SentenceEnabled, c.sentences)));
  for (int i = 0; i < ReceiverConfig::kSentenceKinds; ++i) {
    if (cfg.SentenceEnabled[i] != c.sentences[i]) s.push_back(step::SetSentence(i, c.sentences[i]));
  }
  s.push_back(step::EndLearning());
  s.push_back(step::WriteText(StrPrintf("$PFEC,GPrrs,%d,100,%d", c.traim, c.ppsControl)));
  if (c.datum != cfg.ReceiverDatumCode) {
    s.push_back(step::WriteText(StrPrintf("$PFEC,GPset,G%03d", c.datum)));
    s.push_back(step::SetDatum(c.datum));
    s.push_back(step::WriteText("$PFEC,GPsrq"));
  }
  return s;
}
