#include "app/app.h"

#include "common/text_format.h"
#include "common/time_arithmetic.h"
#include "timekeeping/pps_edge_update.h"
#include "timekeeping/receiver_tick.h"

App::App(Platform& p)
    : platform(p),
      log(p.logFile),
      counterScale(p.counter),
      discipline({settings, p.clock, counterScale, *this, p.messageBoxes, *this}),
      server(SntpServerDeps{{edgeReference, counterScale, p.clock}, p.udp, *this, *this,
                            *this, settings.TimeZone, access,
                            settings.LogRequests}),
      lanServer(p.udp, p.textCodec, p.clock, access),
      network(NetworkClientDeps{settings,
                                {edgeReference, counterScale, p.clock},
                                p.udp,
                                discipline,
                                *this,
                                *this,
                                *this,
                                {}}) {
  server.UseKeys(&keys);
  network.UseKeys(&keys);
  // A full disk is told on the status bar (standard error when headless).
  discipline.UseDriftFile(p.driftFile);
  log.SetFileFaultNotice([this](const std::string& text) { ShowStatus(text); });
  // Without 1PPS the time served is the PC clock's, with the last setting
  // as its reference; an edge's own time is the receiver's and stays.
  discipline.AddStepListener([this](const ClockStep& step) {
    LastClockStep = step;
    server.NoteClockStep(counterScale.Now());
    if (step.source == ClockSource::kPps) return;
    // A server's time set while a receiver is connected leaves the
    // receiver's reference alone.
    if (step.source == ClockSource::kServer && Receiver()) return;
    NtpTimestampEncode(step.target, edgeReference.EdgeNtpTime);
    edgeReference.LastEdgeCount = step.count;
  });
  discipline.AddMeasurementListener(
      [this](const ClockMeasurementPoint& point) { errorHistory.Add(point); });
}

void App::ApplyAccessSettings() {
  access.Configure(settings.LanAccess, settings.NtpAllow, OwnAddresses);
}

ControlFacts App::Facts() const {
  using C = ControlFacts::Connection;
  ControlFacts f;
  if (const NetworkSession* n = Network()) {
    f.connection = C::kNetwork;
    f.ownProtocol = n->OwnProtocol();
    f.opened = n->Opened();
    f.replyAwaited = network.SntpReplyAwaited();
  } else if (const ReceiverSession* s = Receiver()) {
    f.connection = C::kReceiver;
    f.automaticSettingOnly = settings.AutoAdjust == 1;
    f.fixStarted = s->time.timing.FixStarted;
    f.buttonsLocked = s->ButtonsLocked;
    f.commandsAvailable = s->CommandsAvailable;
    f.commandRunning = s->commands.Busy();
  }
  return f;
}

void App::LogLine(const std::string& text) { log.LogLine(text, settings.IsLogOut == 1); }

void App::LogWithPcTime(const std::string& message) {
  const LocalTimeRecord t = platform.clock.GetLocalTime();
  LogLine(Stamped(t.Hour, t.Minute, t.Second, message));
}

void App::OnDsrChange(const EdgeCapture& edge) {
  ReceiverSession* session = Receiver();
  if (!session) return;
  ReceiverSession& s = *session;
  const EdgeOutcome outcome = s.link.OnDsrChange(s.time.pps, edge, edgeReference);
  NoteDsrChange(s.time);
  if (outcome.armed) {
    PpsEdgeUpdate(s.time, {s.link.PcEdgeTime, s.link.RxEdgeTime, outcome.timeTaken, edge.counter,
                           s.link.PcEdgeFine});
  }
}

void App::OnBytes(const uint8_t* data, size_t size, const CounterCapture* arrival) {
  ReceiverSession* session = Receiver();
  if (!session) return;
  CounterCapture now;
  if (arrival == nullptr) {
    now.counter = counterScale.Now();
    now.pcNtp = platform.clock.ReadNtpSeconds();
    now.pcLocal = platform.clock.GetLocalTime();
  }
  session->link.OnBytes(data, size, arrival != nullptr ? *arrival : now);
}

void App::OnBytesDropped(uint64_t dropped) {
  LogWithPcTime(StrPrintf("受信データが多すぎるため破棄しました(%llu バイト)",
                          static_cast<unsigned long long>(dropped)));
}

void App::OnNoModemLines() {
  ReceiverSession* session = Receiver();
  if (!session || session->link.NoModemLinesReported) return;
  session->link.NoModemLinesReported = true;
  LogWithPcTime("1PPS信号は使えません(DSR非対応のポート)");
}

void App::OnPortLost(const std::string& reason) {
  if (ReceiverSession* session = Receiver()) session->PortLost = true;
  ShowStatus("受信機のポートが失われました!! (" + reason + ")");
  LogWithPcTime("受信機のポートが失われました");
}
