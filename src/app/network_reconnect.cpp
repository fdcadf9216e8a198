#include "app/network_reconnect.h"

#include <algorithm>

#include "app/app.h"
#include "app/connection.h"
#include "common/text_format.h"

void ReconnectLater(App& app) {
  TickState& t = app.tick;
  const int cap = app.settings.NtpIntv > 0 ? app.settings.NtpIntv * 600 : 600;
  t.ReconnectWaitTicks =
      std::min(cap, t.ReconnectWaitTicks > 0 ? 2 * t.ReconnectWaitTicks : kFirstReconnectTicks);
  t.ReconnectTicks = t.ReconnectWaitTicks;
  app.LogWithPcTime(StrPrintf("%d 秒後に再接続します", t.ReconnectWaitTicks / 10));
}

void TickReconnect(App& app) {
  TickState& t = app.tick;
  if (t.ReconnectTicks <= 0 || --t.ReconnectTicks > 0) return;
  ConnectNetworkAgain(app);
}

void StopReconnecting(App& app) {
  app.tick.ReconnectTicks = 0;
  app.tick.ReconnectWaitTicks = 0;
}

void NoteNetworkOpened(App& app) { app.tick.ReconnectWaitTicks = 0; }
