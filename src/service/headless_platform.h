#pragma once
#include "platform/system_platform.h"
#include "service/headless_adapters.h"

// The real adapters without a window: message boxes, the beep and the
// clipboard are replaced by their headless stand-ins.
using HeadlessPlatform = SystemPlatform<StderrMessageBoxes, SilentBeeper, HeldClipboard>;
