#pragma once
#include <QDialog>

#include "settings/serial_setup_dialog.h"

class QComboBox;
class QPushButton;

// "Quor - 通信条件の設定": the line settings of the COM port, on a copy of
// the running record; Params() is the copy after "設定".
class TRs232Setup : public QDialog {
  Q_OBJECT
 public:
  TRs232Setup(const SerialParams& running, QWidget* parent = nullptr);
  const SerialParams& Params() const { return model_.Params(); }

 public slots:
  void OKBtnClick();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  const SerialParams& running_;
  SerialSetupDialog model_;
  QComboBox *BaudRateComboBox, *DataBitsComboBox, *parityComboBox, *StopBitsComboBox,
      *FlowCtrlComboBox;
  QPushButton *OKBtn, *CancelBtn;
};
