#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "app/event_log.h"
#include "app/main_view.h"
#include "commands/receiver_config.h"
#include "commands/test_dialog_model.h"
#include "link/pps_timing_record.h"
#include "link/receiver_link.h"
#include "link/sentence_buffer.h"
#include "platform/platform.h"
#include "settings/settings.h"
#include "timekeeping/receiver_state.h"

// The counters and flags of the 100 ms tick and of the connection.
struct TickState {
  bool Connected = false;
  bool AwaitingData = false;
  int WaitTicks = 0;
  bool SecondPending = false;
  int PendingSecondTicks = 0;
  int DelayTicks = 3;
  bool PpsMarkerSeen = true;
  int SentenceToPpsTicks = 0;
  int NtpRequestCount = 0;
  bool ClockSetPending = false;
  bool FixStartPending = false;
  int StartCheckCount = 0;
  int SentenceCount = 0;
};

// All runtime state of the program, owned by the main thread. The operations
// that work on it are free functions, one group per subsystem folder.
class App {
 public:
  explicit App(Platform& platform);
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  Platform& platform;
  Settings settings;
  MainView view;
  EventLog log;
  TickState tick;
  PpsTimingRecord pps;
  ReceiverState rx;
  PositionStats position;
  ReceiverConfig cfg;
  TestDialogModel testDialog;
  ReceiverLink link;

  // Complete lines waiting for the dispatcher; exists while connected to a
  // receiver.
  std::optional<SentenceBuffer> sentenceBuffer;

  bool FirstShowPending = false;
  bool NetworkAvailable = false;
  std::string OwnIpAddress = "0.0.0.0";
  double CounterPeriod = 0;           // seconds per counter count
  LocalTimeRecord NowLocal;           // scratch for the PC's local time
  double ReceiverNtpTime = 0;         // receiver time of the current second

  // Writes a log line (to the window always, to the file when logging is on).
  void LogLine(const std::string& text);
  // The PC's local time, read into NowLocal.
  const LocalTimeRecord& ReadPcClock();
  // Logs "%02d:%02d:%02d  " + message stamped with the PC's time.
  void LogWithPcTime(const std::string& message);
};
