#pragma once
#include <cstdint>

#include "platform/serial_line.h"
#include "settings/serial_params.h"

// The line to open on COM port portIndex (0..3) for the settings' list
// indexes. An index outside its list gives that list's default.
SerialLine SerialLineFor(const SerialParams& params, int32_t portIndex);
