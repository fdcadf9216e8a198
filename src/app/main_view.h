#pragma once
#include <string>

#include "timekeeping/receiver_view.h"

// What the main window shows, named after its controls. The time keeping
// fills its part (the receiver's fields); the rest is the connection's.
// The window copies it into its widgets after each event it forwards; the
// enabled states come from App::Controls().
struct MainView : ReceiverView {
  std::string StatusBar;
  std::string LabelJst = "JST";
};
