#pragma once
#include "commands/command_sequence.h"
#include "commands/receiver_config.h"
#include "common/receiver_kinds.h"

// The first usable data of a receiver connection: sentence learning starts
// again. Returns whether the kind has a command set (the command button is
// then usable).
bool RunReceiverInitialisation(ReceiverConfig& cfg, const ReceiverKindTraits& kind);

// What the kind is sent at the first usable data: the GT-77 starts its
// "tps" sentence and, a second later, is asked for its datum report; the
// CCA-370H is asked for the time-mark message.
CommandSequence StartupCommandSequence(StartupCommands startup);
