#pragma once
#include <string>

// What the main window's controls depend on, as the subsystems report it.
struct ControlFacts {
  enum class Connection { kOffline, kReceiver, kNetwork };
  Connection connection = Connection::kOffline;

  // A receiver connection.
  bool fixStarted = false;          // its first fix came (reception began)
  bool automaticSettingOnly = false; // `AutoAdjust` 1: only the receiver sets the clock
  bool buttonsLocked = false;       // a mode switch holds the buttons
  bool commandsAvailable = false;   // the kind has a command set and data came
  bool commandRunning = false;

  // A network connection.
  bool ownProtocol = false;   // `LanOpt` 0: opened by the own LAN handshake
  bool opened = false;        // the handshake was answered (always so with SNTP)
  bool replyAwaited = false;  // an SNTP request of the network mode is out
};

// The main window's enabled states and captions, named after the controls.
struct MainControls {
  std::string ButtonConnectCaption = "接続(&G)";
  bool ButtonSyncPCEnabled = true;
  bool ButtonSendCommEnabled = false;
  bool ButtonTestDlgEnabled = false;
  bool ButtonParmSetEnabled = true;
  bool ButtonToTaskTrayEnabled = false;
  bool ButtonServerInfoEnabled = false;
  bool CSpinButtondSSEnabled = true;
};

// The one place that decides what each control offers: "同期" is grey while
// a receiver has no fix yet (or sets the clock only by itself), while a
// mode switch runs, and while the network mode awaits the server.
MainControls ControlsFor(const ControlFacts& facts);
