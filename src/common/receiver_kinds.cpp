#include "common/receiver_kinds.h"

namespace {

constexpr ReceiverKindTraits kTable[] = {
    // kind            jupiter cca    arms   ppsStat datum  commands              startup                    fixed  sec stop
    {kJupiter,         true,   false, true,  false,  true,  CommandSet::kJupiter, StartupCommands::kNone,    true,  2,  0},
    {kGt77,            true,   true,  false, true,   false, CommandSet::kGt77,    StartupCommands::kGt77,    true,  0,  0},
    {kCca370h,         false,  true,  true,  false,  false, CommandSet::kCca370h, StartupCommands::kCca370h, true,  0,  2},
    {kGarminStd,       true,   true,  true,  false,  false, CommandSet::kNone,    StartupCommands::kNone,    true,  1,  2},
    {kOtherReceiver,   true,   true,  true,  false,  false, CommandSet::kNone,    StartupCommands::kNone,    false, 0,  0},
};

}  // namespace

const ReceiverKindTraits& TraitsOf(int32_t kind) {
  if (kind < kJupiter || kind > kOtherReceiver) return kTable[kOtherReceiver];
  return kTable[kind];
}
