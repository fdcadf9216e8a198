#pragma once
#include "commands/receiver_config.h"
#include "common/receiver_kinds.h"

// The first usable data of a receiver connection: sentence learning starts
// again and the kind's start-up commands go out. Returns whether the kind
// has a command set (the command button is then enabled).
bool RunReceiverInitialisation(ReceiverConfig& cfg, const ReceiverKindTraits& kind);
