#pragma once
// A receiver connection's time keeping on the fakes, without the rest of the
// program: the settings, the view, the log and the discipline it works with.
#include <memory>
#include <string>
#include <vector>

#include "fakes/fake_platform.h"
#include "support/recording_log.h"
#include "timekeeping/time_keeper.h"

struct TimeKeeperWorld {
  explicit TimeKeeperWorld(double startNtp = 3'976'000'000.0) : fake(startNtp) { Reconnect(); }

  FakePlatform fake;
  Settings settings;
  ReceiverView view;
  ReceiverConfig cfg;
  TestDialogModel testDialog;
  RecordingLog log{fake.clock};
  bool clockSetPending = false;
  CounterScale counterScale{fake.counter};
  EdgeReference edgeReference;
  StatusText status;  // the status bar, as the time keeping and the discipline show it
  ClockDiscipline discipline{{settings, fake.clock, counterScale, log, fake.boxes, status}};
  BurstDelay burstDelay;
  std::unique_ptr<TimeKeeper> keeper;

  // A new connection's time keeping, with the settings as they are now.
  TimeKeeper& Reconnect() {
    discipline.UseTimeZone(settings.TimeZone);
    discipline.ForgetClockCheck();
    burstDelay.UseKind(static_cast<ReceiverKind>(settings.Receiver));
    keeper = std::make_unique<TimeKeeper>(
        TimeKeeperDeps{settings, settings.dSSS, clockSetPending, view, status, cfg, testDialog, log,
                       fake.beeper, fake.clock, discipline, counterScale, edgeReference,
                       burstDelay});
    return *keeper;
  }
  TimeKeeper& tk() { return *keeper; }
};
