#pragma once
#include <string>

#include "timekeeping/receiver_view.h"

// What the main window shows, named after its controls. The time keeping
// fills its part (the receiver's fields); the rest is the connection's.
// The window copies it into its widgets after each event it forwards.
struct MainView : ReceiverView {
  std::string LabelJst = "JST";
  std::string ButtonConnectCaption = "接続(&G)";

  bool ButtonSendCommEnabled = false;
  bool ButtonTestDlgEnabled = false;
  bool ButtonParmSetEnabled = true;
  bool ButtonToTaskTrayEnabled = false;
  bool ButtonServerInfoEnabled = false;
  bool CSpinButtondSSEnabled = true;
};
