#include "app/startup.h"

#include "app/app.h"
#include "app/connection.h"
#include "app/key_file_use.h"
#include "app/tick.h"
#include "common/text_format.h"
#include "settings/settings_persistence.h"

namespace {

void ShowDelaySetting(App& app) { app.view.EditdSS = StrPrintf("%+d", app.settings.dSSS * 10); }

// Port 123 serves the time in every state; without it Quor still runs (as a
// client it cannot hear answers then), and says why.
void BindTimeService(App& app) {
  std::string reason;
  const UdpEndpoint::BindResult result = app.platform.udp.Bind(kNtpPort, app, reason);
  std::string why;
  switch (result) {
    case UdpEndpoint::BindResult::kOk: return;
    case UdpEndpoint::BindResult::kNoRight: why = "権限がありません"; break;
    case UdpEndpoint::BindResult::kInUse: why = "他のプログラムが使用中です"; break;
    case UdpEndpoint::BindResult::kFailed: why = reason; break;
  }
  const LocalTimeRecord t = app.platform.clock.GetLocalTime();
  const std::string line = Stamped(t.Hour, t.Minute, t.Second, "UDPポート123を開けません(" + why + ")");
  app.ShowStatus(line);
  app.LogLine(line);
}

}  // namespace

void FormCreate(App& app) {
  app.settings.serial = SerialParams{};
  LoadSettings(app.platform.settingsStore, app.settings);
  app.discipline.UseTimeZone(app.settings.TimeZone);

  if (auto address = app.platform.networkInfo.OwnIpv4Address()) {
    app.NetworkAvailable = true;
    app.OwnIpAddress = *address;
  } else {
    app.NetworkAvailable = false;
    app.platform.messageBoxes.Show("ネットワーク機能が使えません!!");
  }
  app.OwnAddresses = app.platform.networkInfo.OwnAddresses();
  app.ApplyAccessSettings();
  app.FirstShowPending = true;
}

bool FormShow(App& app) {
  if (!app.FirstShowPending) return false;
  MainView& v = app.view;
  ShowDelaySetting(app);

  v.LabelJst = app.settings.TimeZone == 9 ? "JST" : "LST";
  app.ShowStatus("オフライン、ＰＣの時刻を表示中");

  app.FirstShowPending = false;
  const LocalTimeRecord now = app.platform.clock.GetLocalTime();
  if (app.settings.IsLogOut == 1 && !app.log.OpenFile(now, app.settings.LogKeepDays)) {
    app.platform.messageBoxes.Show("ログファイルのオープンに失敗");
  }
  app.LogLine(Stamped(now.Hour, now.Minute, now.Second, "Quor運用開始"));
  LoadKeyFileSetting(app);
  for (const std::string& entry : app.access.BadEntries()) {
    app.LogLine(Stamped(now.Hour, now.Minute, now.Second, "NtpAllowの指定を無視しました: " + entry));
  }
  BindTimeService(app);
  return true;
}

void FormCloseQuery(App& app) {
  app.discipline.KeepFrequency(true);
  app.LogWithPcTime("Quor運用終了");
  // Closed whenever open, also when logging was switched off meanwhile, so
  // the file is flushed.
  if (app.log.File().IsOpen()) app.log.File().Close();
}

void FormDestroy(App& app) {
  StopTick(app);
  CloseReceiverPort(app);
}

bool StartRunning(App& app) {
  if (!FormShow(app)) return false;
  StartTick(app);
  return true;
}

void StopRunning(App& app) {
  StopTick(app);
  FormCloseQuery(app);
}

bool ButtonToTaskTrayClick(App& app) {
  if (app.Connected()) return true;
  app.platform.messageBoxes.Show("受信機またはタイムサーバと接続して下さい!!");
  return false;
}

void CSpinButtondSSUpClick(App& app) {
  app.settings.dSSS = app.settings.dSSS >= 9 ? 0 : app.settings.dSSS + 1;
  ShowDelaySetting(app);
}

void CSpinButtondSSDownClick(App& app) {
  app.settings.dSSS = app.settings.dSSS <= 0 ? 9 : app.settings.dSSS - 1;
  ShowDelaySetting(app);
}
