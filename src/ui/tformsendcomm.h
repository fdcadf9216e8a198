#pragma once
#include <QDialog>

#include "commands/jupiter_commands.h"

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QStatusBar;
class RadioGroup;

// "Quor - ジュピターコマンド": picks one Jupiter command; "送信" checks the
// input and closes with OK, the main window then sends it.
class TFormSendComm : public QDialog {
  Q_OBJECT
 public:
  // cfg: the receiver's configuration, read while the dialog is open.
  TFormSendComm(const ReceiverConfig& cfg, int baseMesg, QWidget* parent = nullptr);
  // The choice, once the dialog has closed with OK.
  JupiterChoice Choice() const { return choice_; }

 public slots:
  void RadioGroupCommandClick();
  void ButtonSendClick();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  JupiterChoice CurrentChoice() const;

  const ReceiverConfig& cfg_;
  int baseMesg_;
  JupiterChoice choice_;

  RadioGroup* RadioGroupCommand;
  QLineEdit* EditMapDatum;
  QGroupBox* GroupBoxNmea;
  QCheckBox *CheckBoxGGA, *CheckBoxRMC, *CheckBoxGSA, *CheckBoxGSV;
  QPushButton *ButtonSend, *ButtonCancel;
  QStatusBar* StatusBar;
};
