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
  EditMapDatum = new QLineEdit(this);
  EditMapDatum->setObjectName("EditMapDatum");
  EditMapDatum->setMaxLength(2);
  EditMapDatum->setFixedWidth(40);
  ButtonSend = DialogButton(this, "ButtonSend", "送信");
  ButtonSend->setDefault(true);
  ButtonCancel = DialogButton(this, "ButtonCancel", "取消");
  StatusBar = DialogStatusBar(this);

  auto* datum = new QHBoxLayout;
  datum->addWidget(new QLabel(QString::fromUtf8("測地系ｺｰﾄﾞ"), this));
  datum->addWidget(EditMapDatum);
  auto* side = new QVBoxLayout;
  side->addLayout(datum);
  side->addStretch();
  side->addWidget(ButtonSend);
  side->addWidget(ButtonCancel);
  auto* top = new QHBoxLayout;
  top->addWidget(RadioGroupCommand);
  top->addLayout(side);
  auto* root = new QVBoxLayout(this);
  root->addLayout(top);
  root->addWidget(StatusBar);
  root->setSizeConstraint(QLayout::SetFixedSize);

  connect(ButtonSend, &QPushButton::clicked, this, &TFormCcaComm::ButtonSendClick);
  connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
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
