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
#include "platform/qt/qt_drift_file.h"
#include "platform/qt/qt_main_thread_poster.h"
#include "platform/qt/qt_settings_store.h"
#include "platform/qt/qt_timers.h"

// The real adapters wired together. Only how the user is told things (message
// boxes, the beep, the clipboard) differs between the window program and the
// headless one.
template <class MessageBoxesT, class BeeperT, class ClipboardT>
struct SystemPlatform {
  explicit SystemPlatform(QObject* mainThreadObject)
      : poster(mainThreadObject), serialPort(counter, clock, poster), timers(mainThreadObject) {}
  LinuxPcClock clock;
  LinuxCounter counter;
  MessageBoxesT messageBoxes;
  Cp932LogFile logFile;
  QtSettingsStore settingsStore;
  BeeperT beeper;
  ClipboardT clipboard;
  QtMainThreadPoster poster;
  LinuxSerialPort serialPort;
  LinuxNetworkInfo networkInfo;
  LinuxUdpEndpoint udp;
  IconvTextCodec textCodec;
  QtTimers timers;
  QtDriftFile driftFile{settingsStore.Path()};
  Platform platform{clock,   counter,   messageBoxes, logFile,     settingsStore,
                    beeper,  clipboard, serialPort,   networkInfo, udp,
                    textCodec, timers,  driftFile};
};
