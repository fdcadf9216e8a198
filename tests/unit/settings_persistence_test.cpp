#include "settings/settings_persistence.h"

#include <gtest/gtest.h>

#include "fakes/fake_platform.h"

namespace {

TEST(SettingsPersistence, FirstStartGivesEveryDefault) {
  FakeSettingsStore store;
  Settings s;
  LoadSettings(store, s);
  EXPECT_EQ(s.Port, 0);
  EXPECT_EQ(s.dSSS, 3);
  EXPECT_EQ(s.Receiver, 0);
  EXPECT_EQ(s.dSec, 2);
  EXPECT_EQ(s.TimeZone, 9);
  EXPECT_EQ(s.NtpIntv, 10);
  EXPECT_EQ(s.SyncParm, 0);
  EXPECT_EQ(s.AutoAdjust, 1);
  EXPECT_EQ(s.BaseMesg, 0);
  EXPECT_EQ(s.BeepCond, 2);
  EXPECT_EQ(s.LanOpt, 1);
  EXPECT_EQ(s.IsLogOut, 0);
  EXPECT_EQ(s.FreqAdjust, 1);
  EXPECT_EQ(s.ServerIpAddr, "");
  EXPECT_EQ(s.serial, (SerialParams{0, 5, 1, 0, 0, 2}));
}

TEST(SettingsPersistence, StoreThenLoadGivesEveryValueBack) {
  FakeSettingsStore store;
  FakeMessageBoxes boxes;
  Settings s;
  s.Port = 3; s.dSSS = 7; s.Receiver = 4; s.dSec = -9; s.TimeZone = -13; s.NtpIntv = 60;
  s.SyncParm = -3; s.AutoAdjust = 0; s.BaseMesg = 1; s.BeepCond = 0; s.LanOpt = 0; s.IsLogOut = 1;
  s.ServeLocalClock = 1;
  s.FreqAdjust = 0;
  s.LanAccess = 2; s.NtpAllow = "192.168.0.0/16 2001:db8::/32"; s.LogRequests = 0; s.LogKeepDays = 7;
  s.ServerIpAddr = " ntp.example.jp  ";
  s.KeyFile = "/etc/quor/ntp.keys";
  s.ServerKey = 2147483647;
  s.serial = SerialParams{0, 12, 0, 4, 2, 1};
  StoreSettings(store, s, boxes);
  ASSERT_EQ(boxes.shown, std::vector<std::string>{"システムにQuorの情報を保存しました"});
  EXPECT_EQ(store.values.size(), 26u);

  Settings loaded;
  LoadSettings(store, loaded);
  EXPECT_EQ(loaded.Port, 3); EXPECT_EQ(loaded.dSSS, 7); EXPECT_EQ(loaded.Receiver, 4);
  EXPECT_EQ(loaded.dSec, -9); EXPECT_EQ(loaded.TimeZone, -13); EXPECT_EQ(loaded.NtpIntv, 60);
  EXPECT_EQ(loaded.SyncParm, -3); EXPECT_EQ(loaded.AutoAdjust, 0); EXPECT_EQ(loaded.BaseMesg, 1);
  EXPECT_EQ(loaded.BeepCond, 0); EXPECT_EQ(loaded.LanOpt, 0); EXPECT_EQ(loaded.IsLogOut, 1);
  EXPECT_EQ(loaded.ServeLocalClock, 1);
  EXPECT_EQ(loaded.FreqAdjust, 0);
  EXPECT_EQ(loaded.LanAccess, 2); EXPECT_EQ(loaded.NtpAllow, "192.168.0.0/16 2001:db8::/32");
  EXPECT_EQ(loaded.LogRequests, 0); EXPECT_EQ(loaded.LogKeepDays, 7);
  EXPECT_EQ(loaded.ServerIpAddr, " ntp.example.jp  ");
  EXPECT_EQ(loaded.KeyFile, "/etc/quor/ntp.keys");
  EXPECT_EQ(loaded.ServerKey, 2147483647);
  EXPECT_EQ(loaded.serial, (SerialParams{0, 12, 0, 4, 2, 1}));
}

TEST(SettingsPersistence, DeleteTwiceGivesTheSecondMessage) {
  FakeSettingsStore store;
  FakeMessageBoxes boxes;
  StoreSettings(store, Settings{}, boxes);
  DeleteStoredSettings(store, boxes);
  DeleteStoredSettings(store, boxes);
  EXPECT_EQ(boxes.shown, (std::vector<std::string>{"システムにQuorの情報を保存しました",
                                                   "システムからQuorの情報を削除しました",
                                                   "システムにQuorの情報はありませんでした"}));
  Settings s;
  s.Port = 2;
  LoadSettings(store, s);
  EXPECT_EQ(s.Port, 2);  // nothing stored: the running value stays
}

TEST(SettingsPersistence, BadStoredValuesKeepTheirDefaults) {
  FakeSettingsStore store;
  store.exists = true;
  store.values = {
      {"Port", 9},            {"dSSS", -1},          {"Receiver", std::string("1")},
      {"dSec", 10},           {"TimeZone", 14},      {"NtpIntv", 7},
      {"SyncParm", -10},      {"AutoAdjust", 2},     {"BaseMesg", std::string("x")},
      {"BeepCond", 3},        {"LanOpt", -1},        {"IsLogOut", 1000000},
      {"ServerIpAddr", 42},   {"boudRate", 20},      {"dataBits", 2},
      {"parityType", 0x105},  {"stopBits", 0x3},     {"FreqAdjust", 2},
      /* flowCntl missing */
      {"ServerKey", -1},      {"KeyFile", std::string(5000, '/')},
      {"LanAccess", 3},       {"NtpAllow", 7},       {"LogRequests", 2},
      {"LogKeepDays", 0},
  };
  Settings s;
  s.Receiver = kOtherReceiver;  // a kind that fixes no line, so the line read is what is seen
  LoadSettings(store, s);
  EXPECT_EQ(s.Port, 0); EXPECT_EQ(s.dSSS, 3); EXPECT_EQ(s.Receiver, kOtherReceiver); EXPECT_EQ(s.dSec, 2);
  EXPECT_EQ(s.TimeZone, 9); EXPECT_EQ(s.NtpIntv, 10); EXPECT_EQ(s.SyncParm, 0);
  EXPECT_EQ(s.AutoAdjust, 1); EXPECT_EQ(s.BaseMesg, 0); EXPECT_EQ(s.BeepCond, 2);
  EXPECT_EQ(s.LanOpt, 1); EXPECT_EQ(s.IsLogOut, 0); EXPECT_EQ(s.ServerIpAddr, "");
  EXPECT_EQ(s.ServerKey, 0); EXPECT_EQ(s.KeyFile, "");
  EXPECT_EQ(s.FreqAdjust, 1);
  EXPECT_EQ(s.LanAccess, 0); EXPECT_EQ(s.NtpAllow, ""); EXPECT_EQ(s.LogRequests, 1);
  EXPECT_EQ(s.LogKeepDays, 31);
  // The one-byte values are read as their low byte (0x105 -> 5 is still out of range).
  EXPECT_EQ(s.serial, (SerialParams{0, 5, 1, 0, 0, 2}));

  store.values["parityType"] = 0x102;
  store.values["ServerIpAddr"] = std::string(200, 'a');
  LoadSettings(store, s);
  EXPECT_EQ(s.serial.parityType, 2);
  EXPECT_EQ(s.ServerIpAddr, std::string(107, 'a'));
}

TEST(SettingsPersistence, AFixedReceiverKindOverridesAHandWrittenLine) {
  // Each file names a kind and holds a second correction and a line of its
  // own (14400 baud, 7 data bits, even parity, 1.5 stop bits, hardware flow
  // control) on COM3.
  struct Case {
    int32_t kind;
    int32_t dSec;
    SerialParams serial;
  } const cases[] = {
      {kJupiter, 2, {0, 5, 1, 0, 0, 2}},
      {kGt77, 0, {0, 5, 1, 0, 0, 2}},
      {kCca370h, 0, {0, 5, 1, 0, 2, 2}},
      {kGarminStd, 1, {0, 5, 1, 0, 2, 2}},
      {kOtherReceiver, -7, {0, 7, 0, 1, 1, 0}},  // free: the file's values stay
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    FakeSettingsStore store;
    store.exists = true;
    store.values = {{"Port", 2},     {"Receiver", c.kind}, {"dSec", -7},     {"boudRate", 7},
                    {"dataBits", 0}, {"parityType", 1},    {"stopBits", 1}, {"flowCntl", 0}};
    Settings s;
    s.serial.PortIndex = 2;
    LoadSettings(store, s);
    EXPECT_EQ(s.Port, 2);
    EXPECT_EQ(s.Receiver, c.kind);
    EXPECT_EQ(s.dSec, c.dSec);
    SerialParams want = c.serial;
    want.PortIndex = 2;  // the port index is not the kind's to set
    EXPECT_EQ(s.serial, want);
  }
}

TEST(SettingsPersistence, AFailedStoreIsToldNotHidden) {
  FakeSettingsStore store;
  store.failWrite = true;
  FakeMessageBoxes boxes;
  StoreSettings(store, Settings{}, boxes);
  EXPECT_EQ(boxes.shown, std::vector<std::string>{"システムにQuorの情報を保存できませんでした"});
}

}  // namespace
