#pragma once
#include "platform/beeper.h"
#include "platform/clipboard.h"
#include "platform/counter.h"
#include "platform/drift_file.h"
#include "platform/log_file.h"
#include "platform/message_boxes.h"
#include "platform/network_info.h"
#include "platform/pc_clock.h"
#include "platform/serial_port.h"
#include "platform/settings_store.h"
#include "platform/text_codec.h"
#include "platform/timers.h"
#include "platform/udp_endpoint.h"

// The operating system as the core sees it. The core never owns these.
struct Platform {
  PcClock& clock;
  Counter& counter;
  MessageBoxes& messageBoxes;
  LogFile& logFile;
  SettingsStore& settingsStore;
  Beeper& beeper;
  Clipboard& clipboard;
  SerialPort& serialPort;
  NetworkInfo& networkInfo;
  UdpEndpoint& udp;
  TextCodec& textCodec;
  Timers& timers;
  DriftFile& driftFile;
};
