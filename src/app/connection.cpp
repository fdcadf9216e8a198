#include "app/connection.h"

#include "app/app.h"
#include "timekeeping/time_arithmetic.h"

namespace {

// Opens the receiver port and starts the link; the outcome shows only in the
// status bar.
void OpenPort(App& app) {
  MainView& v = app.view;
  v.StatusBar = "接続の手続き中";
  SerialParams params = app.settings.serial;
  params.PortIndex = app.settings.Port;
  std::string errorText;
  const auto result = app.platform.serialPort.Open(params, app.link, errorText);
  if (result != SerialPort::OpenResult::Ok) {
    if (result == SerialPort::OpenResult::ConfigureFailed) {
      app.platform.messageBoxes.ShowSystemError(errorText);
    }
    v.StatusBar = "接続に失敗!!";
    return;
  }
  app.sentenceBuffer.emplace();
  PpsTimingRecord& r = app.pps;
  r.BaseMesg = app.settings.BaseMesg;
  r.AutoAdjust = app.settings.AutoAdjust;
  r.TimeZone = app.settings.TimeZone;
  r.SyncOffsetMs = app.settings.SyncOffsetMs();
  r.PpsArmed = false;
  app.link.Start();
  v.StatusBar = "接続しました";
}

void ClosePort(App& app) {
  app.platform.serialPort.Close();
  app.sentenceBuffer.reset();
}

void ConnectNetwork(App& app) {
  if (!app.NetworkAvailable) {
    app.platform.messageBoxes.Show("ネットワーク機能が使えません!!");
    return;
  }
  if (app.settings.ServerIpAddr == app.OwnIpAddress) {
    app.platform.messageBoxes.Show("ＩＰアドレスが重複しています!!");
    return;
  }
  if (app.settings.ServerIpAddr.empty()) {
    app.platform.messageBoxes.Show("接続先のアドレスを指定して下さい!!");
    return;
  }
  // The network time client is not part of this build yet.
  app.view.StatusBar = "ネットワーク接続はまだ使えません";
}

void ConnectReceiver(App& app) {
  TickState& k = app.tick;
  MainView& v = app.view;
  app.LogWithPcTime("受信機への接続要求");

  k.AwaitingData = true;
  k.WaitTicks = 0;
  k.SecondPending = false;
  app.cfg.NmeaMode = true;
  app.pps.ReceiverDateKnown = false;
  app.pps.PpsSeen = false;
  app.rx.Reset();
  app.cfg.ClearSentenceFlags();
  k.PpsMarkerSeen = true;

  k.Connected = true;
  v.ButtonConnectCaption = "切断(&G)";
  v.ButtonToTaskTrayEnabled = true;
  v.ButtonSyncPCEnabled = false;
  v.ButtonTestDlgEnabled = true;

  OpenPort(app);

  app.testDialog = TestDialogModel{};
  app.testDialog.Exists = true;

  v.ButtonParmSetEnabled = false;
  app.pps.ReceptionOk = false;
  if (app.sentenceBuffer) app.sentenceBuffer->Clear();
  k.SentenceCount = 0;
  app.pps.FixQuality = 0;
}

void Connect(App& app) {
  const LocalTimeRecord& now = app.ReadPcClock();
  // Until the first edge, the time served is the PC's.
  app.ReceiverNtpTime = LocalTimeToNtpSeconds(now, app.settings.TimeZone);
  NtpTimestampEncode(app.ReceiverNtpTime, app.pps.EdgeNtpTime);
  int next = (now.Minute + 5) / 5 * 5;
  app.pps.NextNtpMinute = next == 60 ? 0 : next;

  if (app.settings.Port == kNetworkPort) {
    ConnectNetwork(app);
  } else {
    ConnectReceiver(app);
  }
}

void Disconnect(App& app) {
  MainView& v = app.view;
  app.tick.Connected = false;
  v.ButtonConnectCaption = "接続(&G)";
  v.ButtonToTaskTrayEnabled = false;
  v.StatusBar = "オフライン、ＰＣの時刻を表示中";
  app.LogWithPcTime("接続終了");

  if (app.settings.Port == kNetworkPort) {
    v.ButtonSendCommEnabled = false;
    v.ButtonParmSetEnabled = true;
    v.ButtonSyncPCEnabled = true;
    v.ButtonServerInfoEnabled = false;
    return;
  }
  app.testDialog = TestDialogModel{};
  v.ButtonSyncPCEnabled = true;
  v.ButtonSendCommEnabled = false;
  v.ButtonTestDlgEnabled = false;
  v.ButtonParmSetEnabled = true;
  v.CSpinButtondSSVisible = true;
  v.CSpinButtondSSEnabled = true;
  v.EditNumMsg.clear();
  ClosePort(app);
}

}  // namespace

void ButtonConnectClick(App& app) {
  if (app.tick.Connected) {
    Disconnect(app);
  } else {
    Connect(app);
  }
}

void ButtonSyncPCClick(App& app) {
  if (app.tick.Connected && app.settings.Port == kNetworkPort) return;  // network client comes later
  // Offline the press itself is the moment to round from.
  if (!app.tick.Connected) app.ReadPcClock();
  app.tick.ClockSetPending = true;
}
