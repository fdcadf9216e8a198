#include "ui/trs232setup.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/dialog_parts.h"

namespace {

template <size_t N>
QComboBox* MakeList(QWidget* parent, const char* name, const std::array<const char*, N>& items) {
  auto* c = new QComboBox(parent);
  c->setObjectName(name);
  for (const char* item : items) c->addItem(QString::fromUtf8(item));
  return c;
}

}  // namespace

TRs232Setup::TRs232Setup(const SerialParams& running, QWidget* parent)
    : QDialog(parent), running_(running) {
  setObjectName("TRs232Setup");
  setWindowTitle(QString::fromUtf8("Quor - 通信条件の設定"));

  auto* group = new QGroupBox(QString::fromUtf8(" COMMポート設定 "), this);
  group->setObjectName("GroupBox1");
  BaudRateComboBox = MakeList(group, "BaudRateComboBox", SerialSetupDialog::kBaudRateItems);
  DataBitsComboBox = MakeList(group, "DataBitsComboBox", SerialSetupDialog::kDataBitsItems);
  parityComboBox = MakeList(group, "parityComboBox", SerialSetupDialog::kParityItems);
  StopBitsComboBox = MakeList(group, "StopBitsComboBox", SerialSetupDialog::kStopBitsItems);
  FlowCtrlComboBox = MakeList(group, "FlowCtrlComboBox", SerialSetupDialog::kFlowCtrlItems);
  auto* grid = new QGridLayout(group);
  const std::pair<const char*, QComboBox*> rows[] = {
      {"通信速度", BaudRateComboBox}, {"ﾃﾞｰﾀ･ﾋﾞｯﾄ長", DataBitsComboBox},
      {"パリティ", parityComboBox},   {"ｽﾄｯﾌﾟ･ﾋﾞｯﾄ", StopBitsComboBox},
      {"ﾌﾛｰ制御 ", FlowCtrlComboBox}};
  int row = 0;
  for (const auto& [label, box] : rows) {
    grid->addWidget(MakeLabel(group, label), row, 0);
    grid->addWidget(box, row++, 1);
  }

  OKBtn = DialogButton(this, "OKBtn", "設定");
  OKBtn->setDefault(true);
  CancelBtn = DialogButton(this, "CancelBtn", "取消");
  CancelBtn->setAutoDefault(false);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(OKBtn);
  buttons->addWidget(CancelBtn);
  buttons->addStretch();

  auto* root = new QHBoxLayout(this);
  root->addWidget(group);
  root->addLayout(buttons);
  root->setSizeConstraint(QLayout::SetFixedSize);

  connect(OKBtn, &QPushButton::clicked, this, &TRs232Setup::OKBtnClick);
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

void TRs232Setup::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  const SerialSetupDialog::Items items = model_.FormShow(running_);
  BaudRateComboBox->setCurrentIndex(items.BaudRateComboBox);
  DataBitsComboBox->setCurrentIndex(items.DataBitsComboBox);
  parityComboBox->setCurrentIndex(items.parityComboBox);
  StopBitsComboBox->setCurrentIndex(items.StopBitsComboBox);
  FlowCtrlComboBox->setCurrentIndex(items.FlowCtrlComboBox);
}

void TRs232Setup::OKBtnClick() {
  model_.OKBtnClick({BaudRateComboBox->currentIndex(), DataBitsComboBox->currentIndex(),
                     parityComboBox->currentIndex(), StopBitsComboBox->currentIndex(),
                     FlowCtrlComboBox->currentIndex()});
  accept();
}
