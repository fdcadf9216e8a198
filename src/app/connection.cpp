#include "app/connection.h"

#include "app/app.h"
#include "app/network_reconnect.h"
#include "app/serial_line_for.h"
#include "common/time_arithmetic.h"

namespace {

// Opens the receiver port; the outcome shows only in the status bar.
void OpenPort(App& app) {
  app.ShowStatus("接続の手続き中");
  const SerialLine line = SerialLineFor(app.settings.serial, app.settings.Port);
  std::string errorText;
  const auto result = app.platform.serialPort.Open(line, app, errorText);
  if (result != SerialPort::OpenResult::Ok) {
    if (result == SerialPort::OpenResult::ConfigureFailed) {
      app.platform.messageBoxes.ShowSystemError(errorText);
    }
    app.ShowStatus("接続に失敗!!");
    return;
  }
  app.ShowStatus("接続しました");
}

NetworkSessionDeps NetworkSessionDepsOf(App& app) {
  MainView& v = app.view;
  return {app.settings, app.network,  app.platform.udp, app,
          app.platform.clock, app.platform.textCodec,
          {app, v.EditJst,
           {&v.EditStatus, &v.LabelMapDatum, &v.EditLong, &v.EditLat, &v.EditAntena, &v.EditGeoid,
            &v.EditNumSat, &v.EditNumMsg}}};
}

ReceiverSessionDeps ReceiverSessionDepsOf(App& app) {
  Platform& p = app.platform;
  return {app.settings, p.serialPort, p.timers, p.messageBoxes, p.beeper, p.clock,
          app.counterScale, app.discipline, app.edgeReference, app.burstDelay, app.view, app,
          app, app.tick.ClockSetPending,
          [&app](int minute, int second) {
            const TestDialogModel* dialog = app.TestDialog();
            if (dialog && dialog->CheckBoxAutoSync && !app.settings.ServerIpAddr.empty() &&
                app.network.schedule.Due(minute, second, app.settings.NtpIntv)) {
              app.network.SendSntpRequest(ClientRole::kReceiver, app.ServiceSource(), kSendPeriodic);
            }
          }};
}

void ConnectNetwork(App& app, bool again) {
  if (!app.NetworkAvailable) {
    app.platform.messageBoxes.Show("ネットワーク機能が使えません!!");
    return;
  }
  if (app.IsOwnServerAddress(app.settings.ServerIpAddr)) {
    app.platform.messageBoxes.Show("ＩＰアドレスが重複しています!!");
    return;
  }
  if (app.settings.ServerIpAddr.empty()) {
    app.platform.messageBoxes.Show("接続先のアドレスを指定して下さい!!");
    return;
  }
  // The PC clock is not known to keep the server's time until its first
  // answer sets it.
  app.discipline.ForgetClockCheck();
  app.connection.emplace<NetworkSession>(NetworkSessionDepsOf(app), again);
  app.LogWithPcTime("NTP接続開始");
}

void ConnectReceiver(App& app) {
  app.LogWithPcTime("受信機への接続要求");
  app.network.NewConnection();
  app.burstDelay.UseKind(static_cast<ReceiverKind>(app.settings.Receiver));
  app.connection.emplace<ReceiverSession>(ReceiverSessionDepsOf(app));
  // The PC clock is not known to keep this receiver's time until checked.
  app.discipline.ForgetClockCheck();
  OpenPort(app);
}

void Connect(App& app, bool again = false) {
  const LocalTimeRecord now = app.platform.clock.GetLocalTime();
  app.discipline.UseTimeZone(app.settings.TimeZone);
  // Until the first edge, the time served is the PC's, counted from now.
  NtpTimestampEncode(LocalTimeToNtpSeconds(now, app.settings.TimeZone),
                     app.edgeReference.EdgeNtpTime);
  app.edgeReference.LastEdgeCount = app.counterScale.Now();
  app.network.schedule.Start(now.Minute);

  if (app.settings.Port == kNetworkPort) {
    ConnectNetwork(app, again);
  } else {
    ConnectReceiver(app);
  }
}

void Disconnect(App& app) {
  MainView& v = app.view;
  // A "同期" asked for while connected belongs to that connection.
  app.tick.ClockSetPending = false;
  app.ShowStatus("オフライン、ＰＣの時刻を表示中");
  app.LogWithPcTime("接続終了");

  if (app.Network()) {
    app.Disconnected();
    return;
  }
  app.network.CancelRequest();
  v.CSpinButtondSSVisible = true;
  v.EditNumMsg.clear();
  CloseReceiverPort(app);
}

}  // namespace

void CloseReceiverPort(App& app) {
  if (!app.Receiver()) return;
  app.platform.serialPort.Close();
  app.Disconnected();
}

void ButtonConnectClick(App& app) {
  StopReconnecting(app);
  if (app.Connected()) {
    Disconnect(app);
  } else {
    Connect(app);
  }
}

void DropNetworkConnection(App& app, const std::string& statusText) {
  app.Disconnected();
  app.ShowStatus(statusText);
}

void ConnectNetworkAgain(App& app) {
  if (app.Connected() || app.settings.Port != kNetworkPort) return;
  Connect(app, true);
  AskServerNow(app, kSendPeriodic);
}

void AskServerNow(App& app, int tag) {
  if (NetworkSession* n = app.Network()) n->AskNow(tag);
}

void ButtonServerInfoClick(App& app) {
  if (NetworkSession* n = app.Network()) n->ButtonServerInfoClick();
}

void ButtonSyncPCClick(App& app) {
  if (NetworkSession* n = app.Network()) {
    // Disabled while a request is awaited.
    if (!app.Controls().ButtonSyncPCEnabled) return;
    n->SendSntpRequest(kSendByButton);
    return;
  }
  // Offline the press itself is the moment to round from.
  if (!app.Connected()) {
    app.tick.SyncPressCount = app.counterScale.Now();
    app.tick.SyncPressTime = app.platform.clock.GetLocalTime();
  }
  app.tick.ClockSetPending = true;
}
