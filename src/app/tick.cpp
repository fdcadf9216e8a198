#include "app/tick.h"

#include <string>

#include "app/app.h"
#include "app/text_format.h"
#include "commands/receiver_init.h"
#include "net/network_client.h"
#include "timekeeping/clock_setting.h"
#include "timekeeping/second_processing.h"
#include "timekeeping/sentence_dispatcher.h"

namespace {

void ShowPcTime(App& app) {
  const LocalTimeRecord& t = app.ReadPcClock();
  app.view.EditJst = Hms(t.Hour, t.Minute, t.Second);
}

// A: not connected.
void TickOffline(App& app) {
  if (app.tick.ClockSetPending) {
    SetPcClock(app, false);
    app.tick.ClockSetPending = false;
    return;
  }
  ShowPcTime(app);
  app.view.EditUtc.clear();
  app.view.EditPcErr = "--";
}

// C1: waiting for the first usable data after connecting.
void TickAwaitingData(App& app) {
  TickState& k = app.tick;
  UpdateFixQuality(app);
  if (app.pps.FixQuality >= 2) {
    k.AwaitingData = false;
    k.FixStartPending = true;
    app.pps.DelayOutOfRange = false;
    app.pps.CorrectionOk = true;
    k.StartCheckCount = 0;
    RunReceiverInitialisation(app);
  } else if (++k.WaitTicks > 100) {
    const LocalTimeRecord& t = app.ReadPcClock();
    app.view.StatusBar = Stamped(t.Hour, t.Minute, t.Second, "受信できません!!");
    k.WaitTicks = 0;
  }
  k.SecondPending = false;
}

// C: connected to a receiver.
void TickReceiver(App& app) {
  TickState& k = app.tick;
  if (k.AwaitingData) TickAwaitingData(app);
  if (k.SecondPending) {
    k.PendingSecondTicks += 1;
    if (!app.pps.PpsSeen && k.PendingSecondTicks >= k.DelayTicks) ProcessSecond(app);
  }
  if (!k.PpsMarkerSeen) k.SentenceToPpsTicks += 1;
  if (app.sentenceBuffer && !app.sentenceBuffer->Empty()) {
    const std::string text = app.sentenceBuffer->Text();
    app.sentenceBuffer->Clear();
    ProcessReceivedText(app, text);
  }
}

}  // namespace

void TickProc(App& app) {
  if (!app.tick.Connected) {
    TickOffline(app);
  } else if (app.settings.Port == kNetworkPort) {
    TickNetworkClient(app);
  } else {
    TickReceiver(app);
  }
}
