#include "app/settings_apply.h"

#include "app/app.h"
#include "app/key_file_use.h"
#include "app/network_reconnect.h"
#include "common/text_format.h"
#include "settings/settings_dialog.h"

void ButtonParmSetApply(App& app, const SettingsDialog& dialog) {
  Settings& s = app.settings;
  const Settings chosen = dialog.Chosen();
  const bool loggingSwitchedOn = s.IsLogOut == 0 && chosen.IsLogOut == 1;
  s = chosen;
  app.network.schedule.NtpRequestCount = 0;
  StopReconnecting(app);
  app.discipline.UseTimeZone(s.TimeZone);
  app.ApplyAccessSettings();

  // Logging switched on: a file of its own from now, where the start-up
  // log goes (the current directory). Switching it off leaves an open file
  // open and idle.
  if (loggingSwitchedOn) {
    const LocalTimeRecord now = app.platform.clock.GetLocalTime();
    if (!app.log.OpenFile(now, s.LogKeepDays)) {
      app.platform.messageBoxes.Show("ログファイルのオープンに失敗");
    }
    app.LogLine(Stamped(now.Hour, now.Minute, now.Second, "Quorログ開始"));
  }

  // Read again even when the name stays: its keys may have been edited.
  LoadKeyFileSetting(app);

  app.view.LabelJst = s.TimeZone == 9 ? "JST" : "LST";
}
