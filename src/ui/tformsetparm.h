#pragma once
#include <QDialog>

#include "settings/settings_dialog.h"

class App;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QStatusBar;
class RadioGroup;

// "Quor - 条件設定": shows the core's settings dialog model and forwards the
// user's choices and clicks to it. Model() holds the values to apply after
// the dialog closed with "設定".
class TFormSetParm : public QDialog {
  Q_OBJECT
 public:
  explicit TFormSetParm(App& app, QWidget* parent = nullptr);
  ~TFormSetParm() override;
  const SettingsDialog& Model() const { return model_; }

  // Public NTP servers offered in the server list.
  static constexpr const char* kPresetServers[] = {
      "ntp.nict.jp",     "jp.pool.ntp.org", "pool.ntp.org",
      "time.google.com", "time.cloudflare.com", "time.nist.gov"};

 public slots:
  void ComboBoxPortChange(int item);
  void ComboBoxReceiverChange(int item);
  void ButtonCommParmClick();
  void CSpinButtonTimeZoneUpClick();
  void CSpinButtonTimeZoneDownClick();
  void CSpinButtondSecUpClick();
  void CSpinButtondSecDownClick();
  void CSpinButtonSyncParmUpClick();
  void CSpinButtonSyncParmDownClick();
  void CSpinButtonNtpIntvUpClick();
  void CSpinButtonNtpIntvDownClick();
  void RadioGroupAutoAdjustClick();
  void ButtonSetClick();
  void ButtonDelRegistoryClick();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void BuildControls();
  // The user's choices into the model, before a click is forwarded.
  void Collect();
  // The model into the widgets, after it.
  void Refresh();

  App& app_;
  SettingsDialog model_;

  QComboBox *ComboBoxPort, *ComboBoxReceiver, *ComboBoxServerIpAddr, *ComboBoxLanAccess;
  QPushButton *ButtonCommParm, *ButtonDelRegistory, *ButtonSet, *ButtonCancel;
  RadioGroup *RadioGroupBaseMesg, *RadioGroupAutoAdjust, *RadioGroupBeepCond, *RadioGroupLanOpt;
  QLineEdit *EditTimeZone, *EditdSec, *EditSyncParm, *EditNtpIntv, *EditMyIpAddr, *EditNtpAllow;
  QLineEdit *EditKeyFile, *EditServerKey;
  QWidget *CSpinButtonTimeZone, *CSpinButtondSec, *CSpinButtonSyncParm, *CSpinButtonNtpIntv;
  QCheckBox *CheckBoxLogOut, *CheckBoxAddregistory, *CheckBoxServeLocalClock, *CheckBoxFreqAdjust;
  QCheckBox *CheckBoxLogRequests;
  QStatusBar* StatusBar;
};
