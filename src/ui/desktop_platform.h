#pragma once
#include "platform/qt/qt_desktop.h"
#include "platform/qt/qt_message_boxes.h"
#include "platform/system_platform.h"

// The real adapters for the window program.
using DesktopPlatform = SystemPlatform<QtMessageBoxes, QtBeeper, QtClipboard>;
