#pragma once
#include <QObject>

#include "platform/linux/cp932_log_file.h"
#include "platform/linux/iconv_text_codec.h"
#include "platform/linux/linux_counter.h"
#include "platform/linux/linux_network_info.h"
#include "platform/linux/linux_pc_clock.h"
#include "platform/linux/linux_udp_endpoint.h"
#include "platform/linux/serial_port_linux.h"
#include "platform/platform.h"
#include "platform/qt/qt_desktop.h"
#include "platform/qt/qt_main_thread_poster.h"
#include "platform/qt/qt_message_boxes.h"
#include "platform/qt/qt_settings_store.h"
#include "platform/qt/qt_timers.h"

// The real adapters, wired together for the desktop program.
struct DesktopPlatform {
  explicit DesktopPlatform(QObject* mainThreadObject)
      : poster(mainThreadObject), serialPort(counter, clock, poster), timers(mainThreadObject) {}
  LinuxPcClock clock;
  LinuxCounter counter;
  QtMessageBoxes messageBoxes;
  Cp932LogFile logFile;
  QtSettingsStore settingsStore;
  QtBeeper beeper;
  QtClipboard clipboard;
  QtMainThreadPoster poster;
  LinuxSerialPort serialPort;
  LinuxNetworkInfo networkInfo;
  LinuxUdpEndpoint udp;
  IconvTextCodec textCodec;
  QtTimers timers;
  Platform platform{clock,   counter,   messageBoxes, logFile,     settingsStore,
                    beeper,  clipboard, serialPort,   networkInfo, udp,
                    textCodec, timers};
};
