#include "settings/settings_persistence.h"

#include <cstdint>

#include "settings/fixed_receiver_line.h"

namespace {

template <typename T>
void ReadRanged(SettingsStore& store, const char* name, T& field, int32_t lo, int32_t hi) {
  if (auto v = store.ReadInt(name); v && *v >= lo && *v <= hi) field = static_cast<T>(*v);
}

}  // namespace

void LoadSettings(SettingsStore& store, Settings& s) {
  if (!store.Exists()) return;
  ReadRanged(store, "Port", s.Port, 0, 4);
  ReadRanged(store, "dSSS", s.dSSS, 0, 9);
  ReadRanged(store, "Receiver", s.Receiver, 0, 4);
  ReadRanged(store, "dSec", s.dSec, -9, 9);
  ReadRanged(store, "TimeZone", s.TimeZone, -13, 13);
  if (auto v = store.ReadInt("NtpIntv"); v && *v >= 0 && *v <= 60 && *v % 5 == 0) s.NtpIntv = *v;
  ReadRanged(store, "SyncParm", s.SyncParm, -9, 9);
  ReadRanged(store, "AutoAdjust", s.AutoAdjust, 0, 1);
  ReadRanged(store, "BaseMesg", s.BaseMesg, 0, 1);
  ReadRanged(store, "BeepCond", s.BeepCond, 0, 2);
  ReadRanged(store, "LanOpt", s.LanOpt, 0, 1);
  ReadRanged(store, "IsLogOut", s.IsLogOut, 0, 1);
  ReadRanged(store, "ServeLocalClock", s.ServeLocalClock, 0, 1);
  ReadRanged(store, "FreqAdjust", s.FreqAdjust, 0, 1);
  ReadRanged(store, "LanAccess", s.LanAccess, 0, 2);
  s.NtpAllow = store.ReadString("NtpAllow").value_or("");
  if (s.NtpAllow.size() > Settings::kNtpAllowMax) s.NtpAllow.resize(Settings::kNtpAllowMax);
  ReadRanged(store, "LogRequests", s.LogRequests, 0, 1);
  ReadRanged(store, "LogKeepDays", s.LogKeepDays, 1, Settings::kLogKeepDaysMax);
  // A missing server text reads as empty text.
  s.ServerIpAddr = store.ReadString("ServerIpAddr").value_or("");
  if (s.ServerIpAddr.size() > Settings::kServerAddrMax) s.ServerIpAddr.resize(Settings::kServerAddrMax);
  // A cut path would name another file: one too long is not taken.
  if (auto v = store.ReadString("KeyFile"); v && v->size() <= Settings::kKeyFileMax) s.KeyFile = *v;
  ReadRanged(store, "ServerKey", s.ServerKey, 0, INT32_MAX);
  ReadRanged(store, "boudRate", s.serial.boudRate, 0, 12);
  ReadRanged(store, "dataBits", s.serial.dataBits, 0, 1);
  // The two one-byte settings are stored zero-extended and read as their low byte.
  if (auto v = store.ReadInt("parityType"); v && (*v & 0xFF) <= 4) s.serial.parityType = *v & 0xFF;
  if (auto v = store.ReadInt("stopBits"); v && (*v & 0xFF) <= 2) s.serial.stopBits = *v & 0xFF;
  ReadRanged(store, "flowCntl", s.serial.flowCntl, 0, 2);
  // A hand-written file may name a kind and still hold another second
  // correction or line: the kind's own values win, as in the dialog.
  ApplyFixedReceiverLine(s.Receiver, s.dSec, s.serial);
}

bool StoreSettings(SettingsStore& store, const Settings& s, MessageBoxes& boxes) {
  const std::vector<SettingsStore::Entry> entries = {
      {"Port", s.Port},
      {"dSSS", s.dSSS},
      {"Receiver", s.Receiver},
      {"dSec", s.dSec},
      {"TimeZone", s.TimeZone},
      {"NtpIntv", s.NtpIntv},
      {"SyncParm", s.SyncParm},
      {"AutoAdjust", s.AutoAdjust},
      {"BaseMesg", s.BaseMesg},
      {"BeepCond", s.BeepCond},
      {"LanOpt", s.LanOpt},
      {"IsLogOut", s.IsLogOut},
      {"ServeLocalClock", s.ServeLocalClock},
      {"FreqAdjust", s.FreqAdjust},
      {"LanAccess", s.LanAccess},
      {"NtpAllow", s.NtpAllow},
      {"LogRequests", s.LogRequests},
      {"LogKeepDays", s.LogKeepDays},
      {"ServerIpAddr", s.ServerIpAddr},
      {"KeyFile", s.KeyFile},
      {"ServerKey", s.ServerKey},
      {"boudRate", s.serial.boudRate},
      {"dataBits", s.serial.dataBits},
      {"parityType", int32_t{s.serial.parityType}},
      {"stopBits", int32_t{s.serial.stopBits}},
      {"flowCntl", s.serial.flowCntl},
  };
  if (store.WriteAll(entries)) {
    boxes.Show("システムにQuorの情報を保存しました");
    return true;
  }
  // Failing silently would let the user believe the settings were kept.
  boxes.Show("システムにQuorの情報を保存できませんでした");
  return false;
}

void DeleteStoredSettings(SettingsStore& store, MessageBoxes& boxes) {
  switch (store.Delete()) {
    case SettingsStore::DeleteResult::kRemoved:
      boxes.Show("システムからQuorの情報を削除しました");
      break;
    case SettingsStore::DeleteResult::kNothingStored:
      boxes.Show("システムにQuorの情報はありませんでした");
      break;
    case SettingsStore::DeleteResult::kFailed:
      boxes.Show("システムからQuorの情報を削除できませんでした");
      break;
  }
}
