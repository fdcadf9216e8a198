#include "ui/tformccacomm.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

#include "ui/dialog_parts.h"

TFormCcaComm::TFormCcaComm(QWidget* parent) : QDialog(parent) {
  setObjectName("TFormCcaComm");
  setWindowTitle(QString::fromUtf8("Quor - CCA-370Hコマンド"));
  RadioGroupCommand =
      new RadioGroup(this, "RadioGroupCommand", "コマンド一覧",
                     {"リセット", "TMM出力指定", "WGS-84系", "日本測地系", "その他の測地系"}, 0);
  EditMapDatum = DatumEdit(this, 2);
  const CommandDialogParts parts(this);
  ButtonSend = parts.send;
  ButtonCancel = parts.cancel;
  StatusBar = parts.status;

  auto* datum = DatumRow(this, EditMapDatum);
  auto* side = new QVBoxLayout;
  side->addLayout(datum);
  side->addStretch();
  side->addWidget(ButtonSend);
  side->addWidget(ButtonCancel);
  auto* top = new QHBoxLayout;
  top->addWidget(RadioGroupCommand);
  top->addLayout(side);
  LayOutCommandDialog(this, top, StatusBar);

  connect(ButtonSend, &QPushButton::clicked, this, &TFormCcaComm::ButtonSendClick);
}

void TFormCcaComm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  StatusBar->clearMessage();
}

void TFormCcaComm::ButtonSendClick() {
  CcaChoice c;
  c.item = RadioGroupCommand->ItemIndex();
  const InputCheck check = CheckCcaInput(c, EditMapDatum->text().toStdString());
  if (!check.Passed()) {
    StatusBar->showMessage(QString::fromUtf8(check.fault.c_str()));
    if (check.focusDatum) EditMapDatum->setFocus();
    return;
  }
  c.datum = check.datum;
  choice_ = c;
  accept();
}
