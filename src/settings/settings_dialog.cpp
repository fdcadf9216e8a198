#include "settings/settings_dialog.h"

#include "common/address_syntax.h"
#include "common/ip_address.h"
#include "net/access_rules.h"
#include "common/receiver_kinds.h"
#include "common/text_format.h"
#include "settings/fixed_receiver_line.h"
#include "settings/settings_persistence.h"

namespace {

// Blanks around typed text: ASCII white space and the ideographic space an
// input method leaves. Each returns the blank's length in bytes, 0 for none.
const std::string kWideSpace = "\xE3\x80\x80";  // U+3000

bool IsAsciiBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

size_t BlankAtFront(const std::string& t, size_t begin, size_t end) {
  if (begin < end && IsAsciiBlank(t[begin])) return 1;
  return end - begin >= 3 && t.compare(begin, 3, kWideSpace) == 0 ? 3 : 0;
}

size_t BlankAtBack(const std::string& t, size_t begin, size_t end) {
  if (begin < end && IsAsciiBlank(t[end - 1])) return 1;
  return end - begin >= 3 && t.compare(end - 3, 3, kWideSpace) == 0 ? 3 : 0;
}

std::string TrimBlanks(const std::string& text) {
  size_t begin = 0, end = text.size();
  while (const size_t n = BlankAtFront(text, begin, end)) begin += n;
  while (const size_t n = BlankAtBack(text, begin, end)) end -= n;
  return text.substr(begin, end - begin);
}

// The length of UTF-8 text in characters: every byte but the continuing ones.
size_t Characters(const std::string& text) {
  size_t n = 0;
  for (char c : text) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}

}  // namespace

std::optional<int32_t> ServerKeyNumber(const std::string& text) {
  const std::string t = TrimBlanks(text);
  if (t.empty()) return 0;
  if (t.size() > 10) return std::nullopt;
  int64_t v = 0;
  for (const char c : t) {
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + (c - '0');
  }
  if (v > INT32_MAX) return std::nullopt;
  return static_cast<int32_t>(v);
}

void SettingsDialog::FormShow() {
  const Settings& s = settings_;
  ComboBoxReceiver = s.Receiver;
  ComboBoxPort = s.Port;
  RadioGroupBaseMesg = s.BaseMesg;
  RadioGroupBeepCond = s.BeepCond;
  RadioGroupLanOpt = s.LanOpt;
  CheckBoxLogOut = s.IsLogOut != 0;
  CheckBoxServeLocalClock = s.ServeLocalClock != 0;
  CheckBoxFreqAdjust = s.FreqAdjust != 0;
  CheckBoxLogRequests = s.LogRequests != 0;
  ComboBoxLanAccess = s.LanAccess;
  EditNtpAllow = s.NtpAllow;

  dSec = s.dSec;
  TimeZone = s.TimeZone;
  NtpIntv = s.NtpIntv;
  SyncParm = s.SyncParm;
  AutoAdjust = s.AutoAdjust;
  RadioGroupAutoAdjust = AutoAdjust;

  // A fixed kind shows its own second correction, whatever was stored.
  const ReceiverKindTraits& kind = TraitsOf(ComboBoxReceiver);
  if (kind.fixedLine) dSec = kind.fixedSec;
  EditdSecEnabled = !kind.fixedLine;
  CSpinButtondSecEnabled = !kind.fixedLine;
  ButtonCommParmEnabled = !kind.fixedLine;
  ShowSpinTexts();
  ShowPortState();

  CheckBoxAddregistory = false;
  ComboBoxServerIpAddr = s.ServerIpAddr;
  EditKeyFile = s.KeyFile;
  EditServerKey = std::to_string(s.ServerKey);
  EditMyIpAddr = ownAddress_;
  StatusBar = kHint;
}

// What the port choice enables: with the network there is no receiver to
// set up; with a COM port everything, the second correction only for a kind
// that has none fixed.
void SettingsDialog::ShowPortState() {
  const bool com = ComboBoxPort != kNetworkPort;
  RadioGroupBaseMesgEnabled = com;
  RadioGroupAutoAdjustEnabled = com;
  RadioGroupBeepCondEnabled = com;
  ComboBoxReceiverEnabled = com;
  ButtonCommParmEnabled = com;
  CSpinButtondSecEnabled = com && !TraitsOf(ComboBoxReceiver).fixedLine;
}

void SettingsDialog::ShowSpinTexts() {
  EditdSec = StrPrintf("%+d", dSec);
  EditTimeZone = StrPrintf("%+3d", TimeZone);
  EditNtpIntv = StrPrintf("%3d", NtpIntv);
  EditSyncParm = StrPrintf("%+d", SyncParm);
}

void SettingsDialog::ComboBoxPortChange(int item) {
  ComboBoxPort = item;
  ShowPortState();
}

void SettingsDialog::ComboBoxReceiverChange(int item) {
  ComboBoxReceiver = item;
  const ReceiverKindTraits& kind = TraitsOf(item);
  if (ApplyFixedReceiverLine(item, dSec, settings_.serial)) ShowSpinTexts();
  EditdSecEnabled = !kind.fixedLine;
  CSpinButtondSecEnabled = !kind.fixedLine;
  ButtonCommParmEnabled = !kind.fixedLine;
}

void SettingsDialog::CSpinButtonTimeZoneUpClick() {
  TimeZone = kTimeZoneRange.Up(TimeZone);
  ShowSpinTexts();
}

void SettingsDialog::CSpinButtonTimeZoneDownClick() {
  TimeZone = kTimeZoneRange.Down(TimeZone);
  ShowSpinTexts();
}

void SettingsDialog::CSpinButtondSecUpClick() {
  dSec = kdSecRange.Up(dSec);
  ShowSpinTexts();
}

void SettingsDialog::CSpinButtondSecDownClick() {
  dSec = kdSecRange.Down(dSec);
  ShowSpinTexts();
}

void SettingsDialog::CSpinButtonSyncParmUpClick() {
  SyncParm = kSyncParmRange.Up(SyncParm);
  ShowSpinTexts();
}

void SettingsDialog::CSpinButtonSyncParmDownClick() {
  SyncParm = kSyncParmRange.Down(SyncParm);
  ShowSpinTexts();
}

void SettingsDialog::CSpinButtonNtpIntvUpClick() {
  NtpIntv = kNtpIntvRange.Up(NtpIntv);
  ShowSpinTexts();
}

void SettingsDialog::CSpinButtonNtpIntvDownClick() {
  NtpIntv = kNtpIntvRange.Down(NtpIntv);
  ShowSpinTexts();
}

void SettingsDialog::RadioGroupAutoAdjustClick() { AutoAdjust = RadioGroupAutoAdjust; }

void SettingsDialog::ButtonCommParmDone(const SerialParams& chosen) { settings_.serial = chosen; }

bool SettingsDialog::ButtonSetClick(SettingsStore& store, MessageBoxes& boxes) {
  // A fault told at an earlier press stays told only while it still holds.
  StatusBar = kHint;
  ServerKeyFault = false;
  ServerAddrFault = true;
  const std::string server = TrimBlanks(ComboBoxServerIpAddr);
  // Also refuses an empty field when the network gives no own address.
  if (server == EditMyIpAddr || IsOwnAddress(server)) {
    boxes.Show("ＩＰアドレスが重複しています!!");
    return false;
  }
  if (server.empty()) {
    // A receiver PC needs no server; the network client cannot do without.
    if (ComboBoxPort == kNetworkPort) {
      StatusBar = "サーバのアドレスを入力して下さい!!";
      return false;
    }
  } else if (Characters(server) > Settings::kServerAddrMax) {
    StatusBar = "サーバのアドレスが長すぎます(107文字まで)!!";
    return false;
  } else if (!IsServerAddress(server, Settings::kServerAddrMax)) {
    StatusBar = "サーバのアドレスが正しくありません!!";
    return false;
  }
  ComboBoxServerIpAddr = server;
  ServerAddrFault = false;
  ServerKeyFault = true;
  if (!ServerKeyNumber(EditServerKey)) {
    StatusBar = "鍵番号は 0 から 2147483647 までの数です!!";
    return false;
  }
  if (TrimBlanks(EditKeyFile).size() > Settings::kKeyFileMax) {
    StatusBar = "鍵ファイルの名前が長すぎます!!";
    return false;
  }
  ServerKeyFault = false;
  const std::string allow = TrimBlanks(EditNtpAllow);
  if (allow.size() > Settings::kNtpAllowMax || !IsAllowListText(allow)) {
    StatusBar = kBadNtpAllow;
    return false;
  }
  EditNtpAllow = allow;
  // Settings that could not be stored are not applied either: the dialog
  // stays open to try again or to cancel, and the running server stays.
  Settings chosen = Chosen();
  chosen.ServerIpAddr = server;
  if (CheckBoxAddregistory && !StoreSettings(store, chosen, boxes)) {
    StatusBar = kNotStored;
    return false;
  }
  settings_.ServerIpAddr = server;
  return true;
}

bool SettingsDialog::IsOwnAddress(const std::string& server) const {
  const std::optional<std::string> address = CanonicalAddress(server);
  if (!address) return false;
  for (const std::string& own : ownAddresses_) {
    if (CanonicalAddress(own) == address) return true;
  }
  return false;
}

void SettingsDialog::ButtonDelRegistoryClick(SettingsStore& store, MessageBoxes& boxes) {
  DeleteStoredSettings(store, boxes);
}

Settings SettingsDialog::Chosen() const {
  Settings s = settings_;
  s.Port = ComboBoxPort;
  s.Receiver = ComboBoxReceiver;
  s.dSec = dSec;
  s.TimeZone = TimeZone;
  s.NtpIntv = NtpIntv;
  s.SyncParm = SyncParm;
  s.AutoAdjust = AutoAdjust;
  s.BaseMesg = RadioGroupBaseMesg;
  s.BeepCond = RadioGroupBeepCond;
  s.LanOpt = RadioGroupLanOpt;
  s.IsLogOut = CheckBoxLogOut ? 1 : 0;
  s.ServeLocalClock = CheckBoxServeLocalClock ? 1 : 0;
  s.KeyFile = TrimBlanks(EditKeyFile);
  if (auto key = ServerKeyNumber(EditServerKey)) s.ServerKey = *key;
  s.FreqAdjust = CheckBoxFreqAdjust ? 1 : 0;
  s.LogRequests = CheckBoxLogRequests ? 1 : 0;
  s.LanAccess = ComboBoxLanAccess >= 0 && ComboBoxLanAccess <= 2 ? ComboBoxLanAccess : 0;
  s.NtpAllow = TrimBlanks(EditNtpAllow);
  return s;
}
