#include "ui/tformetccomm.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTextDocument>
#include <QVBoxLayout>

#include "app/app.h"
#include "app/test_dialog_actions.h"
#include "commands/test_dialog_handlers.h"
#include "ui/dialog_parts.h"

namespace {

// A sentence as long as the receivers send, to size the list by.
constexpr char kWidestRow[] =
    "$GPGGA,235959.000,3539.4880,N,13944.4800,E,1,12,0.9,1234.5,M,39.4,M,,0000*4E";

// A row as shown: the line end the received text keeps is not drawn.
QString RowText(const std::string& row) {
  QString text = QString::fromStdString(row);
  while (text.endsWith('\r') || text.endsWith('\n')) text.chop(1);
  return text;
}

}  // namespace

TFormEtcComm::TFormEtcComm(App& app, QWidget* parent) : QDialog(parent), app_(app) {
  setObjectName("TFormEtcComm");
  setWindowTitle(QString::fromUtf8("Quor - テストダイアログ"));
  BuildControls();
  Refresh();
}

TestDialogModel& TFormEtcComm::Model() {
  TestDialogModel* m = app_.TestDialog();
  return m ? *m : detached_;
}

void TFormEtcComm::BuildControls() {
  const TestDialogModel& m = Model();

  ListBoxMesg = new QListWidget(this);
  ListBoxMesg->setObjectName("ListBoxMesg");
  ListBoxMesg->setSelectionMode(QAbstractItemView::SingleSelection);
  // A row longer than the list is scrolled to, not cut: each row is as wide
  // as its text, and the list scrolls sideways by the pixel.
  ListBoxMesg->setTextElideMode(Qt::ElideNone);
  ListBoxMesg->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  ListBoxMesg->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  ListBoxMesg->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  {
    QPalette greyed = ListBoxMesg->palette();
    greyed.setColor(QPalette::Base, greyed.color(QPalette::Window));
    ListBoxMesg->setPalette(greyed);
    // Room for the longest sentence and for every row the list may hold.
    const QFontMetrics fm(ListBoxMesg->font());
    const int frame = 2 * ListBoxMesg->frameWidth();
    const int scrollBar = ListBoxMesg->horizontalScrollBar()->sizeHint().height();
    ListBoxMesg->setFixedSize(
        fm.horizontalAdvance(QString::fromUtf8(kWidestRow)) + frame + 12,
        static_cast<int>(TestDialogModel::kMaxRows) * (fm.height() + 2) + frame + scrollBar + 4);
  }

  RadioGroupMode = new QGroupBox(QString::fromUtf8("表示情報"), this);
  RadioGroupMode->setObjectName("RadioGroupMode");
  modeButtons_ = new QButtonGroup(RadioGroupMode);
  auto* modes = new QHBoxLayout(RadioGroupMode);  // three columns
  const char* const kModes[] = {"センテンス", "PPS間隔", "位置統計"};
  for (int i = 0; i < 3; ++i) {
    auto* b = new QRadioButton(QString::fromUtf8(kModes[i]), RadioGroupMode);
    b->setObjectName(QString("RadioGroupModeItem%1").arg(i));
    modeButtons_->addButton(b, i);
    modes->addWidget(b);
  }
  modeButtons_->button(m.RadioGroupMode)->setChecked(true);

  ButtonPause = DialogButton(this, "ButtonPause", "表示開始");
  ButtonClear = DialogButton(this, "ButtonClear", "クリア");
  CheckBoxToLogFile = MakeCheckBox(this, "CheckBoxToLogFile", "センテンスをログに出力",
                                   m.CheckBoxToLogFile);
  LabelCommand = MakeLabel(this, "コマンド", "LabelCommand");
  EditCommand = new QLineEdit(QString::fromStdString(m.EditCommand), this);
  EditCommand->setObjectName("EditCommand");
  EditCommand->setMaxLength(static_cast<int>(TestDialogModel::kMaxCommandLength));
  LabelCommand->setBuddy(EditCommand);
  CheckBoxCrLf = MakeCheckBox(this, "CheckBoxCrLf", "コマンドに改行コード付加", m.CheckBoxCrLf);
  CheckBoxAutoSync =
      MakeCheckBox(this, "CheckBoxAutoSync", "クライアントとしても動作", m.CheckBoxAutoSync);
  ButtonLogOut = DialogButton(this, "ButtonLogOut", "ログ出力");
  ButtonSyncServ = DialogButton(this, "ButtonSyncServ", "ｻｰﾊﾞと同期");
  ButtonSendComm = DialogButton(this, "ButtonSendComm", "ｺﾏﾝﾄﾞ送信");
  ButtonCancel = DialogButton(this, "ButtonCancel", "閉じる");
  for (QPushButton* b :
       {ButtonPause, ButtonClear, ButtonLogOut, ButtonSyncServ, ButtonSendComm, ButtonCancel}) {
    b->setAutoDefault(false);
  }
  LabelChecksum = MakeLabel(this, "", "LabelChecksum");
  StatusBar = DialogStatusBar(this);

  // The controls under the list; the buttons stand in the two right columns.
  auto* grid = new QGridLayout;
  grid->addWidget(RadioGroupMode, 0, 0, 1, 2);
  grid->addWidget(ButtonPause, 0, 2, Qt::AlignBottom);
  grid->addWidget(ButtonClear, 0, 3, Qt::AlignBottom);
  grid->addWidget(CheckBoxToLogFile, 1, 0);
  grid->addWidget(CheckBoxAutoSync, 1, 1);
  grid->addWidget(ButtonLogOut, 1, 2);
  grid->addWidget(ButtonSyncServ, 1, 3);
  auto* command = new QHBoxLayout;
  command->addWidget(LabelCommand);
  command->addWidget(EditCommand, 1);
  grid->addLayout(command, 2, 0, 1, 2);
  grid->addWidget(ButtonSendComm, 2, 3);
  grid->addWidget(CheckBoxCrLf, 3, 0);
  grid->addWidget(LabelChecksum, 3, 1);
  grid->addWidget(ButtonCancel, 3, 3);
  grid->setColumnStretch(1, 1);

  auto* root = new QVBoxLayout(this);
  root->addWidget(ListBoxMesg);
  root->addLayout(grid);
  root->addWidget(StatusBar);
  root->setSizeConstraint(QLayout::SetFixedSize);  // fixed border

  connect(ButtonPause, &QPushButton::clicked, this, &TFormEtcComm::ButtonPauseClick);
  connect(ButtonClear, &QPushButton::clicked, this, &TFormEtcComm::ButtonClearClick);
  connect(ButtonLogOut, &QPushButton::clicked, this, &TFormEtcComm::ButtonLogOutClick);
  connect(ButtonSendComm, &QPushButton::clicked, this, &TFormEtcComm::ButtonSendCommClick);
  // Enter in the command field sends, as the button does.
  connect(EditCommand, &QLineEdit::returnPressed, this, &TFormEtcComm::ButtonSendCommClick);
  connect(ButtonSyncServ, &QPushButton::clicked, this, &TFormEtcComm::ButtonSyncServClick);
  connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(CheckBoxAutoSync, &QCheckBox::clicked, this, &TFormEtcComm::CheckBoxAutoSyncClick);
  connect(CheckBoxToLogFile, &QCheckBox::toggled, this,
          [this](bool on) { Model().CheckBoxToLogFile = on; });
  connect(CheckBoxCrLf, &QCheckBox::toggled, this, [this](bool on) { Model().CheckBoxCrLf = on; });
  connect(modeButtons_, &QButtonGroup::idClicked, this,
          [this](int id) { etccomm::RadioGroupModeClick(Model(), id); });
  connect(EditCommand, &QLineEdit::textChanged, this, [this](const QString& text) {
    etccomm::EditCommandChange(Model(), text.toStdString());
  });
}

void TFormEtcComm::Refresh() {
  const TestDialogModel& m = Model();
  ButtonPause->setText(QString::fromStdString(m.ButtonPauseCaption));
  ButtonSyncServ->setEnabled(m.ButtonSyncServEnabled);
  if (CheckBoxAutoSync->isChecked() != m.CheckBoxAutoSync) {
    CheckBoxAutoSync->setChecked(m.CheckBoxAutoSync);
  }
  const QString status = QString::fromStdString(m.StatusBar);
  if (StatusBar->currentMessage() != status) StatusBar->showMessage(status);
  LabelChecksum->setText(QString::fromStdString(etccomm::LabelChecksumText(app_)));
  RefreshRows();
}

void TFormEtcComm::RefreshRows() {
  const TestDialogModel& m = Model();
  if (rowsShown_ && m.Revision == shownRevision_) return;
  rowsShown_ = true;
  shownRevision_ = m.Revision;
  ListBoxMesg->clear();
  for (const std::string& row : m.ListBoxMesg) {
    auto* item = new QListWidgetItem(RowText(row), ListBoxMesg);
    // The whole row again as its tooltip, escaped so received text is never
    // drawn as markup.
    item->setToolTip(Qt::convertFromPlainText(item->text(), Qt::WhiteSpaceNoWrap));
  }
  ListBoxMesg->scrollToBottom();
}

void TFormEtcComm::showEvent(QShowEvent* event) {
  etccomm::FormShow(Model());
  Refresh();
  QDialog::showEvent(event);
  EditCommand->setFocus();  // the one field to type in
}

void TFormEtcComm::done(int result) {
  etccomm::FormClose(Model());
  QDialog::done(result);
}

void TFormEtcComm::ButtonPauseClick() {
  etccomm::ButtonPauseClick(Model());
  Refresh();
}

void TFormEtcComm::ButtonClearClick() {
  etccomm::ButtonClearClick(Model());
  Refresh();
}

void TFormEtcComm::ButtonLogOutClick() {
  etccomm::ButtonLogOutClick(Model(), app_);
  Refresh();
}

void TFormEtcComm::ButtonSendCommClick() {
  if (etccomm::ButtonSendCommClick(app_) == etccomm::SendCommOutcome::kEmpty) {
    EditCommand->setFocus();
  }
  Refresh();
}

void TFormEtcComm::ButtonSyncServClick() {
  etccomm::ButtonSyncServClick(app_);
  Refresh();
}

void TFormEtcComm::CheckBoxAutoSyncClick(bool checked) {
  etccomm::CheckBoxAutoSyncClick(Model(), checked);
  Refresh();
}
