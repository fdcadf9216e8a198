#pragma once
#include <QDialog>

#include "commands/gt77_commands.h"

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QStatusBar;
class RadioGroup;

// "Quor - GT-77コマンド": the sentences, TRAIM, 1PPS control and datum in one
// form; "送信" checks the input and closes with OK, the main window then
// sends it all.
class TFormGT77Comm : public QDialog {
  Q_OBJECT
 public:
  TFormGT77Comm(const ReceiverConfig& cfg, int baseMesg, QWidget* parent = nullptr);
  Gt77Choice Choice() const { return choice_; }

 public slots:
  void ButtonSendClick();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  const ReceiverConfig& cfg_;
  int baseMesg_;
  Gt77Choice choice_;

  QGroupBox* GroupBox1;
  // GGA, GSA, GSV, RMC, GLL, ZDA, VTG: the order of ReceiverConfig::Sentence.
  QCheckBox* sentenceBoxes_[ReceiverConfig::kSentenceKinds];
  QCheckBox *CheckBoxtps, *CheckBoxPpsRvs;
  RadioGroup *RadioGroupTraimSw, *RadioGroupPpsCntl, *RadioGroupMapDatum;
  QLineEdit* EditMapDatum;
  QPushButton *ButtonSend, *ButtonCancel;
  QStatusBar* StatusBar;
};
