#include <gtest/gtest.h>

#include "app/controls.h"

namespace {

using C = ControlFacts::Connection;

struct Expected {
  const char* caption;
  bool sync, send, test, parm, tray, serverInfo;
};

ControlFacts Receiver(bool fix, bool autoOnly, bool locked, bool commands, bool running) {
  ControlFacts f;
  f.connection = C::kReceiver;
  f.fixStarted = fix;
  f.automaticSettingOnly = autoOnly;
  f.buttonsLocked = locked;
  f.commandsAvailable = commands;
  f.commandRunning = running;
  return f;
}

ControlFacts Network(bool own, bool opened, bool awaited) {
  ControlFacts f;
  f.connection = C::kNetwork;
  f.ownProtocol = own;
  f.opened = opened;
  f.replyAwaited = awaited;
  return f;
}

}  // namespace

// Why each control is grey or not, from the facts alone.
TEST(Controls, FactsGiveTheEnabledStates) {
  const struct {
    const char* what;
    ControlFacts facts;
    Expected want;
  } cases[] = {
      {"offline", ControlFacts{}, {"接続(&G)", true, false, false, true, false, false}},
      {"receiver before its first fix", Receiver(false, false, false, false, false),
       {"切断(&G)", false, false, true, false, true, false}},
      {"receiver with a fix", Receiver(true, false, false, true, false),
       {"切断(&G)", true, true, true, false, true, false}},
      {"receiver that sets the clock only by itself", Receiver(true, true, false, true, false),
       {"切断(&G)", false, true, true, false, true, false}},
      {"receiver during a mode switch", Receiver(true, false, true, true, true),
       {"切断(&G)", false, false, false, false, true, false}},
      {"receiver running a command without a lock", Receiver(true, false, false, true, true),
       {"切断(&G)", true, false, true, false, true, false}},
      {"receiver of a kind without commands", Receiver(true, false, false, false, false),
       {"切断(&G)", true, false, true, false, true, false}},
      {"SNTP server", Network(false, true, false), {"切断(&G)", true, false, false, false, true, false}},
      {"SNTP server, reply awaited", Network(false, true, true),
       {"切断(&G)", false, false, false, false, true, false}},
      {"own protocol before its handshake", Network(true, false, false),
       {"切断(&G)", false, false, false, false, true, false}},
      {"own protocol opened", Network(true, true, false), {"切断(&G)", true, false, false, false, true, true}},
      {"own protocol, reply awaited", Network(true, true, true),
       {"切断(&G)", false, false, false, false, true, true}},
  };
  for (const auto& c : cases) {
    const MainControls got = ControlsFor(c.facts);
    EXPECT_EQ(got.ButtonConnectCaption, c.want.caption) << c.what;
    EXPECT_EQ(got.ButtonSyncPCEnabled, c.want.sync) << c.what;
    EXPECT_EQ(got.ButtonSendCommEnabled, c.want.send) << c.what;
    EXPECT_EQ(got.ButtonTestDlgEnabled, c.want.test) << c.what;
    EXPECT_EQ(got.ButtonParmSetEnabled, c.want.parm) << c.what;
    EXPECT_EQ(got.ButtonToTaskTrayEnabled, c.want.tray) << c.what;
    EXPECT_EQ(got.ButtonServerInfoEnabled, c.want.serverInfo) << c.what;
    EXPECT_TRUE(got.CSpinButtondSSEnabled) << c.what;
  }
}
