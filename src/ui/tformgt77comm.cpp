#include "ui/tformgt77comm.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

#include "ui/dialog_parts.h"

TFormGT77Comm::TFormGT77Comm(const ReceiverConfig& cfg, int baseMesg, QWidget* parent)
    : QDialog(parent), cfg_(cfg), baseMesg_(baseMesg) {
  setObjectName("TFormGT77Comm");
  setWindowTitle(QString::fromUtf8("Quor - GT-77コマンド"));

  GroupBox1 = new QGroupBox(QString::fromUtf8("ｾﾝﾃﾝｽの選択"), this);
  GroupBox1->setObjectName("GroupBox1");
  auto* sentences = new QGridLayout(GroupBox1);
  static const char* const kNames[ReceiverConfig::kSentenceKinds] = {"GGA", "GSA", "GSV", "RMC",
                                                                     "GLL", "ZDA", "VTG"};
  for (int i = 0; i < ReceiverConfig::kSentenceKinds; ++i) {
    auto* b = new QCheckBox(kNames[i], GroupBox1);
    b->setObjectName(QString("CheckBox") + kNames[i]);
    sentenceBoxes_[i] = b;
    sentences->addWidget(b, i / 2, i % 2);
  }
  // "tps" is what the program reads its 1PPS status from: always on.
  CheckBoxtps = new QCheckBox("tps", GroupBox1);
  CheckBoxtps->setObjectName("CheckBoxtps");
  CheckBoxtps->setChecked(true);
  CheckBoxtps->setEnabled(false);
  sentences->addWidget(CheckBoxtps, 3, 1);

  RadioGroupTraimSw =
      new RadioGroup(this, "RadioGroupTraimSw", "TRAIMｽｲｯﾁ", {"OFF", "ON[1]", "ON[2]"}, 0);
  RadioGroupPpsCntl = new RadioGroup(this, "RadioGroupPpsCntl", "１PPSｺﾝﾄﾛｰﾙ",
                                     {"出力停止", "常時出力", "通常出力", "高信頼ﾓｰﾄﾞ"}, 1);
  RadioGroupMapDatum =
      new RadioGroup(this, "RadioGroupMapDatum", "測地系", {"WGS-84系", "日本測地系", "その他"}, 0);
  EditMapDatum = DatumEdit(this, 3);
  CheckBoxPpsRvs = new QCheckBox(QString::fromUtf8("1PPS反転"), this);
  CheckBoxPpsRvs->setObjectName("CheckBoxPpsRvs");
  CheckBoxPpsRvs->setVisible(false);
  const CommandDialogParts parts(this);
  ButtonSend = parts.send;
  ButtonCancel = parts.cancel;
  StatusBar = parts.status;

  auto* datum = DatumRow(this, EditMapDatum);
  datum->addStretch();
  auto* left = new QVBoxLayout;
  left->addWidget(GroupBox1);
  left->addWidget(RadioGroupTraimSw);
  auto* middle = new QVBoxLayout;
  middle->addWidget(RadioGroupPpsCntl);
  middle->addWidget(RadioGroupMapDatum);
  middle->addLayout(datum);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(ButtonSend);
  buttons->addWidget(ButtonCancel);
  buttons->addWidget(CheckBoxPpsRvs);
  buttons->addStretch();
  auto* top = new QHBoxLayout;
  top->addLayout(left);
  top->addLayout(middle);
  top->addLayout(buttons);
  LayOutCommandDialog(this, top, StatusBar);

  connect(ButtonSend, &QPushButton::clicked, this, &TFormGT77Comm::ButtonSendClick);
}

void TFormGT77Comm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  for (int i = 0; i < ReceiverConfig::kSentenceKinds; ++i) {
    sentenceBoxes_[i]->setChecked(cfg_.SentenceEnabled[i]);
  }
  StatusBar->clearMessage();
}

void TFormGT77Comm::ButtonSendClick() {
  Gt77Choice c;
  for (int i = 0; i < ReceiverConfig::kSentenceKinds; ++i) {
    c.sentences[i] = sentenceBoxes_[i]->isChecked();
  }
  c.traim = RadioGroupTraimSw->ItemIndex();
  c.ppsControl = RadioGroupPpsCntl->ItemIndex();
  const InputCheck check = CheckGt77Input(c, RadioGroupMapDatum->ItemIndex(),
                                          EditMapDatum->text().toStdString(), baseMesg_);
  if (!check.Passed()) {
    StatusBar->showMessage(QString::fromUtf8(check.fault.c_str()));
    if (check.focusDatum) EditMapDatum->setFocus();
    return;
  }
  choice_ = c;
  accept();
}
