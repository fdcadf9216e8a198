// Commands from the real program to gpssim through a pseudo-terminal, with
// the program's real adapters and windows: the simulated receiver obeys, and
// what it then sends shows in the window. The test process has dropped the
// right to set the clock.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <ctime>
#include <functional>
#include <memory>
#include <set>

#include "app/app.h"
#include "app/receiver_commands.h"
#include "ui/desktop_platform.h"
#include "ui/tmainform.h"

namespace {

// gpssim on a pseudo-terminal as COM1 and the program connected to it. The
// lines gpssim prints for the commands it receives are kept with the time
// they came.
class PtySession {
 public:
  PtySession(const char* receiver, const char* conf) {
    EXPECT_TRUE(dir_.isValid());
    const QString link = dir_.filePath("gps0");
    sim_.setReadChannel(QProcess::StandardError);
    QObject::connect(&sim_, &QProcess::readyReadStandardError, [this] { TakeSimLines(); });
    sim_.start(QUOR_GPSSIM, {"--receiver", receiver, "--link", link, "--seconds", "120",
                             "--verbose"});
    EXPECT_TRUE(sim_.waitForStarted(5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(link); }, 5000));

    QDir().mkpath(dir_.filePath("config"));
    QFile file(dir_.filePath("config/Quor.conf"));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(conf);
    file.close();
    qputenv("XDG_CONFIG_HOME", dir_.filePath("config").toUtf8());
    qputenv("QUOR_COM1", link.toUtf8());
    qputenv("TZ", "JST-9");
    tzset();
    previousDir_ = QDir::currentPath();
    QDir::setCurrent(dir_.path());

    desktop_ = std::make_unique<DesktopPlatform>(&context_);
    app_ = std::make_unique<App>(desktop_->platform);
    form_ = std::make_unique<TMainForm>(*app_);
    desktop_->poster.SetAfterEach([this] { form_->Refresh(); });
    desktop_->timers.SetAfterEach([this] { form_->Refresh(); });
    desktop_->messageBoxes.SetOwner(form_.get());
    form_->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
    clock_.start();
    QTest::mouseClick(Button("ButtonConnect"), Qt::LeftButton);
  }

  ~PtySession() {
    if (app_->tick.Connected) QTest::mouseClick(Button("ButtonConnect"), Qt::LeftButton);
    form_->close();
    form_.reset();
    app_.reset();
    desktop_.reset();
    QDir::setCurrent(previousDir_);
    sim_.terminate();
    sim_.waitForFinished(3000);
  }

  App& app() { return *app_; }
  QPushButton* Button(const char* name) { return form_->findChild<QPushButton*>(name); }
  QString Status() { return form_->findChild<QStatusBar*>("StatusBar")->currentMessage(); }
  QString Shown(const char* edit) { return form_->findChild<QLineEdit*>(edit)->text(); }
  bool WaitForStatus(const QString& text, int ms) {
    return QTest::qWaitFor([&] { return Status() == text; }, ms);
  }

  // Clicks "ｺﾏﾝﾄﾞ..." and works the dialog that opens. A message box that
  // the command shows instead is a failure; it is closed so the test goes on.
  void UseCommandDialog(const std::function<void(QWidget&)>& use) {
    QTimer::singleShot(0, [use] {
      QWidget* dialog = QApplication::activeModalWidget();
      ASSERT_NE(dialog, nullptr);
      ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
      use(*dialog);
      QTimer::singleShot(500, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
          ADD_FAILURE() << "message box: " << box->text().toStdString();
          box->close();
        }
      });
    });
    Button("ButtonSendComm")->click();
  }

  struct SimLine {
    double at;  // seconds since connecting
    QString text;
  };
  // gpssim's lines for the commands received so far, containing `text`.
  std::vector<SimLine> SimLines(const QString& text) const {
    std::vector<SimLine> found;
    for (const SimLine& l : simLines_) {
      if (l.text.contains(text)) found.push_back(l);
    }
    return found;
  }

 private:
  void TakeSimLines() {
    while (sim_.canReadLine()) {
      const QString line = QString::fromUtf8(sim_.readLine()).trimmed();
      simLines_.push_back({clock_.elapsed() / 1000.0, line});
    }
  }

  QTemporaryDir dir_;
  QProcess sim_;
  QString previousDir_;
  QObject context_;
  std::unique_ptr<DesktopPlatform> desktop_;
  std::unique_ptr<App> app_;
  std::unique_ptr<TMainForm> form_;
  QElapsedTimer clock_;
  std::vector<SimLine> simLines_;
};

void Click(QWidget& dialog, const char* name) {
  auto* button = dialog.findChild<QAbstractButton*>(name);
  ASSERT_NE(button, nullptr) << name;
  button->click();
}

TEST(CommandsThroughAPseudoTerminal, JupiterToBinaryAndBackWhileTheWindowKeepsTicking) {
  PtySession s("jupiter-nmea", "[General]\nReceiver=0\n");
  ASSERT_TRUE(s.WaitForStatus("受信中(NMEA)", 20000)) << s.Status().toStdString();
  ASSERT_TRUE(QTest::qWaitFor([&] { return s.Button("ButtonSendComm")->isEnabled(); }, 5000));

  s.UseCommandDialog([](QWidget& d) {
    Click(d, "RadioGroupCommandItem1");
    Click(d, "ButtonSend");
  });
  EXPECT_EQ(s.Status().toStdString(), "バイナリーフォーマットへ切替中");
  EXPECT_FALSE(s.Button("ButtonSendComm")->isEnabled());
  // The time goes on being shown during the 5 s wait.
  std::set<QString> shown;
  QElapsedTimer wait;
  wait.start();
  while (wait.elapsed() < 4000) {
    shown.insert(s.Shown("EditJst"));
    QTest::qWait(50);
  }
  EXPECT_GE(shown.size(), 3u);
  // The receiver answers in binary while the command still waits; the button
  // comes back with the first usable data after the switch.
  ASSERT_TRUE(s.WaitForStatus("受信中(ﾊﾞｲﾅﾘ)", 20000)) << s.Status().toStdString();
  EXPECT_EQ(s.SimLines("RBIN -> binary mode").size(), 1u);
  ASSERT_TRUE(QTest::qWaitFor([&] { return s.Button("ButtonSendComm")->isEnabled(); }, 10000));
  ASSERT_TRUE(s.WaitForStatus("受信中(ﾊﾞｲﾅﾘ)", 10000)) << s.Status().toStdString();
  s.UseCommandDialog([](QWidget& d) {
    Click(d, "RadioGroupCommandItem0");
    Click(d, "ButtonSend");
  });
  EXPECT_EQ(s.Status().toStdString(), "ＮＭＥＡモードへ切替中");
  ASSERT_TRUE(s.WaitForStatus("受信中(NMEA)", 20000)) << s.Status().toStdString();
  EXPECT_EQ(s.SimLines("Jupiter 1331 data 0 0 1 -> NMEA mode").size(), 1u);
  ASSERT_TRUE(QTest::qWaitFor([&] { return s.Button("ButtonSendComm")->isEnabled(); }, 10000));
  EXPECT_TRUE(s.WaitForStatus("受信中(NMEA)", 10000)) << s.Status().toStdString();
}

TEST(CommandsThroughAPseudoTerminal, Gt77StartupPairAndASentenceSelection) {
  PtySession s("gt77", "[General]\nReceiver=1\nBaseMesg=0\n");
  ASSERT_TRUE(QTest::qWaitFor([&] { return s.SimLines("GPsrq").size() == 1; }, 20000));
  const auto tps = s.SimLines("$PFEC,GPint,tps01");
  const auto srq = s.SimLines("$PFEC,GPsrq");
  ASSERT_EQ(tps.size(), 1u);
  EXPECT_NEAR(srq[0].at - tps[0].at, 1.0, 0.3);
  ASSERT_TRUE(s.WaitForStatus("受信中(NMEA)", 10000)) << s.Status().toStdString();
  ASSERT_TRUE(s.Button("ButtonSendComm")->isEnabled());

  // The test list shows every received sentence from now on.
  TestDialogModel& list = s.app().testDialog;
  list.TestDialogShown = list.DisplayOn = true;
  list.RadioGroupMode = 0;
  auto seen = [&](const char* name) {
    for (const std::string& row : list.ListBoxMesg) {
      if (row.rfind(name, 0) == 0) return true;
    }
    return false;
  };
  ASSERT_TRUE(QTest::qWaitFor([&] { return seen("$GPRMC"); }, 5000));
  EXPECT_FALSE(seen("$GPZDA"));

  s.UseCommandDialog([](QWidget& d) {
    Click(d, "CheckBoxRMC");
    Click(d, "CheckBoxZDA");
    Click(d, "ButtonSend");
  });
  ASSERT_TRUE(QTest::qWaitFor([&] { return s.SimLines("GPint,RMC00,ZDA01").size() == 1; }, 3000));
  list.ListBoxMesg.clear();
  ASSERT_TRUE(QTest::qWaitFor([&] { return seen("$GPZDA") && seen("$GPGGA"); }, 5000));
  QTest::qWait(1500);
  EXPECT_TRUE(seen("$GPZDA"));
  EXPECT_FALSE(seen("$GPRMC"));
  EXPECT_EQ(s.SimLines("$PFEC,GPrrs,0,100,1").size(), 1u);
  const bool rmc = s.app().session->cfg.SentenceEnabled[ReceiverConfig::kRmc];
  EXPECT_FALSE(rmc);
}

}  // namespace
