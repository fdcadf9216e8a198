#pragma once
#include <QDialog>

#include "commands/test_dialog_model.h"

class App;
class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QStatusBar;

// "Quor - テストダイアログ": the rows the core collects (received sentences,
// 1PPS intervals or position statistics), raw commands to the receiver and
// the SNTP client on demand. All its state is the core's test dialog model,
// which a receiver connection starts afresh; the window only shows it.
class TFormEtcComm : public QDialog {
  Q_OBJECT
 public:
  explicit TFormEtcComm(App& app, QWidget* parent = nullptr);
  // Copies the model into the widgets; the list only when its rows changed.
  void Refresh();

 public slots:
  void ButtonPauseClick();
  void ButtonClearClick();
  void ButtonLogOutClick();
  void ButtonSendCommClick();
  void ButtonSyncServClick();
  void CheckBoxAutoSyncClick(bool checked);

 protected:
  void showEvent(QShowEvent* event) override;
  void done(int result) override;

 private:
  void BuildControls();
  void RefreshRows();

  App& app_;
  // The receiver connection's test dialog state; should the connection end
  // while the window is open, a detached one, so the window never reads a
  // state that is gone.
  TestDialogModel& Model();
  TestDialogModel detached_;
  unsigned long shownRevision_ = 0;
  bool rowsShown_ = false;

  QListWidget* ListBoxMesg;
  QGroupBox* RadioGroupMode;
  QButtonGroup* modeButtons_;
  QPushButton *ButtonPause, *ButtonClear;
  QCheckBox* CheckBoxToLogFile;
  QLabel* LabelCommand;
  QLineEdit* EditCommand;
  QCheckBox *CheckBoxCrLf, *CheckBoxAutoSync;
  QPushButton *ButtonLogOut, *ButtonSyncServ, *ButtonSendComm, *ButtonCancel;
  QLabel* LabelChecksum;
  QStatusBar* StatusBar;
};
