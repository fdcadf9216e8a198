#include "app/app.h"

#include "common/text_format.h"
#include "timekeeping/pps_edge_update.h"
#include "timekeeping/receiver_tick.h"

App::App(Platform& p)
    : platform(p),
      log(p.logFile),
      counterScale(p.counter),
      discipline(p.clock, counterScale),
      server(SntpServerDeps{{edgeReference, counterScale, p.clock}, p.udp, *this, view.StatusBar,
                            testDialog.TestDialogShown, settings.TimeZone}),
      lanServer(p.udp, p.textCodec, p.clock),
      network(NetworkClientDeps{settings,
                                {edgeReference, counterScale, p.clock},
                                p.udp,
                                discipline,
                                edgeReference,
                                *this,
                                testDialog,
                                p.textCodec,
                                {view.StatusBar,
                                 view.EditJst,
                                 view.ButtonSyncPCEnabled,
                                 view.ButtonServerInfoEnabled,
                                 {&view.EditStatus, &view.LabelMapDatum, &view.EditLong,
                                  &view.EditLat, &view.EditAntena, &view.EditGeoid,
                                  &view.EditNumSat, &view.EditNumMsg}},
                                {}}) {}

void App::LogLine(const std::string& text) { log.LogLine(text, settings.IsLogOut == 1); }

void App::LogWithPcTime(const std::string& message) {
  const LocalTimeRecord t = platform.clock.GetLocalTime();
  LogLine(Stamped(t.Hour, t.Minute, t.Second, message));
}

void App::OnDsrChange(const EdgeCapture& edge) {
  if (!session) return;
  ReceiverSession& s = *session;
  const EdgeOutcome outcome = s.link.OnDsrChange(s.time.pps, edge, edgeReference);
  NoteDsrChange(s.time);
  if (outcome.armed) {
    PpsEdgeUpdate(s.time, {s.link.PcEdgeTime, s.link.RxEdgeTime, outcome.timeTaken, edge.counter});
  }
}

void App::OnBytes(const uint8_t* data, size_t size, const CounterCapture* arrival) {
  if (!session) return;
  CounterCapture now;
  if (arrival == nullptr) {
    now.counter = counterScale.Now();
    now.pcLocal = platform.clock.GetLocalTime();
  }
  session->link.OnBytes(data, size, arrival != nullptr ? *arrival : now);
}

void App::OnBytesDropped(uint64_t droppedSoFar) {
  LogWithPcTime(StrPrintf("受信データが多すぎるため破棄しました(%llu バイト)",
                          static_cast<unsigned long long>(droppedSoFar)));
}

void App::OnNoModemLines() {
  if (!session || session->link.NoModemLinesReported) return;
  session->link.NoModemLinesReported = true;
  LogWithPcTime("1PPS信号は使えません(DSR非対応のポート)");
}

void App::OnPortLost(const std::string& reason) {
  if (session) session->PortLost = true;
  view.StatusBar = "受信機のポートが失われました!! (" + reason + ")";
  LogWithPcTime("受信機のポートが失われました");
}
