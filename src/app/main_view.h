#pragma once
#include <string>

// What the main window shows, named after its controls. The core writes it;
// the window copies it into its widgets after each event it forwards.
struct MainView {
  std::string StatusBar;
  std::string LabelJst = "JST";
  std::string EditJst, EditUtc, EditPcErr;
  std::string EditdSS;
  std::string LabelPpsCtr;
  std::string EditStatus, EditLong, EditLat, EditAntena, EditGeoid, EditNumSat, EditNumMsg;
  std::string LabelMapDatum;
  std::string ButtonConnectCaption = "接続(&G)";

  bool ButtonSyncPCEnabled = true;
  bool ButtonSendCommEnabled = false;
  bool ButtonTestDlgEnabled = false;
  bool ButtonParmSetEnabled = true;
  bool ButtonToTaskTrayEnabled = false;
  bool ButtonServerInfoEnabled = false;
  bool CSpinButtondSSVisible = true;
  bool CSpinButtondSSEnabled = true;
};
