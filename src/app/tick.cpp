#include "app/tick.h"

#include <string>
#include <vector>

#include "app/app.h"
#include "app/connection.h"
#include "app/network_reconnect.h"
#include "app/receiver_commands.h"
#include "common/text_format.h"
#include "timekeeping/receiver_tick.h"
#include "timekeeping/sentence_dispatcher.h"

namespace {

constexpr int kTickMs = 100;

// Not connected: the PC's time, or a pending "同期" to the nearest minute.
void TickOffline(App& app) {
  TickReconnect(app);
  if (app.Connected()) return;
  if (app.tick.ClockSetPending) {
    app.discipline.SetToWholeMinute(app.tick.SyncPressTime, app.tick.SyncPressCount);
    app.tick.ClockSetPending = false;
    return;
  }
  const LocalTimeRecord t = app.platform.clock.GetLocalTime();
  app.view.EditJst = Hms(t.Hour, t.Minute, t.Second);
  app.view.EditUtc.clear();
  app.view.EditPcErr = "--";
}

// Connected to a receiver: the second's timing, the receiver's start-up at
// the first usable data, then the lines received since the last tick.
void TickReceiver(App& app, ReceiverSession& s) {
  app.network.TickReceiver();
  if (TickReceiverTiming(s.time)) {
    app.ShowStatus("通信の準備中");
    InitialiseReceiver(app);
  }
  if (!s.link.sentenceBuffer.Empty()) {
    const std::string text = s.link.sentenceBuffer.Text();
    const std::vector<TextBurst> bursts = std::move(s.link.textBursts);
    s.link.ClearText();
    ProcessReceivedText(s.time, text, bursts);
  }
}

// Connected to a time server: the client's waits and schedule; a silent
// own-protocol server ends the connection, which is opened again later.
void TickNetwork(App& app, NetworkSession& n) {
  if (n.Tick() != NetworkSession::TickResult::kTimedOut) {
    if (n.OwnProtocol() && n.Opened()) NoteNetworkOpened(app);
    return;
  }
  const LocalTimeRecord t = app.platform.clock.GetLocalTime();
  const std::string line = Stamped(t.Hour, t.Minute, t.Second, "タイムアウト発生、回線を切断します!!");
  DropNetworkConnection(app, line);
  app.LogLine(line);
  ReconnectLater(app);
}

// A new log file each local day, started at the first tick after midnight.
void RollLogFile(App& app) {
  if (app.settings.IsLogOut != 1 || !app.log.File().IsOpen()) return;
  const LocalTimeRecord now = app.platform.clock.GetLocalTime();
  if (app.log.RollOver(now, app.settings.LogKeepDays)) {
    app.LogLine(Stamped(now.Hour, now.Minute, now.Second, "Quorログ開始"));
  }
}

}  // namespace

void TickProc(App& app) {
  RollLogFile(app);
  app.server.Tick();
  if (NetworkSession* n = app.Network()) {
    TickNetwork(app, *n);
  } else if (ReceiverSession* s = app.Receiver()) {
    TickReceiver(app, *s);
  } else {
    TickOffline(app);
  }
}

void StartTick(App& app) {
  if (app.tick.Timer != 0) return;
  app.tick.Timer = app.platform.timers.StartRepeating(kTickMs, [&app] {
    ++app.tick.Count;
    TickProc(app);
  });
}

void StopTick(App& app) {
  if (app.tick.Timer == 0) return;
  app.platform.timers.Cancel(app.tick.Timer);
  app.tick.Timer = 0;
}
