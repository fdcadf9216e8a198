// Commands from the real program to gpssim through a pseudo-terminal, with
// the program's real adapters and windows: the simulated receiver obeys, and
// what it then sends shows in the window. The test process has dropped the
// right to set the clock.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>
#include <set>

#include "app/receiver_commands.h"
#include "support/pty_session.h"

namespace {

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
  TestDialogModel& list = *s.app().TestDialog();
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
  const bool rmc = s.app().Receiver()->cfg.SentenceEnabled[ReceiverConfig::kRmc];
  EXPECT_FALSE(rmc);
}

}  // namespace
