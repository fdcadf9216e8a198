#pragma once
#include <array>
#include <cstddef>

#include "settings/serial_params.h"

// "Quor - 通信条件の設定": edits a copy of the running serial parameters and
// hands the whole copy back on "設定" (the caller then replaces the running
// record with it). The lists' item indexes are the stored indexes.
class SerialSetupDialog {
 public:
  static constexpr std::array<const char*, 13> kBaudRateItems = {
      "110", "300", "600", "1200", "2400", "4800", "9600",
      "14.4k", "19.2k", "38.4k", "56k", "128k", "256k"};
  static constexpr std::array<const char*, 2> kDataBitsItems = {"7", "8"};
  static constexpr std::array<const char*, 5> kParityItems = {"None", "Even", "Odd", "Mark", "Space"};
  static constexpr std::array<const char*, 3> kStopBitsItems = {"1", "1.5", "2"};
  static constexpr std::array<const char*, 3> kFlowCtrlItems = {"ﾊｰﾄﾞｳｪｱ", "Xon/Xoff", "なし"};

  // The items each list selects.
  struct Items {
    int BaudRateComboBox, DataBitsComboBox, parityComboBox, StopBitsComboBox, FlowCtrlComboBox;
  };

  // Copies the running record; the lists show its fields.
  Items FormShow(const SerialParams& running);
  // "設定": the chosen items become the copy's fields (the port index stays
  // as copied). An index outside its list keeps the copied field.
  void OKBtnClick(const Items& chosen);

  const SerialParams& Params() const { return copy_; }

 private:
  SerialParams copy_;
};
