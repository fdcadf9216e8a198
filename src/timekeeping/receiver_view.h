#pragma once
#include <string>

// The main window's controls that the time keeping fills, named after them.
struct ReceiverView {
  std::string EditJst, EditUtc, EditPcErr;
  std::string EditdSS;
  std::string LabelPpsCtr;
  std::string EditStatus, EditLong, EditLat, EditAntena, EditGeoid, EditNumSat, EditNumMsg;
  std::string LabelMapDatum;
  bool CSpinButtondSSVisible = true;
};
