#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/message_boxes.h"
#include "platform/settings_store.h"
#include "settings/settings.h"

// The range and step of one spin edit of the settings dialog. Its arrows stop
// at the ends; they never wrap around.
struct SpinRange {
  int32_t lo, hi, step;
  int32_t Up(int32_t v) const { return v < hi ? (v + step < hi ? v + step : hi) : v; }
  int32_t Down(int32_t v) const { return v > lo ? (v - step > lo ? v - step : lo) : v; }
};

// The key number typed in the dialog: blank is 0 (none); nullopt when it is
// not a whole number from 0 to 2147483647.
std::optional<int32_t> ServerKeyNumber(const std::string& text);

// "Quor - 条件設定": what the dialog shows, named after its controls, and its
// handlers. One object per opening. It works on copies of the settings except
// for the serial parameters, which the receiver choice and the serial
// parameters dialog write into the running settings at once (they stay even
// when the dialog is cancelled). The rest is applied by the caller after
// "設定" (see Chosen()).
class SettingsDialog {
 public:
  static constexpr SpinRange kTimeZoneRange{-13, 13, 1};
  static constexpr SpinRange kNtpIntvRange{0, 60, 5};
  static constexpr SpinRange kdSecRange{-9, 9, 1};
  static constexpr SpinRange kSyncParmRange{-9, 9, 1};
  // Always on the status bar until an input fault replaces it.
  static constexpr const char* kHint = "時差は本プログラムが表示・設定する時刻(JST/LST)の時差です";

  // `settings` are the running settings; `ownAddress` is the PC's own
  // address, empty when the network cannot be used; `ownAddresses` all its
  // other addresses (IPv6 too), which the server may not be either.
  SettingsDialog(Settings& settings, std::string ownAddress,
                 std::vector<std::string> ownAddresses = {})
      : settings_(settings), ownAddress_(std::move(ownAddress)),
        ownAddresses_(std::move(ownAddresses)) {}

  // Working values.
  int32_t dSec = 0, NtpIntv = 0, TimeZone = 0, SyncParm = 0, AutoAdjust = 0;

  // Selected items and ticks. The form writes the user's choices here before
  // forwarding a click.
  int ComboBoxPort = 0, ComboBoxReceiver = 0;
  int RadioGroupBaseMesg = 0, RadioGroupBeepCond = 0, RadioGroupLanOpt = 0, RadioGroupAutoAdjust = 0;
  bool CheckBoxLogOut = false, CheckBoxAddregistory = false;
  bool CheckBoxServeLocalClock = false;
  bool CheckBoxFreqAdjust = true;
  // The key file and the key number the client signs with (0 or empty: none).
  std::string EditKeyFile, EditServerKey;
  bool CheckBoxLogRequests = true;
  int ComboBoxLanAccess = 0;
  std::string ComboBoxServerIpAddr, EditMyIpAddr, EditNtpAllow;

  // Texts of the spin edits.
  std::string EditdSec, EditTimeZone, EditNtpIntv, EditSyncParm;

  // Enabled states.
  bool EditdSecEnabled = true, CSpinButtondSecEnabled = true, ButtonCommParmEnabled = true;
  bool RadioGroupBaseMesgEnabled = true, RadioGroupAutoAdjustEnabled = true;
  bool RadioGroupBeepCondEnabled = true, ComboBoxReceiverEnabled = true;

  std::string StatusBar = kHint;
  // After a refused "設定": whether the server address was at fault (the
  // focus goes to its box) rather than storing the settings.
  bool ServerAddrFault = false;
  // After a refused "設定": the key number was at fault (the focus goes there).
  bool ServerKeyFault = false;
  static constexpr const char* kNotStored = "設定を保存できませんでした!!";
  static constexpr const char* kBadNtpAllow = "SNTP応答先の指定が正しくありません!!";

  void FormShow();
  void ComboBoxPortChange(int item);
  void ComboBoxReceiverChange(int item);
  void CSpinButtonTimeZoneUpClick();
  void CSpinButtonTimeZoneDownClick();
  void CSpinButtondSecUpClick();
  void CSpinButtondSecDownClick();
  void CSpinButtonSyncParmUpClick();
  void CSpinButtonSyncParmDownClick();
  void CSpinButtonNtpIntvUpClick();
  void CSpinButtonNtpIntvDownClick();
  // Also the handler of RadioGroupBaseMesg: takes RadioGroupAutoAdjust.
  void RadioGroupAutoAdjustClick();
  // The serial parameters dialog closed with "設定": its whole record
  // becomes the running one.
  void ButtonCommParmDone(const SerialParams& chosen);
  // "設定": checks the server address, stores the settings when "ｼｽﾃﾑに保存"
  // is ticked, then takes the address over. True when the dialog may close
  // with OK; false leaves it open with the fault told, the running settings
  // as they were.
  bool ButtonSetClick(SettingsStore& store, MessageBoxes& boxes);
  void ButtonDelRegistoryClick(SettingsStore& store, MessageBoxes& boxes);

  // The running settings with the dialog's values in place: what "設定"
  // stores and the caller applies.
  Settings Chosen() const;

 private:
  void ShowPortState();
  void ShowSpinTexts();
  bool IsOwnAddress(const std::string& server) const;

  Settings& settings_;
  std::string ownAddress_;
  std::vector<std::string> ownAddresses_;
};
