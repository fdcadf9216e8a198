#include "ui/tformsendcomm.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

#include "ui/dialog_parts.h"

namespace {
QCheckBox* Box(QWidget* parent, const char* name, const char* text) {
  auto* b = new QCheckBox(QString::fromUtf8(text), parent);
  b->setObjectName(name);
  return b;
}
}  // namespace

TFormSendComm::TFormSendComm(const ReceiverConfig& cfg, int baseMesg, QWidget* parent)
    : QDialog(parent), cfg_(cfg), baseMesg_(baseMesg) {
  setObjectName("TFormSendComm");
  setWindowTitle(QString::fromUtf8("Quor - ジュピターコマンド"));

  RadioGroupCommand = new RadioGroup(
      this, "RadioGroupCommand", "コマンド一覧",
      {"NMEA-0183ﾓｰﾄﾞ", "ﾊﾞｲﾅﾘｰﾌｫｰﾏｯﾄ", "ﾎﾟｼﾞｼｮﾝ ﾋﾟﾆﾝｸﾞ設定", "ﾎﾟｼﾞｼｮﾝ ﾋﾟﾆﾝｸﾞ解除", "WGS-84系",
       "日本測地系", "その他の測地系", "NMEAｾﾝﾃﾝｽ選択"},
      kJupiterToNmea);
  EditMapDatum = DatumEdit(this, 3);
  GroupBoxNmea = new QGroupBox(QString::fromUtf8("NMEAｾﾝﾃﾝｽ"), this);
  GroupBoxNmea->setObjectName("GroupBoxNmea");
  auto* nmea = new QGridLayout(GroupBoxNmea);
  CheckBoxGGA = Box(GroupBoxNmea, "CheckBoxGGA", "GGA");
  CheckBoxRMC = Box(GroupBoxNmea, "CheckBoxRMC", "RMC");
  CheckBoxGSA = Box(GroupBoxNmea, "CheckBoxGSA", "GSA");
  CheckBoxGSV = Box(GroupBoxNmea, "CheckBoxGSV", "GSV");
  nmea->addWidget(CheckBoxGGA, 0, 0);
  nmea->addWidget(CheckBoxRMC, 0, 1);
  nmea->addWidget(CheckBoxGSA, 1, 0);
  nmea->addWidget(CheckBoxGSV, 1, 1);
  const CommandDialogParts parts(this);
  ButtonSend = parts.send;
  ButtonCancel = parts.cancel;
  StatusBar = parts.status;

  auto* datum = DatumRow(this, EditMapDatum);
  datum->addStretch();
  auto* side = new QVBoxLayout;
  side->addLayout(datum);
  side->addWidget(GroupBoxNmea);
  side->addStretch();
  side->addWidget(ButtonSend);
  side->addWidget(ButtonCancel);
  auto* top = new QHBoxLayout;
  top->addWidget(RadioGroupCommand);
  top->addLayout(side);
  LayOutCommandDialog(this, top, StatusBar);

  connect(&RadioGroupCommand->Buttons(), &QButtonGroup::idClicked, this,
          &TFormSendComm::RadioGroupCommandClick);
  connect(ButtonSend, &QPushButton::clicked, this, &TFormSendComm::ButtonSendClick);
}

void TFormSendComm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  CheckBoxGGA->setChecked(cfg_.SentenceEnabled[ReceiverConfig::kGga]);
  CheckBoxRMC->setChecked(cfg_.SentenceEnabled[ReceiverConfig::kRmc]);
  CheckBoxGSA->setChecked(cfg_.SentenceEnabled[ReceiverConfig::kGsa]);
  CheckBoxGSV->setChecked(cfg_.SentenceEnabled[ReceiverConfig::kGsv]);
  RadioGroupCommandClick();
}

void TFormSendComm::RadioGroupCommandClick() {
  const int item = RadioGroupCommand->ItemIndex();
  StatusBar->showMessage(QString::fromUtf8(JupiterHint(item, cfg_.NmeaMode).c_str()));
  EditMapDatum->setEnabled(JupiterDatumEditEnabled(item));
  GroupBoxNmea->setEnabled(JupiterSentenceBoxesEnabled(item, cfg_.NmeaMode));
}

JupiterChoice TFormSendComm::CurrentChoice() const {
  JupiterChoice c;
  c.item = RadioGroupCommand->ItemIndex();
  c.gga = CheckBoxGGA->isChecked();
  c.rmc = CheckBoxRMC->isChecked();
  c.gsa = CheckBoxGSA->isChecked();
  c.gsv = CheckBoxGSV->isChecked();
  return c;
}

void TFormSendComm::ButtonSendClick() {
  JupiterChoice c = CurrentChoice();
  const InputCheck check =
      CheckJupiterInput(c, EditMapDatum->text().toStdString(), cfg_.NmeaMode, baseMesg_);
  if (!check.Passed()) {
    StatusBar->showMessage(QString::fromUtf8(check.fault.c_str()));
    if (check.focusDatum) EditMapDatum->setFocus();
    return;
  }
  c.datum = check.datum;
  choice_ = c;
  accept();
}
