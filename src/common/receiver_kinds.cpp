#include "common/receiver_kinds.h"

namespace {

constexpr ReceiverKindTraits kTable[] = {
    // kind            jupiter cca    arms   ppsStat datum  commands              startup
    {kJupiter,         true,   false, true,  false,  true,  CommandSet::kJupiter, StartupCommands::kNone},
    {kGt77,            true,   true,  false, true,   false, CommandSet::kGt77,    StartupCommands::kGt77},
    {kCca370h,         false,  true,  true,  false,  false, CommandSet::kCca370h, StartupCommands::kCca370h},
    {kGarminStd,       true,   true,  true,  false,  false, CommandSet::kNone,    StartupCommands::kNone},
    {kOtherReceiver,   true,   true,  true,  false,  false, CommandSet::kNone,    StartupCommands::kNone},
};

}  // namespace

const ReceiverKindTraits& TraitsOf(int32_t kind) {
  if (kind < kJupiter || kind > kOtherReceiver) return kTable[kOtherReceiver];
  return kTable[kind];
}
