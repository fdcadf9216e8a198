#pragma once
#include <QDialog>

#include "commands/cca_commands.h"

class QLineEdit;
class QPushButton;
class QStatusBar;
class RadioGroup;

// "Quor - CCA-370Hコマンド": picks one of the receiver's messages; "送信"
// checks the input and closes with OK, the main window then sends it.
class TFormCcaComm : public QDialog {
  Q_OBJECT
 public:
  explicit TFormCcaComm(QWidget* parent = nullptr);
  CcaChoice Choice() const { return choice_; }

 public slots:
  void ButtonSendClick();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  CcaChoice choice_;
  RadioGroup* RadioGroupCommand;
  QLineEdit* EditMapDatum;
  QPushButton *ButtonSend, *ButtonCancel;
  QStatusBar* StatusBar;
};
