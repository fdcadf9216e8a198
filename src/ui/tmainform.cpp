#include "ui/tmainform.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QVBoxLayout>
#include <algorithm>
#include <initializer_list>

#include "app/app.h"
#include "app/connection.h"
#include "app/receiver_commands.h"
#include "app/settings_apply.h"
#include "app/startup.h"
#include "app/report_time_button.h"
#include "commands/test_dialog_handlers.h"
#include "ui/dialog_parts.h"
#include "ui/product.h"
#include "ui/spin_button.h"
#include "ui/tformccacomm.h"
#include "ui/tformerrgraph.h"
#include "ui/tformetccomm.h"
#include "ui/tformgt77comm.h"
#include "ui/tformlog.h"
#include "ui/tformsendcomm.h"
#include "ui/tformsetparm.h"

namespace {

// The widest texts the fields show: times, the PC error in 10 ms units (a
// day is +8640000), coordinates as the position is shown, heights in metres.
constexpr char kWidestTime[] = "88:88:88";
constexpr char kWidestCoordinate[] = "888ﾟ88'88.8\"W";

// The style's frame around a line edit's text.
QStyleOptionFrame FrameOption(const QLineEdit* e) {
  QStyleOptionFrame opt;
  opt.initFrom(e);
  opt.lineWidth = e->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, e);
  opt.midLineWidth = 0;
  opt.state |= QStyle::State_Sunken | QStyle::State_ReadOnly;
  return opt;
}

// A read-only field just wide enough for the widest of `widest` in its font:
// the text, the caret's pixel, the font's overhangs and the line edit's own
// margin of 2 pixels a side, inside the style's frame.
QLineEdit* MakeEdit(QWidget* parent, const char* name, std::initializer_list<const char*> widest) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(name);
  e->setReadOnly(true);
  e->ensurePolished();
  const QFontMetrics fm(e->font());
  int text = 0;
  for (const char* t : widest) text = std::max(text, fm.horizontalAdvance(QString::fromUtf8(t)));
  const QMargins margins = e->textMargins();
  text += 1 + std::max(0, -fm.minLeftBearing()) + std::max(0, -fm.minRightBearing()) + 2 * 2 +
          margins.left() + margins.right();
  const QStyleOptionFrame opt = FrameOption(e);
  const QSize size =
      e->style()->sizeFromContents(QStyle::CT_LineEdit, &opt, QSize(text, fm.height()), e);
  e->setFixedWidth(size.width());
  return e;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* text) {
  auto* b = new QPushButton(QString::fromUtf8(text), parent);
  b->setObjectName(name);
  b->setAutoDefault(false);
  return b;
}

}  // namespace

TMainForm::TMainForm(App& app, QWidget* parent) : QDialog(parent), app_(app) {
  setObjectName("TMainForm");
  setWindowTitle(QString::fromUtf8(kMainCaption));
  BuildControls();
  formLog_ = new TFormLog(app_.log, this);
  FormCreate(app_);
  Refresh();
}

TMainForm::~TMainForm() {
  // The tick never outlives the window: FormDestroy stops it.
  FormDestroy(app_);
}

void TMainForm::BuildControls() {
  auto* root = new QVBoxLayout(this);

  auto* timeBox = new QGroupBox(QString::fromUtf8("時刻情報"), this);
  auto* tg = new QGridLayout(timeBox);
  LabelJst = MakeLabel(timeBox, "JST", "LabelJst");
  EditJst = MakeEdit(timeBox, "EditJst", {kWidestTime});
  EditUtc = MakeEdit(timeBox, "EditUtc", {kWidestTime});
  EditPcErr = MakeEdit(timeBox, "EditPcErr", {"+8888888", "-8888888"});
  ButtonSyncPC = MakeButton(timeBox, "ButtonSyncPC", "同期");
  EditdSS = MakeEdit(timeBox, "EditdSS", {"+100", "-100"});
  const SpinButton spin = MakeSpinButton(timeBox, "CSpinButtondSS");
  CSpinButtondSS = spin.widget;
  LabelPpsCtr = MakeLabel(timeBox, "", "LabelPpsCtr");
  tg->addWidget(LabelJst, 0, 0);
  tg->addWidget(EditJst, 0, 1);
  tg->addWidget(MakeLabel(timeBox, "UTC"), 1, 0);
  tg->addWidget(EditUtc, 1, 1);
  tg->addWidget(MakeLabel(timeBox, "PC誤差"), 2, 0);
  tg->addWidget(EditPcErr, 2, 1);
  tg->addWidget(MakeLabel(timeBox, "(10ﾐﾘ秒)"), 2, 2);
  tg->addWidget(ButtonSyncPC, 0, 2, 2, 1);
  tg->addWidget(MakeLabel(timeBox, "通信遅延"), 3, 0);
  tg->addWidget(EditdSS, 3, 1);
  auto* spinRow = new QHBoxLayout;
  spinRow->addWidget(CSpinButtondSS);
  spinRow->addWidget(LabelPpsCtr);
  spinRow->addStretch();
  tg->addLayout(spinRow, 3, 2);

  auto* posBox = new QGroupBox(QString::fromUtf8("位置情報"), this);
  auto* pg = new QGridLayout(posBox);
  EditStatus = MakeEdit(posBox, "EditStatus", {"8888"});
  EditLong = MakeEdit(posBox, "EditLong", {kWidestCoordinate});
  EditLat = MakeEdit(posBox, "EditLat", {kWidestCoordinate});
  EditAntena = MakeEdit(posBox, "EditAntena", {"-8888.8M", "88888.8M"});
  EditGeoid = MakeEdit(posBox, "EditGeoid", {"-888.8M"});
  EditNumSat = MakeEdit(posBox, "EditNumSat", {"8888"});
  EditNumMsg = MakeEdit(posBox, "EditNumMsg", {"8888"});
  LabelMapDatum = MakeLabel(posBox, "", "LabelMapDatum");
  ButtonServerInfo = MakeButton(posBox, "ButtonServerInfo", "ﾓﾆﾀｰ");
  ButtonServerInfo->setEnabled(false);
  pg->addWidget(MakeLabel(posBox, "状態"), 0, 0);
  pg->addWidget(EditStatus, 0, 1);
  pg->addWidget(MakeLabel(posBox, "衛星数"), 0, 2);
  pg->addWidget(EditNumSat, 0, 3);
  pg->addWidget(MakeLabel(posBox, "経度"), 1, 0);
  pg->addWidget(EditLong, 1, 1);
  pg->addWidget(MakeLabel(posBox, "ﾒｯｾｰｼﾞ数"), 1, 2);
  pg->addWidget(EditNumMsg, 1, 3);
  pg->addWidget(MakeLabel(posBox, "緯度"), 2, 0);
  pg->addWidget(EditLat, 2, 1);
  pg->addWidget(MakeLabel(posBox, "ｱﾝﾃﾅ高"), 3, 0);
  pg->addWidget(EditAntena, 3, 1);
  pg->addWidget(MakeLabel(posBox, "ｼﾞｵｲﾄﾞ高"), 3, 2);
  pg->addWidget(EditGeoid, 3, 3);
  pg->addWidget(LabelMapDatum, 4, 0, 1, 3);
  pg->addWidget(ButtonServerInfo, 4, 3);

  auto* opBox = new QGroupBox(QString::fromUtf8("操作パネル"), this);
  auto* og = new QHBoxLayout(opBox);
  ButtonTestDlg = MakeButton(opBox, "ButtonTestDlg", "ﾃｽﾄ...");
  ButtonSendComm = MakeButton(opBox, "ButtonSendComm", "ｺﾏﾝﾄﾞ...");
  ButtonParmSet = MakeButton(opBox, "ButtonParmSet", "設定...");
  ButtonToTaskTray = MakeButton(opBox, "ButtonToTaskTray", "ﾀｽｸﾄﾚｲへ");
  ButtonDispLog = MakeButton(opBox, "ButtonDispLog", "ﾛｸﾞを表示...");
  ButtonErrGraph = MakeButton(opBox, "ButtonErrGraph", "誤差ｸﾞﾗﾌ...");
  for (auto* b : {ButtonTestDlg, ButtonSendComm, ButtonParmSet, ButtonToTaskTray, ButtonDispLog,
                  ButtonErrGraph}) {
    og->addWidget(b);
  }

  ButtonConnect = MakeButton(this, "ButtonConnect", "接続(&G)");
  ButtonConnect->setDefault(true);
  ButtonEnd = MakeButton(this, "ButtonEnd", "終了(&Q)");
  ButtonReportTime = MakeButton(this, "ButtonReportTime", "報時(&R)");
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(ButtonConnect);
  buttons->addWidget(ButtonReportTime);
  buttons->addStretch();
  buttons->addWidget(ButtonEnd);

  StatusBar = new QStatusBar(this);
  StatusBar->setObjectName("StatusBar");
  StatusBar->setSizeGripEnabled(false);

  auto* top = new QHBoxLayout;
  top->addWidget(timeBox);
  top->addWidget(posBox);
  root->addLayout(top);
  root->addWidget(opBox);
  root->addLayout(buttons);
  root->addWidget(StatusBar);
  layout()->setSizeConstraint(QLayout::SetFixedSize);  // fixed dialog border

  connect(ButtonConnect, &QPushButton::clicked, this, &TMainForm::ButtonConnectClick);
  connect(ButtonSyncPC, &QPushButton::clicked, this, &TMainForm::ButtonSyncPCClick);
  connect(ButtonServerInfo, &QPushButton::clicked, this, &TMainForm::ButtonServerInfoClick);
  connect(ButtonReportTime, &QPushButton::clicked, this, &TMainForm::ButtonReportTimeClick);
  connect(ButtonToTaskTray, &QPushButton::clicked, this, &TMainForm::ButtonToTaskTrayClick);
  connect(ButtonDispLog, &QPushButton::clicked, this, &TMainForm::ButtonDispLogClick);
  connect(ButtonErrGraph, &QPushButton::clicked, this, &TMainForm::ButtonErrGraphClick);
  connect(ButtonEnd, &QPushButton::clicked, this, &TMainForm::ButtonEndClick);
  connect(spin.up, &QToolButton::clicked, this, &TMainForm::CSpinButtondSSUpClick);
  connect(spin.down, &QToolButton::clicked, this, &TMainForm::CSpinButtondSSDownClick);
  connect(ButtonSendComm, &QPushButton::clicked, this, &TMainForm::ButtonSendCommClick);
  connect(ButtonParmSet, &QPushButton::clicked, this, &TMainForm::ButtonParmSetClick);
  connect(ButtonTestDlg, &QPushButton::clicked, this, &TMainForm::ButtonTestDlgClick);
}

template <class Widget>
void TMainForm::ShowText(Widget* widget, const std::string& text) {
  const auto shown = shownTexts_.find(widget);
  if (shown != shownTexts_.end() && shown->second == text) return;
  shownTexts_[widget] = text;
  const QString t = QString::fromStdString(text);
  if (widget->text() != t) widget->setText(t);
}

void TMainForm::Refresh() {
  refreshedAtTick_ = app_.tick.Count;
  const MainView& v = app_.view;
  if (StatusBar->currentMessage() != QString::fromStdString(v.StatusBar)) {
    StatusBar->showMessage(QString::fromStdString(v.StatusBar));
  }
  ShowText(LabelJst, v.LabelJst);
  ShowText(EditJst, v.EditJst);
  ShowText(EditUtc, v.EditUtc);
  ShowText(EditPcErr, v.EditPcErr);
  ShowText(EditdSS, v.EditdSS);
  ShowText(LabelPpsCtr, v.LabelPpsCtr);
  ShowText(EditStatus, v.EditStatus);
  ShowText(EditLong, v.EditLong);
  ShowText(EditLat, v.EditLat);
  ShowText(EditAntena, v.EditAntena);
  ShowText(EditGeoid, v.EditGeoid);
  ShowText(EditNumSat, v.EditNumSat);
  ShowText(EditNumMsg, v.EditNumMsg);
  ShowText(LabelMapDatum, v.LabelMapDatum);
  const MainControls c = app_.Controls();
  ShowText(ButtonConnect, c.ButtonConnectCaption);
  ButtonSyncPC->setEnabled(c.ButtonSyncPCEnabled);
  ButtonSendComm->setEnabled(c.ButtonSendCommEnabled);
  ButtonTestDlg->setEnabled(c.ButtonTestDlgEnabled);
  ButtonParmSet->setEnabled(c.ButtonParmSetEnabled);
  ButtonToTaskTray->setEnabled(c.ButtonToTaskTrayEnabled);
  ButtonServerInfo->setEnabled(c.ButtonServerInfoEnabled);
  CSpinButtondSS->setVisible(v.CSpinButtondSSVisible);
  CSpinButtondSS->setEnabled(c.CSpinButtondSSEnabled);
  if (formLog_->isVisible()) formLog_->Refresh();
  if (formErrGraph_ && formErrGraph_->isVisible()) formErrGraph_->Refresh();
  if (formEtcComm_) formEtcComm_->Refresh();
}

void TMainForm::RefreshSoon() {
  if (app_.tick.Timer == 0 || app_.tick.Count != refreshedAtTick_) Refresh();
}

void TMainForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  StartRunning(app_);
  Refresh();
}

void TMainForm::ButtonConnectClick() {
  ::ButtonConnectClick(app_);
  Refresh();
}

void TMainForm::ButtonSyncPCClick() {
  ::ButtonSyncPCClick(app_);
  Refresh();
}

void TMainForm::ButtonServerInfoClick() {
  ::ButtonServerInfoClick(app_);
  Refresh();
}

void TMainForm::ButtonReportTimeClick() {
  ::ButtonReportTimeClick(app_);
  Refresh();
}

void TMainForm::ButtonToTaskTrayClick() {
  if (!::ButtonToTaskTrayClick(app_)) return;
  if (!QSystemTrayIcon::isSystemTrayAvailable()) {
    // Without a tray, hiding would leave no way back.
    showMinimized();
    return;
  }
  if (!trayIcon_) {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0, 90, 160));
    painter.drawEllipse(2, 2, 28, 28);
    painter.setPen(QPen(Qt::white, 3));
    painter.drawLine(16, 16, 16, 6);
    painter.drawLine(16, 16, 24, 16);
    trayIcon_ = new QSystemTrayIcon(QIcon(pixmap), this);
    trayIcon_->setObjectName("TrayIcon");
    trayIcon_->setToolTip(QString::fromUtf8(kApplicationTitle));
    connect(trayIcon_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
              // Only a double-click brings the window back.
              if (reason == QSystemTrayIcon::DoubleClick) RestoreFromTray();
            });
  }
  trayIcon_->show();
  hide();
}

void TMainForm::RestoreFromTray() {
  trayIcon_->hide();
  showNormal();
  activateWindow();
}

void TMainForm::ButtonDispLogClick() {
  formLog_->Refresh();
  formLog_->exec();
}

// The error graph stays open beside the main window, which goes on working
// and refreshes it.
void TMainForm::ButtonErrGraphClick() {
  if (!formErrGraph_) formErrGraph_ = new TFormErrGraph(app_.errorHistory, this);
  formErrGraph_->show();
  formErrGraph_->raise();
  formErrGraph_->activateWindow();
}

void TMainForm::ButtonEndClick() { close(); }

void TMainForm::reject() { ButtonEndClick(); }

void TMainForm::EndBySignal() {
  if (endingBySignal_) return;  // a later signal while the first is handled
  endingBySignal_ = true;
  EndWhenNoDialog(0);
}

// Each round cancels the innermost dialog and looks again a little later,
// once its exec() may have returned. A dialog that stays is given up on after
// a second: leaving the main loop then ends its exec() as well.
void TMainForm::EndWhenNoDialog(int round) {
  constexpr int kRoundMs = 10, kMaxRounds = 100;
  QWidget* modal = QApplication::activeModalWidget();
  if ((modal || QThread::currentThread()->loopLevel() > 1) && round < kMaxRounds) {
    if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
    QTimer::singleShot(kRoundMs, this, [this, round] { EndWhenNoDialog(round + 1); });
    return;
  }
  if (app_.Connected()) ButtonConnectClick();  // "接続終了", the port is released
  ButtonEndClick();                               // "Quor運用終了", the log file is closed
}

void TMainForm::CSpinButtondSSUpClick() {
  ::CSpinButtondSSUpClick(app_);
  Refresh();
}

void TMainForm::CSpinButtondSSDownClick() {
  ::CSpinButtondSSDownClick(app_);
  Refresh();
}

// Opens the command dialog of the receiver kind; its command is sent after
// the dialog has closed with "送信". A kind without commands opens none.
void TMainForm::ButtonSendCommClick() {
  if (!app_.Receiver()) return;
  const ReceiverConfig& cfg = app_.Receiver()->cfg;
  const int baseMesg = app_.settings.BaseMesg;
  switch (TraitsOf(app_.settings.Receiver).commands) {
    case CommandSet::kJupiter: {
      TFormSendComm form(cfg, baseMesg, this);
      if (form.exec() == QDialog::Accepted) RunJupiterCommand(app_, form.Choice());
      break;
    }
    case CommandSet::kGt77: {
      TFormGT77Comm form(cfg, baseMesg, this);
      if (form.exec() == QDialog::Accepted) RunGt77Command(app_, form.Choice());
      break;
    }
    case CommandSet::kCca370h: {
      TFormCcaComm form(this);
      if (form.exec() == QDialog::Accepted) RunCcaCommand(app_, form.Choice());
      break;
    }
    case CommandSet::kNone:
      break;
  }
  Refresh();
}

// The settings dialog; its values are applied only when it closes with "設定".
void TMainForm::ButtonParmSetClick() {
  TFormSetParm form(app_, this);
  if (form.exec() == QDialog::Accepted) ButtonParmSetApply(app_, form.Model());
  Refresh();
}

// Shows the test dialog modally; the tick goes on and refreshes it.
void TMainForm::ButtonTestDlgClick() {
  if (!app_.TestDialog() || !etccomm::TestDialogOpening(*app_.TestDialog())) return;
  TFormEtcComm form(app_, this);
  formEtcComm_ = &form;
  form.exec();
  formEtcComm_ = nullptr;
  if (TestDialogModel* m = app_.TestDialog()) etccomm::TestDialogClosed(*m);
  Refresh();
}

void TMainForm::closeEvent(QCloseEvent* event) {
  if (!closed_) {
    closed_ = true;
    StopRunning(app_);  // the tick stops, "Quor運用終了", the log file is closed
  }
  event->accept();
  QApplication::quit();
}
