// "設定..." through the real windows: the settings dialog and the serial
// parameters dialog change the running settings, store them, and a restart
// over the same store loads them.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/app.h"
#include "fakes/fake_platform.h"
#include "platform/qt/qt_settings_store.h"
#include "ui/tformsetparm.h"
#include "ui/tmainform.h"
#include "ui/trs232setup.h"
#include "support/widget_find.h"

namespace {

void Click(QWidget& w, const char* name) {
  auto* b = Find<QAbstractButton>(w, name);
  ASSERT_TRUE(b);
  ASSERT_TRUE(b->isEnabled()) << name;
  b->click();
}

// Acts on the modal dialog of type D below `parent` once it is shown; a
// dialog the action leaves open is cancelled, so a failing check never
// leaves the test waiting.
template <typename D>
void WhenShown(QWidget* parent, std::function<void(D&)> act) {
  auto* timer = new QTimer(parent);
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, parent, [timer, parent, act] {
    D* dialog = parent->findChild<D*>();
    if (!dialog || !dialog->isVisible()) return;
    timer->stop();
    timer->deleteLater();
    act(*dialog);
    if (dialog->isVisible()) dialog->reject();
  });
  timer->start();
}

// The main window over the fakes, but with the real settings store in a
// directory of the test's own.
struct SettingsDialogWindows : ::testing::Test {
  QTemporaryDir dir;
  FakePlatform fake;
  QString path = dir.filePath("Quor.conf");

  struct Run {
    Run(FakePlatform& f, const QString& path)
        : store(path),
          platform{f.clock,     f.counter, f.boxes,   f.logFile, store, f.beeper,
                   f.clipboard, f.serial,  f.network, f.udp,     f.codec, f.timers,
                   f.drift},
          app(platform),
          form(app) {
      form.show();
      EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));
    }
    QtSettingsStore store;
    Platform platform;
    App app;
    TMainForm form;
  };
};

TEST_F(SettingsDialogWindows, ChangedAndStoredThenLoadedAtTheNextStart) {
  {
    Run run(fake, path);
    bool acted = false;
    WhenShown<TFormSetParm>(&run.form, [&](TFormSetParm& d) {
      acted = true;
      EXPECT_EQ(d.windowTitle().toStdString(), "Quor - 条件設定");
      EXPECT_EQ(Find<QLineEdit>(d, "EditMyIpAddr")->text(), "192.168.1.10");
      EXPECT_EQ(Find<QStatusBar>(d, "StatusBar")->currentMessage().toStdString(),
                SettingsDialog::kHint);
      EXPECT_EQ(Find<QComboBox>(d, "ComboBoxServerIpAddr")->count(), 6);
      EXPECT_TRUE(Find<QPushButton>(d, "ButtonSet")->isDefault());
      auto* receiver = Find<QComboBox>(d, "ComboBoxReceiver");
      QTest::keyClick(receiver, Qt::Key_Down);  // Ｊｕｐｉｔｅｒ -> GT-77
      EXPECT_EQ(receiver->currentText().toStdString(), "GT-77");
      EXPECT_EQ(Find<QLineEdit>(d, "EditdSec")->text(), "+0");
      EXPECT_FALSE(Find<QPushButton>(d, "ButtonCommParm")->isEnabled());
      Click(d, "CSpinButtonTimeZoneDown");
      Click(d, "CSpinButtonTimeZoneDown");
      EXPECT_EQ(Find<QLineEdit>(d, "EditTimeZone")->text(), " +7");
      Find<QComboBox>(d, "ComboBoxServerIpAddr")->setEditText(" ntp.example.jp ");
      EXPECT_EQ(Find<QComboBox>(d, "ComboBoxLanAccess")->currentText().toStdString(),
                "自ﾈｯﾄﾜｰｸ・ﾌﾟﾗｲﾍﾞｰﾄ");
      Find<QComboBox>(d, "ComboBoxLanAccess")->setCurrentIndex(1);
      Find<QLineEdit>(d, "EditNtpAllow")->setText("10.0.0.0/8 fd00::/8");
      EXPECT_TRUE(Find<QCheckBox>(d, "CheckBoxLogRequests")->isChecked());
      Click(d, "CheckBoxLogRequests");
      Click(d, "CheckBoxAddregistory");
      Click(d, "ButtonSet");
      EXPECT_FALSE(d.isVisible());
    });
    Click(run.form, "ButtonParmSet");
    ASSERT_TRUE(acted);
    EXPECT_EQ(fake.boxes.shown, std::vector<std::string>{"システムにQuorの情報を保存しました"});
    EXPECT_EQ(Find<QLabel>(run.form, "LabelJst")->text(), "LST");
    EXPECT_EQ(run.app.settings.Receiver, 1);
    EXPECT_EQ(run.app.settings.TimeZone, 7);

    QSettings conf(path, QSettings::IniFormat);
    EXPECT_EQ(conf.value("Receiver").toInt(), 1);
    EXPECT_EQ(conf.value("TimeZone").toInt(), 7);
    EXPECT_EQ(conf.value("dSec").toInt(), 0);
    EXPECT_EQ(conf.value("ServerIpAddr").toString(), "ntp.example.jp");
    EXPECT_EQ(conf.value("LanAccess").toInt(), 1);
    EXPECT_EQ(conf.value("NtpAllow").toString(), "10.0.0.0/8 fd00::/8");
    EXPECT_EQ(conf.value("LogRequests").toInt(), 0);
  }
  Run restarted(fake, path);
  EXPECT_EQ(restarted.app.settings.Receiver, 1);
  EXPECT_EQ(restarted.app.settings.TimeZone, 7);
  EXPECT_EQ(restarted.app.settings.dSec, 0);
  EXPECT_EQ(restarted.app.settings.ServerIpAddr, "ntp.example.jp");
  EXPECT_EQ(Find<QLabel>(restarted.form, "LabelJst")->text(), "LST");
}

TEST_F(SettingsDialogWindows, AFailedStoreKeepsTheDialogOpenAndACancelAppliesNothing) {
  ASSERT_TRUE(QDir().mkpath(path));  // a directory where the file would go
  Run run(fake, path);
  const int zone = run.app.settings.TimeZone;
  bool acted = false;
  WhenShown<TFormSetParm>(&run.form, [&](TFormSetParm& d) {
    acted = true;
    Click(d, "CSpinButtonTimeZoneDown");
    Find<QComboBox>(d, "ComboBoxServerIpAddr")->setEditText("ntp.example.jp");
    Click(d, "CheckBoxAddregistory");
    Click(d, "ButtonSet");
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(Find<QStatusBar>(d, "StatusBar")->currentMessage().toStdString(),
              SettingsDialog::kNotStored);
    Click(d, "ButtonCancel");
  });
  Click(run.form, "ButtonParmSet");
  ASSERT_TRUE(acted);
  EXPECT_EQ(fake.boxes.shown,
            std::vector<std::string>{"システムにQuorの情報を保存できませんでした"});
  EXPECT_EQ(run.app.settings.TimeZone, zone);
  EXPECT_EQ(run.app.settings.ServerIpAddr, "");
}

TEST_F(SettingsDialogWindows, SerialParametersStayAfterACancelAndABadAddressKeepsTheDialogOpen) {
  Run run(fake, path);
  bool acted = false;
  WhenShown<TFormSetParm>(&run.form, [&](TFormSetParm& d) {
    QTest::keyClick(Find<QComboBox>(d, "ComboBoxReceiver"), Qt::Key_End);  // その他
    EXPECT_TRUE(Find<QWidget>(d, "CSpinButtondSec")->isEnabled());
    WhenShown<TRs232Setup>(&d, [&](TRs232Setup& s) {
      acted = true;
      EXPECT_EQ(s.windowTitle().toStdString(), "Quor - 通信条件の設定");
      EXPECT_EQ(Find<QComboBox>(s, "BaudRateComboBox")->currentText(), "4800");
      Find<QComboBox>(s, "BaudRateComboBox")->setCurrentIndex(6);  // 9600
      Find<QComboBox>(s, "StopBitsComboBox")->setCurrentIndex(2);  // 2
      Click(s, "OKBtn");
    });
    Click(d, "ButtonCommParm");

    Find<QComboBox>(d, "ComboBoxServerIpAddr")->setEditText("ntp..example");
    Click(d, "ButtonSet");
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(Find<QStatusBar>(d, "StatusBar")->currentMessage().toStdString(),
              "サーバのアドレスが正しくありません!!");
    Click(d, "ButtonCancel");
  });
  Click(run.form, "ButtonParmSet");
  ASSERT_TRUE(acted);
  EXPECT_EQ(run.app.settings.serial, (SerialParams{0, 6, 1, 0, 2, 2}));
  EXPECT_EQ(run.app.settings.Receiver, 0);
  EXPECT_EQ(run.app.settings.ServerIpAddr, "");
  EXPECT_FALSE(QFileInfo::exists(path));
}

}  // namespace
