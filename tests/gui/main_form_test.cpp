#include <gtest/gtest.h>

#include <algorithm>

#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>

#include "app/app.h"
#include "fakes/fake_platform.h"
#include "ui/tformlog.h"
#include "ui/tmainform.h"
#include "support/widget_find.h"

namespace {

// The main window over the fakes, shown.
struct MainForm : ::testing::Test {
  FakePlatform fake;
  App app{fake.platform};
  TMainForm form{app};
  void SetUp() override {
    // As the program does: the window refreshes after each timer, the tick's too.
    fake.timers.SetAfterEach([this] { form.RefreshSoon(); });
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  }
};

TEST_F(MainForm, ShowsEveryControlWithItsTextAndStartState) {
  const struct { const char* name; const char* text; bool enabled; } buttons[] = {
      {"ButtonSyncPC", "同期", true},          {"ButtonServerInfo", "ﾓﾆﾀｰ", false},
      {"ButtonTestDlg", "ﾃｽﾄ...", false},      {"ButtonSendComm", "ｺﾏﾝﾄﾞ...", false},
      {"ButtonParmSet", "設定...", true},      {"ButtonToTaskTray", "ﾀｽｸﾄﾚｲへ", false},
      {"ButtonDispLog", "ﾛｸﾞを表示...", true}, {"ButtonConnect", "接続(&G)", true},
      {"ButtonEnd", "終了(&Q)", true},         {"ButtonReportTime", "報時(&R)", true},
      {"ButtonErrGraph", "誤差ｸﾞﾗﾌ...", true},
  };
  for (const auto& b : buttons) {
    auto* button = Find<QPushButton>(form, b.name);
    ASSERT_TRUE(button);
    EXPECT_EQ(button->text().toStdString(), b.text) << b.name;
    EXPECT_EQ(button->isEnabled(), b.enabled) << b.name;
  }
  EXPECT_TRUE(Find<QPushButton>(form, "ButtonConnect")->isDefault());
  for (const char* edit : {"EditJst", "EditUtc", "EditPcErr", "EditdSS", "EditStatus", "EditLong",
                           "EditLat", "EditAntena", "EditGeoid", "EditNumSat", "EditNumMsg"}) {
    Find<QLineEdit>(form, edit);
  }
  Find<QLabel>(form, "LabelPpsCtr");
  Find<QLabel>(form, "LabelMapDatum");
  Find<QWidget>(form, "CSpinButtondSS");
  EXPECT_EQ(Find<QLabel>(form, "LabelJst")->text(), "JST");
  EXPECT_EQ(Find<QLineEdit>(form, "EditdSS")->text(), "+30");
  EXPECT_EQ(Find<QStatusBar>(form, "StatusBar")->currentMessage().toStdString(),
            "オフライン、ＰＣの時刻を表示中");
  EXPECT_TRUE(form.windowTitle().startsWith("Quor - "));
  EXPECT_TRUE(form.windowTitle().endsWith(" V3.54"));

  // The 100 ms tick runs and shows the PC's time.
  fake.time.SetPc(3'976'000'000.0);
  fake.timers.RunFor(0.35);
  const LocalTimeRecord now = fake.clock.GetLocalTime();
  EXPECT_EQ(Find<QLineEdit>(form, "EditJst")->text(),
            QString::asprintf("%02d:%02d:%02d", now.Hour, now.Minute, now.Second));
  EXPECT_EQ(Find<QLineEdit>(form, "EditPcErr")->text(), "--");
}

TEST_F(MainForm, TrayAndLogWindow) {
  // Not connected: the tray button only tells the user to connect.
  QMetaObject::invokeMethod(&form, "ButtonToTaskTrayClick");
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(fake.boxes.shown, std::vector<std::string>{"受信機またはタイムサーバと接続して下さい!!"});

  // The log window shows the run's lines, also when opened twice.
  QString shown;
  for (int round = 0; round < 2; ++round) {
    QTimer::singleShot(100, [&] {
      TFormLog* log = form.FormLog();
      shown = log->findChild<QPlainTextEdit*>("MemoLog")->toPlainText();
      EXPECT_EQ(log->windowTitle(), "Quor - ログ情報");
      log->close();
    });
    QTest::mouseClick(form.findChild<QPushButton*>("ButtonDispLog"), Qt::LeftButton);
    EXPECT_TRUE(shown.contains("Quor運用開始")) << shown.toStdString();
    app.LogLine("12:00:00  次の行\r\n");
  }
  EXPECT_TRUE(shown.endsWith("12:00:00  次の行")) << shown.toStdString();
}

TEST_F(MainForm, WithoutASystemTrayTheWindowIsMinimisedNotHidden) {
  QTest::mouseClick(form.findChild<QPushButton*>("ButtonConnect"), Qt::LeftButton);
  auto* tray = form.findChild<QPushButton*>("ButtonToTaskTray");
  ASSERT_TRUE(tray->isEnabled());
  ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());  // offscreen has none
  QTest::mouseClick(tray, Qt::LeftButton);
  EXPECT_TRUE(form.isVisible());
  EXPECT_TRUE(form.isMinimized());
}

TEST_F(MainForm, ASignalCancelsAnOpenDialogThenDisconnectsAndCloses) {
  QTest::mouseClick(form.findChild<QPushButton*>("ButtonConnect"), Qt::LeftButton);
  ASSERT_TRUE(app.Connected());
  // As in the program: the main loop runs; the log window's exec() inside it
  // is the dialog open when the signal comes.
  QEventLoop mainLoop;
  bool connectedWhenDialogReturned = false;
  QTimer::singleShot(0, [&] {
    QTest::mouseClick(form.findChild<QPushButton*>("ButtonDispLog"), Qt::LeftButton);
    connectedWhenDialogReturned = app.Connected();
  });
  QTimer::singleShot(100, [&] {
    ASSERT_TRUE(form.FormLog()->isVisible());
    form.EndBySignal();
    form.EndBySignal();  // a second signal adds nothing
  });
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] { if (!form.isVisible()) mainLoop.quit(); });
  poll.start(10);
  QTimer::singleShot(5000, &mainLoop, &QEventLoop::quit);
  mainLoop.exec();

  EXPECT_FALSE(form.isVisible());
  EXPECT_FALSE(form.FormLog()->isVisible());
  EXPECT_TRUE(connectedWhenDialogReturned);  // nothing ended under the dialog
  EXPECT_FALSE(app.Connected());
  EXPECT_FALSE(fake.serial.IsOpen());
  const auto& memo = app.log.MemoLog();
  ASSERT_GE(memo.size(), 2u);
  EXPECT_NE(memo[memo.size() - 2].find("接続終了"), std::string::npos) << memo[memo.size() - 2];
  EXPECT_NE(memo.back().find("Quor運用終了"), std::string::npos) << memo.back();
  EXPECT_EQ(std::count_if(memo.begin(), memo.end(),
                          [](const std::string& l) { return l.find("Quor運用終了") != std::string::npos; }),
            1);
}

}  // namespace
