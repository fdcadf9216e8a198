#pragma once
#include <map>
#include <string>
#include <QDialog>
#include <cstdint>

class App;
class QLabel;
class QLineEdit;
class QPushButton;
class QStatusBar;
class QSystemTrayIcon;
class QToolButton;
class QWidget;
class TFormErrGraph;
class TFormEtcComm;
class TFormLog;

// The main window: shows the core's view model and forwards clicks to it.
class TMainForm : public QDialog {
  Q_OBJECT
 public:
  explicit TMainForm(App& app, QWidget* parent = nullptr);
  ~TMainForm() override;

  // Copies the core's view model into the widgets.
  void Refresh();
  // After each posted event (serial bytes, datagrams) and each timer, the
  // tick's included: while the tick runs, only a tick refreshes, and its
  // refresh covers the events since, so a flood of events never redraws the
  // window more than once a tick.
  void RefreshSoon();
  TFormLog* FormLog() const { return formLog_; }
  // The error graph window, once it has been opened.
  TFormErrGraph* FormErrGraph() const { return formErrGraph_; }

 public slots:
  void ButtonConnectClick();
  void ButtonSyncPCClick();
  void ButtonServerInfoClick();
  void ButtonReportTimeClick();
  void ButtonToTaskTrayClick();
  void ButtonDispLogClick();
  void ButtonErrGraphClick();
  void ButtonEndClick();
  void CSpinButtondSSUpClick();
  void CSpinButtondSSDownClick();
  void ButtonSendCommClick();
  void ButtonParmSetClick();
  void ButtonTestDlgClick();
  // SIGTERM, SIGINT or SIGHUP: ends as the user would, disconnecting first ("接続終了")
  // and then closing the window ("Quor運用終了", the log file closed). A
  // dialog open over the window is cancelled first, and the end waits until
  // its exec() has returned, so nothing is pulled away under it.
  void EndBySignal();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;  // Esc acts as "終了(&Q)", the cancel button

 private:
  void BuildControls();
  void RestoreFromTray();
  void EndWhenNoDialog(int round);

  App& app_;
  uint64_t refreshedAtTick_ = 0;  // the tick count at the last refresh
  // The texts last put into each control: a refresh touches only those that
  // changed since.
  std::map<const QObject*, std::string> shownTexts_;
  template <class Widget>
  void ShowText(Widget* widget, const std::string& text);
  bool closed_ = false;
  bool endingBySignal_ = false;
  TFormLog* formLog_ = nullptr;
  TFormErrGraph* formErrGraph_ = nullptr;
  // The test dialog while it is shown.
  TFormEtcComm* formEtcComm_ = nullptr;
  QSystemTrayIcon* trayIcon_ = nullptr;

  QStatusBar* StatusBar;
  QLabel* LabelJst;
  QLineEdit *EditJst, *EditUtc, *EditPcErr, *EditdSS;
  QPushButton* ButtonSyncPC;
  QWidget* CSpinButtondSS;
  QLabel* LabelPpsCtr;
  QLineEdit *EditStatus, *EditLong, *EditLat, *EditAntena, *EditGeoid, *EditNumSat, *EditNumMsg;
  QLabel* LabelMapDatum;
  QPushButton *ButtonServerInfo, *ButtonTestDlg, *ButtonSendComm, *ButtonParmSet;
  QPushButton *ButtonToTaskTray, *ButtonDispLog, *ButtonErrGraph, *ButtonConnect, *ButtonEnd,
      *ButtonReportTime;
};
