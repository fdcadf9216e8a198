#include "ui/tformsetparm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

#include "app/app.h"
#include "ui/dialog_parts.h"
#include "ui/spin_button.h"
#include "ui/trs232setup.h"

namespace {

QComboBox* MakeList(QWidget* parent, const char* name, std::initializer_list<const char*> items) {
  auto* c = new QComboBox(parent);
  c->setObjectName(name);
  for (const char* item : items) c->addItem(QString::fromUtf8(item));
  return c;
}

// A spin edit's text box and arrows side by side, the arrows wired to the
// two handlers.
template <typename Up, typename Down>
QHBoxLayout* SpinRow(TFormSetParm* form, QLineEdit* edit, const SpinButton& spin, Up up, Down down) {
  QObject::connect(spin.up, &QToolButton::clicked, form, up);
  QObject::connect(spin.down, &QToolButton::clicked, form, down);
  auto* row = new QHBoxLayout;
  row->setSpacing(2);
  row->addWidget(edit);
  row->addWidget(spin.widget);
  return row;
}

}  // namespace

TFormSetParm::TFormSetParm(App& app, QWidget* parent)
    : QDialog(parent),
      app_(app),
      // Without a network there is no own address to show.
      model_(app.settings, app.NetworkAvailable ? app.OwnIpAddress : std::string(),
             app.OwnServerAddresses()) {
  setObjectName("TFormSetParm");
  setWindowTitle(QString::fromUtf8("Quor - 条件設定"));
  BuildControls();
}

TFormSetParm::~TFormSetParm() = default;

void TFormSetParm::BuildControls() {
  // Receiver and line.
  auto* lineBox = new QGroupBox(this);
  auto* lg = new QGridLayout(lineBox);
  ComboBoxPort = MakeList(lineBox, "ComboBoxPort", {"ﾎﾟｰﾄ1", "ﾎﾟｰﾄ2", "ﾎﾟｰﾄ3", "ﾎﾟｰﾄ4", "ﾈｯﾄﾜｰｸ"});
  ComboBoxReceiver = MakeList(lineBox, "ComboBoxReceiver",
                              {"Ｊｕｐｉｔｅｒ", "GT-77", "CCA-370H", "Garmin std", "その他"});
  ButtonCommParm = DialogButton(lineBox, "ButtonCommParm", "通信条件...");
  ButtonCommParm->setAutoDefault(false);
  lg->addWidget(MakeLabel(lineBox, "接続先"), 0, 0);
  lg->addWidget(ComboBoxPort, 0, 1);
  lg->addWidget(MakeLabel(lineBox, "受信機"), 1, 0);
  lg->addWidget(ComboBoxReceiver, 1, 1);
  lg->addWidget(ButtonCommParm, 2, 1);

  RadioGroupBaseMesg = new RadioGroup(this, "RadioGroupBaseMesg", "基準センテンス", {"ＧＧＡ", "ＲＭＣ"}, 0);
  RadioGroupAutoAdjust = new RadioGroup(this, "RadioGroupAutoAdjust", "自動校正", {"しない", "す　る"}, 1);
  RadioGroupBeepCond = new RadioGroup(this, "RadioGroupBeepCond", "Ｂｅｅｐ音条件",
                                      {"鳴らさない", "毎　秒", "通信不安定"}, 2);
  RadioGroupLanOpt = new RadioGroup(this, "RadioGroupLanOpt", "ﾌﾟﾛﾄｺﾙ", {"Quor", "SNTP"}, 1);

  // Time offsets.
  auto* timeBox = new QGroupBox(this);
  auto* tg = new QGridLayout(timeBox);
  EditTimeZone = SpinEdit(timeBox, "EditTimeZone");
  EditdSec = SpinEdit(timeBox, "EditdSec");
  EditSyncParm = SpinEdit(timeBox, "EditSyncParm");
  const SpinButton tz = MakeSpinButton(timeBox, "CSpinButtonTimeZone");
  const SpinButton ds = MakeSpinButton(timeBox, "CSpinButtondSec");
  const SpinButton sp = MakeSpinButton(timeBox, "CSpinButtonSyncParm");
  CSpinButtonTimeZone = tz.widget;
  CSpinButtondSec = ds.widget;
  CSpinButtonSyncParm = sp.widget;
  tg->addWidget(MakeLabel(timeBox, "時差（時）"), 0, 0);
  tg->addLayout(SpinRow(this, EditTimeZone, tz, &TFormSetParm::CSpinButtonTimeZoneUpClick,
                        &TFormSetParm::CSpinButtonTimeZoneDownClick), 0, 1);
  tg->addWidget(MakeLabel(timeBox, "秒補正"), 1, 0);
  tg->addLayout(SpinRow(this, EditdSec, ds, &TFormSetParm::CSpinButtondSecUpClick,
                        &TFormSetParm::CSpinButtondSecDownClick), 1, 1);
  tg->addWidget(MakeLabel(timeBox, "同期調整"), 2, 0);
  tg->addLayout(SpinRow(this, EditSyncParm, sp, &TFormSetParm::CSpinButtonSyncParmUpClick,
                        &TFormSetParm::CSpinButtonSyncParmDownClick), 2, 1);

  // Logging and the store.
  auto* storeBox = new QGroupBox(this);
  auto* sg = new QVBoxLayout(storeBox);
  CheckBoxLogOut = MakeCheckBox(storeBox, "CheckBoxLogOut", "ログを出力");
  CheckBoxLogRequests = MakeCheckBox(storeBox, "CheckBoxLogRequests", "要求ごとに記録");
  CheckBoxAddregistory = MakeCheckBox(storeBox, "CheckBoxAddregistory", "ｼｽﾃﾑに保存");
  ButtonDelRegistory = DialogButton(storeBox, "ButtonDelRegistory", "ｼｽﾃﾑから削除");
  ButtonDelRegistory->setAutoDefault(false);
  sg->addWidget(CheckBoxLogOut);
  sg->addWidget(CheckBoxLogRequests);
  sg->addWidget(CheckBoxAddregistory);
  sg->addWidget(ButtonDelRegistory);

  // The network client.
  auto* sntpBox = new QGroupBox(QString::fromUtf8("SNTP環境"), this);
  sntpBox->setObjectName("GroupBoxSntp");
  auto* ng = new QGridLayout(sntpBox);
  ComboBoxServerIpAddr = new QComboBox(sntpBox);
  ComboBoxServerIpAddr->setObjectName("ComboBoxServerIpAddr");
  ComboBoxServerIpAddr->setEditable(true);
  ComboBoxServerIpAddr->setInsertPolicy(QComboBox::NoInsert);
  for (const char* name : kPresetServers) ComboBoxServerIpAddr->addItem(name);
  ComboBoxServerIpAddr->setMinimumWidth(200);
  EditMyIpAddr = new QLineEdit(sntpBox);
  EditMyIpAddr->setObjectName("EditMyIpAddr");
  EditMyIpAddr->setReadOnly(true);
  EditNtpIntv = SpinEdit(sntpBox, "EditNtpIntv");
  const SpinButton ni = MakeSpinButton(sntpBox, "CSpinButtonNtpIntv");
  CSpinButtonNtpIntv = ni.widget;
  auto* intervalRow = SpinRow(this, EditNtpIntv, ni, &TFormSetParm::CSpinButtonNtpIntvUpClick,
                              &TFormSetParm::CSpinButtonNtpIntvDownClick);
  intervalRow->addWidget(MakeLabel(sntpBox, "分"));
  intervalRow->addStretch();
  ng->addWidget(MakeLabel(sntpBox, "サーバ"), 0, 0);
  ng->addWidget(ComboBoxServerIpAddr, 0, 1, 1, 2);
  ng->addWidget(MakeLabel(sntpBox, "自ｱﾄﾞﾚｽ"), 1, 0);
  ng->addWidget(EditMyIpAddr, 1, 1, 1, 2);
  ng->addWidget(MakeLabel(sntpBox, "接続間隔"), 2, 0);
  ng->addLayout(intervalRow, 2, 1);
  ng->addWidget(RadioGroupLanOpt, 0, 3, 3, 1);
  CheckBoxServeLocalClock =
      MakeCheckBox(sntpBox, "CheckBoxServeLocalClock", "時刻源がなくてもPCの時計を配信(Stratum 10)");
  ng->addWidget(CheckBoxServeLocalClock, 3, 0, 1, 4);
  EditKeyFile = new QLineEdit(sntpBox);
  EditKeyFile->setObjectName("EditKeyFile");
  EditKeyFile->setPlaceholderText(QString::fromUtf8("なし(所有者だけが読めるファイル)"));
  EditServerKey = new QLineEdit(sntpBox);
  EditServerKey->setObjectName("EditServerKey");
  EditServerKey->setMaximumWidth(110);
  ng->addWidget(MakeLabel(sntpBox, "鍵ﾌｧｲﾙ"), 6, 0);
  ng->addWidget(EditKeyFile, 6, 1, 1, 2);
  auto* keyRow = new QHBoxLayout;
  keyRow->addWidget(MakeLabel(sntpBox, "ｻｰﾊﾞの鍵番号"));
  keyRow->addWidget(EditServerKey);
  keyRow->addStretch();
  ng->addLayout(keyRow, 6, 3);
  // Who may ask: the own protocol by LanAccess, SNTP by the allow list.
  ComboBoxLanAccess = MakeList(sntpBox, "ComboBoxLanAccess",
                               {"自ﾈｯﾄﾜｰｸ・ﾌﾟﾗｲﾍﾞｰﾄ", "全て", "応答しない"});
  EditNtpAllow = new QLineEdit(sntpBox);
  EditNtpAllow->setObjectName("EditNtpAllow");
  EditNtpAllow->setPlaceholderText(QString::fromUtf8("空欄: 全て (例 192.168.0.0/16 fd00::/8)"));
  ng->addWidget(MakeLabel(sntpBox, "Quor応答先"), 4, 0);
  ng->addWidget(ComboBoxLanAccess, 4, 1, 1, 2);
  ng->addWidget(MakeLabel(sntpBox, "SNTP応答先"), 5, 0);
  ng->addWidget(EditNtpAllow, 5, 1, 1, 3);

  ButtonSet = DialogButton(this, "ButtonSet", "設定");
  ButtonSet->setDefault(true);
  ButtonCancel = DialogButton(this, "ButtonCancel", "取消");
  ButtonCancel->setAutoDefault(false);
  StatusBar = DialogStatusBar(this);

  auto* left = new QVBoxLayout;
  left->addWidget(lineBox);
  left->addWidget(RadioGroupBaseMesg);
  left->addStretch();
  auto* middle = new QVBoxLayout;
  middle->addWidget(timeBox);
  middle->addWidget(RadioGroupAutoAdjust);
  CheckBoxFreqAdjust = MakeCheckBox(this, "CheckBoxFreqAdjust", "周波数補正");
  middle->addWidget(CheckBoxFreqAdjust);
  middle->addStretch();
  auto* right = new QVBoxLayout;
  right->addWidget(RadioGroupBeepCond);
  right->addWidget(storeBox);
  right->addStretch();
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(ButtonSet);
  buttons->addWidget(ButtonCancel);
  buttons->addStretch();
  auto* top = new QHBoxLayout;
  top->addLayout(left);
  top->addLayout(middle);
  top->addLayout(right);
  top->addLayout(buttons);
  auto* root = new QVBoxLayout(this);
  root->addLayout(top);
  root->addWidget(sntpBox);
  root->addWidget(StatusBar);
  root->setSizeConstraint(QLayout::SetFixedSize);

  connect(ComboBoxPort, &QComboBox::activated, this, &TFormSetParm::ComboBoxPortChange);
  connect(ComboBoxReceiver, &QComboBox::activated, this, &TFormSetParm::ComboBoxReceiverChange);
  connect(ButtonCommParm, &QPushButton::clicked, this, &TFormSetParm::ButtonCommParmClick);
  connect(&RadioGroupAutoAdjust->Buttons(), &QButtonGroup::idClicked, this,
          &TFormSetParm::RadioGroupAutoAdjustClick);
  connect(&RadioGroupBaseMesg->Buttons(), &QButtonGroup::idClicked, this,
          &TFormSetParm::RadioGroupAutoAdjustClick);
  connect(ButtonSet, &QPushButton::clicked, this, &TFormSetParm::ButtonSetClick);
  connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(ButtonDelRegistory, &QPushButton::clicked, this, &TFormSetParm::ButtonDelRegistoryClick);
}

void TFormSetParm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  model_.FormShow();
  Refresh();
}

void TFormSetParm::Collect() {
  SettingsDialog& m = model_;
  m.ComboBoxPort = ComboBoxPort->currentIndex();
  m.ComboBoxReceiver = ComboBoxReceiver->currentIndex();
  m.RadioGroupBaseMesg = RadioGroupBaseMesg->ItemIndex();
  m.RadioGroupAutoAdjust = RadioGroupAutoAdjust->ItemIndex();
  m.RadioGroupBeepCond = RadioGroupBeepCond->ItemIndex();
  m.RadioGroupLanOpt = RadioGroupLanOpt->ItemIndex();
  m.CheckBoxLogOut = CheckBoxLogOut->isChecked();
  m.CheckBoxServeLocalClock = CheckBoxServeLocalClock->isChecked();
  m.CheckBoxFreqAdjust = CheckBoxFreqAdjust->isChecked();
  m.CheckBoxLogRequests = CheckBoxLogRequests->isChecked();
  m.ComboBoxLanAccess = ComboBoxLanAccess->currentIndex();
  m.EditNtpAllow = EditNtpAllow->text().toStdString();
  m.CheckBoxAddregistory = CheckBoxAddregistory->isChecked();
  m.ComboBoxServerIpAddr = ComboBoxServerIpAddr->currentText().toStdString();
  m.EditKeyFile = EditKeyFile->text().toStdString();
  m.EditServerKey = EditServerKey->text().toStdString();
}

void TFormSetParm::Refresh() {
  const SettingsDialog& m = model_;
  ComboBoxPort->setCurrentIndex(m.ComboBoxPort);
  ComboBoxReceiver->setCurrentIndex(m.ComboBoxReceiver);
  RadioGroupBaseMesg->SetItemIndex(m.RadioGroupBaseMesg);
  RadioGroupAutoAdjust->SetItemIndex(m.RadioGroupAutoAdjust);
  RadioGroupBeepCond->SetItemIndex(m.RadioGroupBeepCond);
  RadioGroupLanOpt->SetItemIndex(m.RadioGroupLanOpt);
  CheckBoxLogOut->setChecked(m.CheckBoxLogOut);
  CheckBoxServeLocalClock->setChecked(m.CheckBoxServeLocalClock);
  CheckBoxFreqAdjust->setChecked(m.CheckBoxFreqAdjust);
  CheckBoxLogRequests->setChecked(m.CheckBoxLogRequests);
  ComboBoxLanAccess->setCurrentIndex(m.ComboBoxLanAccess);
  SetText(EditNtpAllow, m.EditNtpAllow);
  CheckBoxAddregistory->setChecked(m.CheckBoxAddregistory);
  const QString server = QString::fromStdString(m.ComboBoxServerIpAddr);
  if (ComboBoxServerIpAddr->currentText() != server) ComboBoxServerIpAddr->setEditText(server);
  SetText(EditMyIpAddr, m.EditMyIpAddr);
  SetText(EditKeyFile, m.EditKeyFile);
  SetText(EditServerKey, m.EditServerKey);
  SetText(EditTimeZone, m.EditTimeZone);
  SetText(EditdSec, m.EditdSec);
  SetText(EditSyncParm, m.EditSyncParm);
  SetText(EditNtpIntv, m.EditNtpIntv);

  EditdSec->setEnabled(m.EditdSecEnabled);
  CSpinButtondSec->setEnabled(m.CSpinButtondSecEnabled);
  ButtonCommParm->setEnabled(m.ButtonCommParmEnabled);
  RadioGroupBaseMesg->setEnabled(m.RadioGroupBaseMesgEnabled);
  RadioGroupAutoAdjust->setEnabled(m.RadioGroupAutoAdjustEnabled);
  RadioGroupBeepCond->setEnabled(m.RadioGroupBeepCondEnabled);
  ComboBoxReceiver->setEnabled(m.ComboBoxReceiverEnabled);
  const QString status = QString::fromStdString(m.StatusBar);
  if (StatusBar->currentMessage() != status) StatusBar->showMessage(status);
}

void TFormSetParm::ComboBoxPortChange(int item) {
  Collect();
  model_.ComboBoxPortChange(item);
  Refresh();
}

void TFormSetParm::ComboBoxReceiverChange(int item) {
  Collect();
  model_.ComboBoxReceiverChange(item);
  Refresh();
}

void TFormSetParm::ButtonCommParmClick() {
  Collect();
  TRs232Setup dialog(app_.settings.serial, this);
  if (dialog.exec() == QDialog::Accepted) model_.ButtonCommParmDone(dialog.Params());
  Refresh();
}

#define FORWARD_CLICK(handler) \
  void TFormSetParm::handler() { \
    Collect();                     \
    model_.handler();              \
    Refresh();                     \
  }
FORWARD_CLICK(CSpinButtonTimeZoneUpClick)
FORWARD_CLICK(CSpinButtonTimeZoneDownClick)
FORWARD_CLICK(CSpinButtondSecUpClick)
FORWARD_CLICK(CSpinButtondSecDownClick)
FORWARD_CLICK(CSpinButtonSyncParmUpClick)
FORWARD_CLICK(CSpinButtonSyncParmDownClick)
FORWARD_CLICK(CSpinButtonNtpIntvUpClick)
FORWARD_CLICK(CSpinButtonNtpIntvDownClick)
FORWARD_CLICK(RadioGroupAutoAdjustClick)
#undef FORWARD_CLICK

void TFormSetParm::ButtonSetClick() {
  Collect();
  if (model_.ButtonSetClick(app_.platform.settingsStore, app_.platform.messageBoxes)) {
    accept();
    return;
  }
  Refresh();
  if (model_.ServerAddrFault) ComboBoxServerIpAddr->setFocus();
  if (model_.ServerKeyFault) EditServerKey->setFocus();
}

void TFormSetParm::ButtonDelRegistoryClick() {
  Collect();
  model_.ButtonDelRegistoryClick(app_.platform.settingsStore, app_.platform.messageBoxes);
  Refresh();
}
