#include "commands/receiver_init.h"

#include "commands/cca_commands.h"

namespace {
constexpr int kGt77StartupGapMs = 1000;
}  // namespace

bool RunReceiverInitialisation(ReceiverConfig& cfg, const ReceiverKindTraits& kind) {
  cfg.LearnSentences = true;
  cfg.ClearSentenceFlags();
  return kind.commands != CommandSet::kNone;
}

CommandSequence StartupCommandSequence(StartupCommands startup) {
  switch (startup) {
    case StartupCommands::kGt77:
      return {step::WriteText("$PFEC,GPint,tps01"), step::Wait(kGt77StartupGapMs),
              step::WriteText("$PFEC,GPsrq")};
    case StartupCommands::kCca370h:
      return {step::Status("ＴＭＭ出力要求中"), step::Write(CcaTimeMarkOutputMessage())};
    case StartupCommands::kNone:
      break;
  }
  return {};
}
