#include "platform/qt/qt_settings_store.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <filesystem>

#include "fakes/fake_platform.h"
#include "settings/settings_persistence.h"

namespace {

struct StoreFile : ::testing::Test {
  QString path;
  void SetUp() override {
    path = QDir::tempPath() + QString("/quor-store-%1/Quor.conf").arg(getpid());
    QFile::remove(path);
  }
  void TearDown() override { QDir(QDir::tempPath() + QString("/quor-store-%1").arg(getpid())).removeRecursively(); }
  void WriteRaw(const char* text) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
  }
};

TEST_F(StoreFile, RoundTripThroughTheFile) {
  QtSettingsStore store(path);
  FakeMessageBoxes boxes;
  EXPECT_FALSE(store.Exists());
  Settings s;
  s.Port = 2; s.Receiver = kOtherReceiver; s.TimeZone = -5; s.SyncParm = -9; s.IsLogOut = 1;
  s.ServerIpAddr = " a, b=c;\"x\" 日本 ";
  s.serial = SerialParams{0, 11, 0, 3, 1, 0};
  StoreSettings(store, s, boxes);
  EXPECT_TRUE(store.Exists());

  QtSettingsStore reopened(path);
  Settings loaded;
  LoadSettings(reopened, loaded);
  EXPECT_EQ(loaded.Port, 2);
  EXPECT_EQ(loaded.TimeZone, -5);
  EXPECT_EQ(loaded.SyncParm, -9);
  EXPECT_EQ(loaded.IsLogOut, 1);
  EXPECT_EQ(loaded.ServerIpAddr, s.ServerIpAddr);
  EXPECT_EQ(loaded.serial, s.serial);

  DeleteStoredSettings(reopened, boxes);
  DeleteStoredSettings(reopened, boxes);
  EXPECT_EQ(boxes.shown.back(), "システムにQuorの情報はありませんでした");
  EXPECT_FALSE(reopened.Exists());
}

TEST_F(StoreFile, HandEditedFileWithBadValuesLoadsDefaults) {
  WriteRaw("[General]\nPort=COM3\nReceiver=9\ndSec=99999999999\nTimeZone=-5\n"
           "ServerIpAddr=a, b\nboudRate=20\nstopBits=1\ngarbage line without equals\n");
  QtSettingsStore store(path);
  Settings s;
  s.Receiver = kOtherReceiver;  // a kind that fixes no line, so the line read is what is seen
  LoadSettings(store, s);
  EXPECT_EQ(s.Port, 0);
  EXPECT_EQ(s.Receiver, kOtherReceiver);
  EXPECT_EQ(s.dSec, 2);
  EXPECT_EQ(s.TimeZone, -5);       // the good value is taken
  EXPECT_EQ(s.ServerIpAddr, "");   // a list is not text
  EXPECT_EQ(s.serial.boudRate, 5);
  EXPECT_EQ(s.serial.stopBits, 1);
}

TEST_F(StoreFile, AnUnwritableStoreReportsFailure) {
  QtSettingsStore store("/proc/quor-cannot-write/Quor.conf");
  FakeMessageBoxes boxes;
  StoreSettings(store, Settings{}, boxes);
  EXPECT_EQ(boxes.shown, std::vector<std::string>{"システムにQuorの情報を保存できませんでした"});
}

// A removal that fails must say so: the store stays and loads at the next start.
TEST_F(StoreFile, ARemovalThatFailsSaysSoAndTheStoreStays) {
  ASSERT_TRUE(QDir().mkpath(path + "/inside"));  // Quor.conf is a directory
  QtSettingsStore store(path);
  FakeMessageBoxes boxes;
  DeleteStoredSettings(store, boxes);
  EXPECT_EQ(boxes.shown, std::vector<std::string>{"システムからQuorの情報を削除できませんでした"});
  EXPECT_TRUE(QFileInfo(path).isDir());

  // A settings directory that cannot be written (root would ignore this).
  QDir(path).removeRecursively();
  WriteRaw("[General]\nTimeZone=-5\n");
  const QString dir = QFileInfo(path).absolutePath();
  QFile::setPermissions(dir, QFile::ReadOwner | QFile::ExeOwner);
  if (geteuid() != 0) {
    boxes.shown.clear();
    DeleteStoredSettings(store, boxes);
    EXPECT_EQ(boxes.shown, std::vector<std::string>{"システムからQuorの情報を削除できませんでした"});
    Settings s;
    LoadSettings(store, s);
    EXPECT_EQ(s.TimeZone, -5);
  }
  QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

}  // namespace
