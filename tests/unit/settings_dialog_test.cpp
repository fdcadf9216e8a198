// The settings dialog without a window: what it enables, what the receiver
// kinds fix, the spin limits, the server address checks, and applying.
#include "settings/settings_dialog.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include <functional>

#include "app/app.h"
#include "app/settings_apply.h"
#include "app/startup.h"
#include "common/time_arithmetic.h"
#include "fakes/fake_platform.h"
#include "settings/serial_setup_dialog.h"
#include "settings/settings_persistence.h"

namespace {

struct Enabled {
  bool receiver, baseMesg, autoAdjust, beep, commParm, spindSec, editdSec;
  bool operator==(const Enabled&) const = default;
};

Enabled EnabledOf(const SettingsDialog& d) {
  return {d.ComboBoxReceiverEnabled, d.RadioGroupBaseMesgEnabled, d.RadioGroupAutoAdjustEnabled,
          d.RadioGroupBeepCondEnabled, d.ButtonCommParmEnabled, d.CSpinButtondSecEnabled,
          d.EditdSecEnabled};
}

std::string Print(const Enabled& e) {
  return testing::PrintToString(std::vector<bool>{e.receiver, e.baseMesg, e.autoAdjust, e.beep,
                                                  e.commParm, e.spindSec, e.editdSec});
}

TEST(SettingsDialogModel, WhatThePortAndTheReceiverEnable) {
  const struct {
    int port, receiver;
    Enabled shown;
  } rows[] = {
      // Network: nothing of the receiver; the second correction's box only
      // follows the receiver kind.
      {4, 0, {false, false, false, false, false, false, false}},
      {4, 2, {false, false, false, false, false, false, false}},
      {4, 4, {false, false, false, false, false, false, true}},
      // A COM port: everything, "通信条件..." for every kind; the second
      // correction only for "その他".
      {0, 0, {true, true, true, true, true, false, false}},
      {1, 1, {true, true, true, true, true, false, false}},
      {2, 2, {true, true, true, true, true, false, false}},
      {3, 3, {true, true, true, true, true, false, false}},
      {0, 4, {true, true, true, true, true, true, true}},
  };
  for (const auto& r : rows) {
    Settings s;
    s.Port = r.port;
    s.Receiver = r.receiver;
    SettingsDialog d(s, "192.168.1.10");
    d.FormShow();
    EXPECT_EQ(Print(EnabledOf(d)), Print(r.shown)) << "port " << r.port << " receiver " << r.receiver;
  }

  // Opened on the network, then "ﾎﾟｰﾄ1": as if opened on the COM port.
  for (int receiver = 0; receiver <= 4; ++receiver) {
    Settings net, com;
    net.Port = 4;
    net.Receiver = com.Receiver = receiver;
    SettingsDialog fromNet(net, ""), onCom(com, "");
    fromNet.FormShow();
    onCom.FormShow();
    fromNet.ComboBoxPortChange(0);
    EXPECT_EQ(Print(EnabledOf(fromNet)), Print(EnabledOf(onCom))) << "receiver " << receiver;
    // and back to the network
    fromNet.ComboBoxPortChange(4);
    EXPECT_FALSE(fromNet.ComboBoxReceiverEnabled);
    EXPECT_FALSE(fromNet.CSpinButtondSecEnabled);
  }
}

TEST(SettingsDialogModel, FixedReceiverKindsSetTheLineAtOnceAndTheSecondCorrection) {
  const SerialParams custom{2, 9, 0, 1, 1, 0};  // COM3, 38.4k 7E1.5, hardware flow
  const struct {
    int kind;
    int dSec;
    const char* text;
    SerialParams line;
  } rows[] = {
      {0, 2, "+2", {2, 5, 1, 0, 0, 2}},
      {1, 0, "+0", {2, 5, 1, 0, 0, 2}},
      {2, 0, "+0", {2, 5, 1, 0, 2, 2}},
      {3, 1, "+1", {2, 5, 1, 0, 2, 2}},
  };
  for (const auto& r : rows) {
    Settings s;
    s.Receiver = kOtherReceiver;
    s.dSec = -5;
    s.serial = custom;
    {
      SettingsDialog d(s, "");
      d.FormShow();
      EXPECT_EQ(d.EditdSec, "-5");
      d.ComboBoxReceiverChange(r.kind);
      EXPECT_EQ(d.dSec, r.dSec);
      EXPECT_EQ(d.EditdSec, r.text);
      EXPECT_FALSE(d.EditdSecEnabled);
      EXPECT_FALSE(d.CSpinButtondSecEnabled);
      EXPECT_FALSE(d.ButtonCommParmEnabled);
      EXPECT_EQ(d.Chosen().dSec, r.dSec);
      // cancelled: the dialog goes without "設定"
    }
    EXPECT_EQ(s.serial, r.line) << "kind " << r.kind;
    EXPECT_EQ(s.dSec, -5);
    EXPECT_EQ(s.Receiver, kOtherReceiver);
  }
}

TEST(SettingsDialogModel, OtherReceiverKeepsTheValuesAndMakesThemEditable) {
  Settings s;
  s.Receiver = kJupiter;
  s.serial = SerialParams{1, 6, 1, 2, 2, 1};
  SettingsDialog d(s, "");
  d.FormShow();
  d.ComboBoxReceiverChange(kOtherReceiver);
  EXPECT_EQ(d.dSec, 2);
  EXPECT_EQ(s.serial, (SerialParams{1, 6, 1, 2, 2, 1}));
  EXPECT_TRUE(d.EditdSecEnabled);
  EXPECT_TRUE(d.CSpinButtondSecEnabled);
  EXPECT_TRUE(d.ButtonCommParmEnabled);
  d.CSpinButtondSecDownClick();
  EXPECT_EQ(d.EditdSec, "+1");
}

TEST(SettingsDialogModel, SpinsStopAtTheirEnds) {
  using Click = void (SettingsDialog::*)();
  const struct {
    const char* name;
    Click up, down;
    int32_t SettingsDialog::*value;
    std::string SettingsDialog::*text;
    int lo, hi, step;
    const char *loText, *hiText;
  } rows[] = {
      {"TimeZone", &SettingsDialog::CSpinButtonTimeZoneUpClick,
       &SettingsDialog::CSpinButtonTimeZoneDownClick, &SettingsDialog::TimeZone,
       &SettingsDialog::EditTimeZone, -13, 13, 1, "-13", "+13"},
      {"NtpIntv", &SettingsDialog::CSpinButtonNtpIntvUpClick,
       &SettingsDialog::CSpinButtonNtpIntvDownClick, &SettingsDialog::NtpIntv,
       &SettingsDialog::EditNtpIntv, 0, 60, 5, "  0", " 60"},
      {"dSec", &SettingsDialog::CSpinButtondSecUpClick, &SettingsDialog::CSpinButtondSecDownClick,
       &SettingsDialog::dSec, &SettingsDialog::EditdSec, -9, 9, 1, "-9", "+9"},
      {"SyncParm", &SettingsDialog::CSpinButtonSyncParmUpClick,
       &SettingsDialog::CSpinButtonSyncParmDownClick, &SettingsDialog::SyncParm,
       &SettingsDialog::EditSyncParm, -9, 9, 1, "-9", "+9"},
  };
  for (const auto& r : rows) {
    Settings s;
    s.Receiver = kOtherReceiver;
    SettingsDialog d(s, "");
    d.FormShow();
    for (int i = 0; i < 40; ++i) (d.*r.down)();
    EXPECT_EQ(d.*r.value, r.lo) << r.name;
    EXPECT_EQ(d.*r.text, r.loText) << r.name;
    (d.*r.up)();
    EXPECT_EQ(d.*r.value, r.lo + r.step) << r.name;
    for (int i = 0; i < 40; ++i) (d.*r.up)();
    EXPECT_EQ(d.*r.value, r.hi) << r.name;
    EXPECT_EQ(d.*r.text, r.hiText) << r.name;
  }
  // The shown formats of the defaults.
  Settings s;
  SettingsDialog d(s, "");
  d.FormShow();
  EXPECT_EQ(d.EditTimeZone, " +9");
  EXPECT_EQ(d.EditNtpIntv, " 10");
  EXPECT_EQ(d.EditSyncParm, "+0");
  // The settings change only on "設定".
  d.CSpinButtonTimeZoneUpClick();
  EXPECT_EQ(s.TimeZone, 9);
}

TEST(SettingsDialogModel, ServerAddressChecks) {
  const std::string label63(63, 'a'), label64(64, 'a');
  // 107 characters of valid labels, and one more.
  const std::string long107 = std::string(63, 'b') + "." + std::string(43, 'c');
  const std::string long108 = long107 + "c";
  std::string wide40;
  for (int i = 0; i < 40; ++i) wide40 += "サ";
  const char* dup = "ＩＰアドレスが重複しています!!";
  const char* bad = "サーバのアドレスが正しくありません!!";
  const char* none = "サーバのアドレスを入力して下さい!!";
  const char* tooLong = "サーバのアドレスが長すぎます(107文字まで)!!";
  const struct {
    std::string own;
    int port;
    std::string typed;
    bool accepted;
    std::string stored;  // when accepted
    const char* box;     // message box, or nullptr
    const char* status;  // status bar after a refusal, or nullptr
  } rows[] = {
      {"192.168.1.10", 0, "192.168.1.10", false, "", dup, nullptr},
      {"192.168.1.10", 4, " 192.168.1.10\t", false, "", dup, nullptr},
      {"", 0, "", false, "", dup, nullptr},  // no network, no server
      {"", 0, "　", false, "", dup, nullptr},
      {"192.168.1.10", 0, "", true, "", nullptr, nullptr},
      {"192.168.1.10", 0, "  ", true, "", nullptr, nullptr},
      {"192.168.1.10", 4, "", false, "", nullptr, none},
      {"192.168.1.10", 4, " ntp.example.jp ", true, "ntp.example.jp", nullptr, nullptr},
      {"192.168.1.10", 4, "　10.0.0.1　", true, "10.0.0.1", nullptr, nullptr},
      {"192.168.1.10", 4, "host-1.example.", true, "host-1.example.", nullptr, nullptr},
      {"192.168.1.10", 4, "localhost", true, "localhost", nullptr, nullptr},
      {"192.168.1.10", 4, label63 + ".jp", true, label63 + ".jp", nullptr, nullptr},
      {"192.168.1.10", 4, long107, true, long107, nullptr, nullptr},
      {"192.168.1.10", 4, long108, false, "", nullptr, tooLong},
      {"192.168.1.10", 4, " " + long107 + " ", true, long107, nullptr, nullptr},
      {"192.168.1.10", 4, std::string(108, '1'), false, "", nullptr, tooLong},
      {"192.168.1.10", 4, wide40, false, "", nullptr, bad},  // 120 bytes, 40 characters
      {"192.168.1.10", 4, label64 + ".jp", false, "", nullptr, bad},
      {"192.168.1.10", 4, "ntp example.jp", false, "", nullptr, bad},
      {"192.168.1.10", 4, "-ntp.example.jp", false, "", nullptr, bad},
      {"192.168.1.10", 4, "ntp-.example.jp", false, "", nullptr, bad},
      {"192.168.1.10", 4, "ntp..example.jp", false, "", nullptr, bad},
      {"192.168.1.10", 4, ".example.jp", false, "", nullptr, bad},
      {"192.168.1.10", 4, "ntp_1.example.jp", false, "", nullptr, bad},
      {"192.168.1.10", 4, "1.2.3.999", false, "", nullptr, bad},
      {"192.168.1.10", 4, "10.0.0", false, "", nullptr, bad},
      {"192.168.1.10", 4, "サーバ.jp", false, "", nullptr, bad},
      {"192.168.1.10", 4, "ntp.example.jp;rm", false, "", nullptr, bad},
  };
  for (const auto& r : rows) {
    Settings s;
    s.Port = r.port;
    s.ServerIpAddr = "old.example.jp";
    FakeSettingsStore store;
    FakeMessageBoxes boxes;
    SettingsDialog d(s, r.own);
    d.FormShow();
    d.ComboBoxServerIpAddr = r.typed;
    d.CheckBoxAddregistory = true;
    const bool accepted = d.ButtonSetClick(store, boxes);
    ASSERT_EQ(accepted, r.accepted) << "'" << r.typed << "'";
    if (accepted) {
      EXPECT_EQ(s.ServerIpAddr, r.stored);
      EXPECT_EQ(std::get<std::string>(store.values.at("ServerIpAddr")), r.stored);
      continue;
    }
    EXPECT_EQ(s.ServerIpAddr, "old.example.jp") << r.typed;
    EXPECT_FALSE(store.exists) << r.typed;
    EXPECT_EQ(boxes.shown, r.box ? std::vector<std::string>{r.box} : std::vector<std::string>{})
        << r.typed;
    EXPECT_EQ(d.StatusBar, r.status ? r.status : SettingsDialog::kHint) << r.typed;
  }
}

// A fault on the status bar is told again at each press only while it holds.
TEST(SettingsDialogModel, AnEarlierFaultLeavesTheStatusBarOnceFixed) {
  Settings s;
  s.Port = kNetworkPort;
  FakeSettingsStore store;
  FakeMessageBoxes boxes;
  SettingsDialog d(s, "192.168.1.10");
  d.FormShow();
  d.ComboBoxServerIpAddr = "ntp..example.jp";
  EXPECT_FALSE(d.ButtonSetClick(store, boxes));
  EXPECT_EQ(d.StatusBar, "サーバのアドレスが正しくありません!!");
  // Now refused for another reason, told by a box alone.
  d.ComboBoxServerIpAddr = "192.168.1.10";
  EXPECT_FALSE(d.ButtonSetClick(store, boxes));
  EXPECT_EQ(boxes.shown, std::vector<std::string>{"ＩＰアドレスが重複しています!!"});
  EXPECT_EQ(d.StatusBar, SettingsDialog::kHint);
  d.ComboBoxServerIpAddr = "";
  EXPECT_FALSE(d.ButtonSetClick(store, boxes));
  EXPECT_EQ(d.StatusBar, "サーバのアドレスを入力して下さい!!");
  d.ComboBoxServerIpAddr = "ntp.example.jp";
  EXPECT_TRUE(d.ButtonSetClick(store, boxes));
  EXPECT_EQ(d.StatusBar, SettingsDialog::kHint);
}

TEST(SerialSetupDialogModel, EditsACopyAndHandsItBackWhole) {
  Settings s;
  s.Receiver = kOtherReceiver;
  s.serial = SerialParams{3, 5, 1, 0, 0, 2};
  SettingsDialog d(s, "");
  d.FormShow();

  SerialSetupDialog unchanged;
  const SerialSetupDialog::Items shown = unchanged.FormShow(s.serial);
  EXPECT_EQ(shown.BaudRateComboBox, 5);
  EXPECT_EQ(shown.FlowCtrlComboBox, 2);
  unchanged.OKBtnClick(shown);
  EXPECT_EQ(unchanged.Params(), s.serial);

  SerialSetupDialog serial;
  serial.FormShow(s.serial);
  serial.OKBtnClick({6, 0, 2, 2, 1});  // 9600, 7 bits, odd, 2 stop bits, Xon/Xoff
  EXPECT_EQ(s.serial, (SerialParams{3, 5, 1, 0, 0, 2}));  // a copy until handed back
  d.ButtonCommParmDone(serial.Params());
  EXPECT_EQ(s.serial, (SerialParams{3, 6, 0, 2, 2, 1}));
  EXPECT_EQ(SerialSetupDialog::kBaudRateItems[6], std::string("9600"));
}

// The main window with the dialog opened over it.
struct ApplyingSettings : ::testing::Test {
  FakePlatform fake{ReceiverTimeToNtpSeconds(2026, 1, 16, 3, 4, 5)};  // 12:04:05 local
  App app{fake.platform};
  void SetUp() override {
    FormCreate(app);
    FormShow(app);
  }
  // Opens the dialog, lets `change` act on it, presses "設定" and applies.
  bool SetThrough(const std::function<void(SettingsDialog&)>& change) {
    SettingsDialog d(app.settings, app.OwnIpAddress);
    d.FormShow();
    change(d);
    if (!d.ButtonSetClick(app.platform.settingsStore, app.platform.messageBoxes)) return false;
    ButtonParmSetApply(app, d);
    return true;
  }
};

TEST_F(ApplyingSettings, GT77ChosenAndStoredThenApplied) {
  app.network.schedule.NtpRequestCount = 1;
  app.settings.serial = SerialParams{0, 9, 0, 1, 1, 0};
  ASSERT_TRUE(SetThrough([](SettingsDialog& d) {
    d.ComboBoxReceiverChange(kGt77);
    d.CSpinButtonTimeZoneDownClick();
    d.CSpinButtonNtpIntvUpClick();
    d.CSpinButtonSyncParmUpClick();
    d.RadioGroupAutoAdjust = 0;
    d.RadioGroupAutoAdjustClick();
    d.RadioGroupBeepCond = 1;
    d.RadioGroupLanOpt = 0;
    d.ComboBoxServerIpAddr = "ntp.example.jp";
    d.CheckBoxServeLocalClock = true;
    d.CheckBoxAddregistory = true;
  }));
  const Settings& s = app.settings;
  EXPECT_EQ(s.Receiver, kGt77);
  EXPECT_EQ(s.dSec, 0);
  EXPECT_EQ(s.TimeZone, 8);
  EXPECT_EQ(s.NtpIntv, 15);
  EXPECT_EQ(s.SyncParm, 1);
  EXPECT_EQ(s.AutoAdjust, 0);
  EXPECT_EQ(s.BeepCond, 1);
  EXPECT_EQ(s.LanOpt, 0);
  EXPECT_EQ(s.ServerIpAddr, "ntp.example.jp");
  EXPECT_EQ(s.ServeLocalClock, 1);
  EXPECT_EQ(app.network.schedule.NtpRequestCount, 0);
  EXPECT_EQ(app.view.LabelJst, "LST");
  // The program's own local time follows the new zone at once.
  EXPECT_EQ(fake.clock.GetLocalTime().Hour, 11);

  // What was stored is what was applied, with the line the receiver set.
  Settings loaded;
  LoadSettings(fake.store, loaded);
  EXPECT_EQ(loaded.Receiver, kGt77);
  EXPECT_EQ(loaded.dSec, 0);
  EXPECT_EQ(loaded.TimeZone, 8);
  EXPECT_EQ(loaded.ServerIpAddr, "ntp.example.jp");
  EXPECT_EQ(loaded.ServeLocalClock, 1);
  EXPECT_EQ(loaded.serial, (SerialParams{0, 5, 1, 0, 0, 2}));
  EXPECT_EQ(fake.boxes.shown, std::vector<std::string>{"システムにQuorの情報を保存しました"});
}

// The key settings: a key number from 0 to 2147483647 (blank is 0), else
// the dialog stays open with the number at fault; the key file is read when
// the settings are applied, and the log tells how many keys, never a key.
TEST_F(ApplyingSettings, KeySettingsAreCheckedAndTheKeyFileRead) {
  for (const char* bad : {"x", "-1", "2147483648", "1 2", "99999999999"}) {
    SCOPED_TRACE(bad);
    SettingsDialog d(app.settings, app.OwnIpAddress);
    d.FormShow();
    d.EditServerKey = bad;
    EXPECT_FALSE(d.ButtonSetClick(fake.platform.settingsStore, fake.platform.messageBoxes));
    EXPECT_TRUE(d.ServerKeyFault);
    EXPECT_EQ(d.StatusBar, "鍵番号は 0 から 2147483647 までの数です!!");
    // Pressed again with the address at fault: the focus goes there alone.
    d.ComboBoxServerIpAddr = "bad address!";
    EXPECT_FALSE(d.ButtonSetClick(fake.platform.settingsStore, fake.platform.messageBoxes));
    EXPECT_TRUE(d.ServerAddrFault);
    EXPECT_FALSE(d.ServerKeyFault);
  }
  char dir[] = "/tmp/quor-keys.XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string path = std::string(dir) + "/ntp.keys";
  std::ofstream(path) << "1 MD5 first-secret\n2 SHA1 HEX:00112233445566778899\n3 XYZ third-secret\n";
  chmod(path.c_str(), 0600);
  ASSERT_TRUE(SetThrough([&path](SettingsDialog& d) {
    d.EditKeyFile = "  " + path + " ";
    d.EditServerKey = " 2 ";
  }));
  EXPECT_EQ(app.settings.KeyFile, path);
  EXPECT_EQ(app.settings.ServerKey, 2);
  EXPECT_EQ(app.keys.Size(), 2u);
  std::string memo;
  for (const std::string& line : app.log.MemoLog()) memo += line + "\n";
  EXPECT_NE(memo.find("鍵ファイル " + path + " の 3 行目を使いません"), std::string::npos) << memo;
  EXPECT_NE(memo.find("鍵ファイル " + path + " から鍵を 2 個読みました"), std::string::npos) << memo;
  EXPECT_EQ(memo.find("secret"), std::string::npos);
  EXPECT_EQ(memo.find("0011223344"), std::string::npos);

  // Opened to others: refused whole, no keys kept.
  chmod(path.c_str(), 0644);
  ASSERT_TRUE(SetThrough([](SettingsDialog& d) { EXPECT_EQ(d.EditServerKey, "2"); }));
  EXPECT_EQ(app.keys.Size(), 0u);
  EXPECT_NE(app.log.MemoLog().back().find("所有者以外も開けるため使いません"), std::string::npos);
  std::remove(path.c_str());
  rmdir(dir);
}

TEST_F(ApplyingSettings, AStoredSecondCorrectionOfAFixedKindIsReplaced) {
  app.settings.Receiver = kCca370h;
  app.settings.dSec = 4;
  ASSERT_TRUE(SetThrough([](SettingsDialog& d) { EXPECT_EQ(d.EditdSec, "+0"); }));
  EXPECT_EQ(app.settings.dSec, 0);
}

TEST_F(ApplyingSettings, LoggingSwitchedOnOpensANewFileAtOnce) {
  ASSERT_EQ(app.settings.IsLogOut, 0);
  ASSERT_FALSE(fake.logFile.IsOpen());
  ASSERT_TRUE(SetThrough([](SettingsDialog& d) { d.CheckBoxLogOut = true; }));
  EXPECT_EQ(app.settings.IsLogOut, 1);
  EXPECT_TRUE(fake.logFile.IsOpen());
  EXPECT_EQ(fake.logFile.openedName, "Quor01161204.log");
  EXPECT_EQ(fake.logFile.lines, std::vector<std::string>{"12:04:05  Quorログ開始"});

  // Switched off: nothing more goes to the file, which stays open.
  ASSERT_TRUE(SetThrough([](SettingsDialog& d) { d.CheckBoxLogOut = false; }));
  EXPECT_EQ(app.settings.IsLogOut, 0);
  app.LogWithPcTime("何か");
  EXPECT_EQ(fake.logFile.lines.size(), 1u);
  EXPECT_TRUE(fake.logFile.IsOpen());
}

TEST_F(ApplyingSettings, ALogFileThatCannotBeOpenedIsTold) {
  fake.logFile.failOpen = true;
  ASSERT_TRUE(SetThrough([](SettingsDialog& d) { d.CheckBoxLogOut = true; }));
  EXPECT_EQ(fake.boxes.shown, std::vector<std::string>{"ログファイルのオープンに失敗"});
  EXPECT_EQ(app.settings.IsLogOut, 1);
  EXPECT_EQ(app.log.MemoLog().back(), "12:04:05  Quorログ開始");
}

// Settings that could not be stored are neither taken as applied nor half
// taken over; a second press, stored or not, applies them.
TEST_F(ApplyingSettings, AFailedStoreKeepsTheDialogOpenForARetry) {
  const Settings before = app.settings;
  fake.store.failWrite = true;
  SettingsDialog d(app.settings, app.OwnIpAddress);
  d.FormShow();
  d.CSpinButtonTimeZoneDownClick();
  d.ComboBoxServerIpAddr = "ntp.example.jp";
  d.CheckBoxAddregistory = true;
  EXPECT_FALSE(d.ButtonSetClick(fake.platform.settingsStore, fake.platform.messageBoxes));
  EXPECT_EQ(fake.boxes.shown, std::vector<std::string>{"システムにQuorの情報を保存できませんでした"});
  EXPECT_EQ(d.StatusBar, SettingsDialog::kNotStored);
  EXPECT_FALSE(d.ServerAddrFault);
  EXPECT_EQ(app.settings.ServerIpAddr, before.ServerIpAddr);
  EXPECT_EQ(app.settings.TimeZone, before.TimeZone);

  fake.store.failWrite = false;
  ASSERT_TRUE(d.ButtonSetClick(fake.platform.settingsStore, fake.platform.messageBoxes));
  ButtonParmSetApply(app, d);
  EXPECT_EQ(app.settings.ServerIpAddr, "ntp.example.jp");
  EXPECT_EQ(app.settings.TimeZone, before.TimeZone - 1);
  Settings loaded;
  LoadSettings(fake.store, loaded);
  EXPECT_EQ(loaded.ServerIpAddr, "ntp.example.jp");
}

TEST_F(ApplyingSettings, ACancelKeepsAllButTheLine) {
  const Settings before = app.settings;
  {
    SettingsDialog d(app.settings, app.OwnIpAddress);
    d.FormShow();
    d.ComboBoxReceiverChange(kCca370h);
    d.ComboBoxPortChange(kNetworkPort);
    d.CSpinButtonTimeZoneUpClick();
    d.ComboBoxServerIpAddr = "ntp.example.jp";
    d.CheckBoxLogOut = true;
  }
  EXPECT_EQ(app.settings.serial, (SerialParams{0, 5, 1, 0, 2, 2}));
  EXPECT_EQ(app.settings.Receiver, before.Receiver);
  EXPECT_EQ(app.settings.Port, before.Port);
  EXPECT_EQ(app.settings.TimeZone, before.TimeZone);
  EXPECT_EQ(app.settings.ServerIpAddr, before.ServerIpAddr);
  EXPECT_EQ(app.settings.IsLogOut, 0);
  EXPECT_FALSE(fake.logFile.IsOpen());
}

}  // namespace

namespace {

// Who may ask what, set in the dialog and applied to the servers' rules; a
// bad allow list is refused with its own message, and the server may be
// none of the PC's addresses, IPv6 ones included.
TEST_F(ApplyingSettings, AccessSettingsAreCheckedAndApplied) {
  std::vector<std::string> own;
  for (const OwnAddress& a : app.OwnAddresses) {
    if (!a.loopback) own.push_back(a.address);
  }
  const auto press = [&](const std::function<void(SettingsDialog&)>& change) {
    SettingsDialog d(app.settings, app.OwnIpAddress, own);
    d.FormShow();
    change(d);
    const bool ok = d.ButtonSetClick(app.platform.settingsStore, app.platform.messageBoxes);
    if (ok) ButtonParmSetApply(app, d);
    return std::make_pair(ok, d.StatusBar);
  };
  for (const char* server : {"2001:db8:1::10", "2001:DB8:1:0::10", "fe80::10%eth0"}) {
    SCOPED_TRACE(server);
    fake.boxes.shown.clear();
    EXPECT_FALSE(press([&](SettingsDialog& d) { d.ComboBoxServerIpAddr = server; }).first);
    EXPECT_EQ(fake.boxes.shown, std::vector<std::string>{"ＩＰアドレスが重複しています!!"});
  }
  const auto bad = press([](SettingsDialog& d) { d.EditNtpAllow = "192.168.0.0/16 nas.local"; });
  EXPECT_FALSE(bad.first);
  EXPECT_EQ(bad.second, SettingsDialog::kBadNtpAllow);
  EXPECT_EQ(app.settings.NtpAllow, "");

  ASSERT_TRUE(press([](SettingsDialog& d) {
                d.ComboBoxServerIpAddr = "2001:db8:2::123";
                d.ComboBoxLanAccess = 2;
                d.EditNtpAllow = " 192.168.0.0/16, fd00::/8 ";
                d.CheckBoxLogRequests = false;
              }).first);
  EXPECT_EQ(app.settings.ServerIpAddr, "2001:db8:2::123");
  EXPECT_EQ(app.settings.LanAccess, 2);
  EXPECT_EQ(app.settings.NtpAllow, "192.168.0.0/16, fd00::/8");
  EXPECT_EQ(app.settings.LogRequests, 0);
  EXPECT_FALSE(app.access.LanMayAsk("192.168.1.2"));
  EXPECT_TRUE(app.access.NtpMayAsk("fd00::5"));
  EXPECT_FALSE(app.access.NtpMayAsk("10.0.0.5"));

  // The dialog shows them again at the next opening.
  SettingsDialog again(app.settings, app.OwnIpAddress, own);
  again.FormShow();
  EXPECT_EQ(again.ComboBoxLanAccess, 2);
  EXPECT_EQ(again.EditNtpAllow, "192.168.0.0/16, fd00::/8");
  EXPECT_FALSE(again.CheckBoxLogRequests);
}

}  // namespace
