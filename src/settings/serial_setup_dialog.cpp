#include "settings/serial_setup_dialog.h"

namespace {

template <typename T, size_t N>
void Take(T& field, int item, const std::array<const char*, N>&) {
  if (item >= 0 && static_cast<size_t>(item) < N) field = static_cast<T>(item);
}

}  // namespace

SerialSetupDialog::Items SerialSetupDialog::FormShow(const SerialParams& running) {
  copy_ = running;
  return {copy_.boudRate, copy_.dataBits, copy_.parityType, copy_.stopBits, copy_.flowCntl};
}

void SerialSetupDialog::OKBtnClick(const Items& chosen) {
  Take(copy_.boudRate, chosen.BaudRateComboBox, kBaudRateItems);
  Take(copy_.dataBits, chosen.DataBitsComboBox, kDataBitsItems);
  Take(copy_.parityType, chosen.parityComboBox, kParityItems);
  Take(copy_.stopBits, chosen.StopBitsComboBox, kStopBitsItems);
  Take(copy_.flowCntl, chosen.FlowCtrlComboBox, kFlowCtrlItems);
}
