#include "commands/receiver_init.h"

bool RunReceiverInitialisation(ReceiverConfig& cfg, const ReceiverKindTraits& kind) {
  cfg.LearnSentences = true;
  cfg.ClearSentenceFlags();
  return kind.commands != CommandSet::kNone;
}
