// The test dialog on a connection to gpssim through a pseudo-terminal: the
// sentence rows arrive while the dialog is open and its display is on, and a
// typed command reaches the receiver.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

#include "support/pty_session.h"
#include "support/widget_find.h"

namespace {

bool AllRowsAreSentences(const QListWidget& list) {
  for (int i = 0; i < list.count(); ++i) {
    if (!list.item(i)->text().startsWith("$")) return false;
  }
  return true;
}

TEST(TestDialogThroughAPseudoTerminal, SentenceRowsArriveAndATypedCommandReachesTheReceiver) {
  PtySession s("gt77", "[General]\nReceiver=1\nBaseMesg=0\n");
  // The first usable data closes the list of a dialog open by then, so the
  // dialog is opened after it.
  ASSERT_TRUE(s.WaitForStatus("受信中(NMEA)", 20000)) << s.Status().toStdString();
  ASSERT_TRUE(QTest::qWaitFor([&] { return s.Button("ButtonTestDlg")->isEnabled(); }, 5000));
  const size_t srqBefore = s.SimLines("$PFEC,GPsrq").size();

  bool used = false;
  s.UseDialog("ButtonTestDlg", [&](QWidget& d) {
    EXPECT_EQ(d.windowTitle().toStdString(), "Quor - テストダイアログ");
    auto* list = Find<QListWidget>(d, "ListBoxMesg");
    auto* pause = Find<QPushButton>(d, "ButtonPause");
    auto* edit = Find<QLineEdit>(d, "EditCommand");
    ASSERT_TRUE(list && pause && edit);
    EXPECT_EQ(pause->text().toStdString(), "表示開始");
    EXPECT_FALSE(Find<QPushButton>(d, "ButtonSyncServ")->isEnabled());
    EXPECT_TRUE(Find<QCheckBox>(d, "CheckBoxCrLf")->isChecked());
    EXPECT_EQ(edit->maxLength(), 256);

    // Off until switched on, then the tick fills the open dialog.
    QTest::qWait(1500);
    EXPECT_EQ(list->count(), 0);
    pause->click();
    EXPECT_EQ(pause->text().toStdString(), "表示停止");
    EXPECT_TRUE(QTest::qWaitFor([&] { return list->count() >= 16; }, 10000)) << list->count();
    EXPECT_EQ(list->count(), 16);
    EXPECT_TRUE(AllRowsAreSentences(*list));

    QTest::keyClicks(edit, "$PFEC,GPsrq");
    Find<QPushButton>(d, "ButtonSendComm")->click();
    auto* status = Find<QStatusBar>(d, "StatusBar");
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return status->currentMessage() == QString::fromUtf8("コマンドを送信しました"); },
        3000))
        << status->currentMessage().toStdString();
    Find<QPushButton>(d, "ButtonCancel")->click();
    used = true;
  });
  EXPECT_TRUE(used);
  ASSERT_NE(s.app().TestDialog(), nullptr);
  EXPECT_FALSE(s.app().TestDialog()->TestDialogShown);
  EXPECT_FALSE(s.app().TestDialog()->DisplayOn);
  EXPECT_TRUE(QTest::qWaitFor([&] { return s.SimLines("$PFEC,GPsrq").size() == srqBefore + 1; },
                              3000));
}

}  // namespace
