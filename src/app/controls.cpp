#include "app/controls.h"

MainControls ControlsFor(const ControlFacts& f) {
  using C = ControlFacts::Connection;
  MainControls c;
  const bool connected = f.connection != C::kOffline;
  c.ButtonConnectCaption = connected ? "切断(&G)" : "接続(&G)";
  c.ButtonToTaskTrayEnabled = connected;
  c.ButtonParmSetEnabled = !connected;
  switch (f.connection) {
    case C::kOffline:
      c.ButtonSyncPCEnabled = true;
      break;
    case C::kReceiver:
      c.ButtonSyncPCEnabled = f.fixStarted && !f.automaticSettingOnly && !f.buttonsLocked;
      c.ButtonTestDlgEnabled = !f.buttonsLocked;
      c.ButtonSendCommEnabled = f.commandsAvailable && !f.commandRunning;
      break;
    case C::kNetwork:
      c.ButtonSyncPCEnabled = f.opened && !f.replyAwaited;
      c.ButtonServerInfoEnabled = f.ownProtocol && f.opened;
      break;
  }
  return c;
}
