// The test dialog's window over the fakes: long rows are scrolled to and told
// whole, and Enter in the command field sends.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>

#include "app/app.h"
#include "app/connection.h"
#include "app/startup.h"
#include "fakes/fake_platform.h"
#include "support/widget_find.h"
#include "ui/tformetccomm.h"

namespace {

struct TestDialogWindow : ::testing::Test {
  FakePlatform fake;
  App app{fake.platform};
  std::unique_ptr<TFormEtcComm> dialog;

  void SetUp() override {
    FormCreate(app);
    FormShow(app);
    app.settings.Receiver = 1;  // GT-77
    ButtonConnectClick(app);
    ASSERT_TRUE((app.Receiver() != nullptr));
    dialog = std::make_unique<TFormEtcComm>(app);
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
  }
  std::string Status() {
    return Find<QStatusBar>(*dialog, "StatusBar")->currentMessage().toStdString();
  }
};

TEST_F(TestDialogWindow, LongRowsScrollSidewaysAndShowWholeAsTooltip) {
  const std::string longRow = "$GPTXT,01,01,02," + std::string(200, 'A') + "<b>x</b>*00";
  app.TestDialog()->AddRow("$GPGSV,1,1,00*79\r\n");
  app.TestDialog()->AddRow(longRow + "\r\n");
  dialog->Refresh();
  auto* list = Find<QListWidget>(*dialog, "ListBoxMesg");
  ASSERT_EQ(list->count(), 2);
  QListWidgetItem* item = list->item(1);
  EXPECT_EQ(item->text().toStdString(), longRow);
  // Laid out at its full width, which the list scrolls across.
  const int textWidth = list->fontMetrics().horizontalAdvance(item->text());
  EXPECT_GE(list->visualItemRect(item).width(), textWidth);
  QScrollBar* bar = list->horizontalScrollBar();
  EXPECT_GT(bar->maximum(), 0);
  EXPECT_GE(bar->maximum() + list->viewport()->width(), textWidth);
  // The tooltip holds the row, its markup escaped.
  const QString tip = item->toolTip();
  EXPECT_TRUE(tip.contains(QString(200, 'A'))) << tip.toStdString();
  EXPECT_TRUE(tip.contains("&lt;b&gt;x&lt;/b&gt;")) << tip.toStdString();
  EXPECT_FALSE(tip.contains("<b>")) << tip.toStdString();
}

TEST_F(TestDialogWindow, EnterInTheCommandFieldSendsAsTheButtonDoes) {
  auto* edit = Find<QLineEdit>(*dialog, "EditCommand");
  ASSERT_NE(edit, nullptr);
  edit->setFocus();
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_EQ(Status(), "コマンドを入力して下さい");
  EXPECT_TRUE(fake.serial.written.empty());

  QTest::keyClicks(edit, "$PFEC,GPsrq");
  QTest::keyClick(edit, Qt::Key_Return);
  fake.serial.CompleteAll();
  dialog->Refresh();
  const std::string sent = "$PFEC,GPsrq\r\n";
  EXPECT_EQ(fake.serial.written,
            std::vector<std::vector<uint8_t>>{std::vector<uint8_t>(sent.begin(), sent.end())});
  EXPECT_EQ(Status(), "コマンドを送信しました");
  EXPECT_TRUE(dialog->isVisible());  // Enter does not close the dialog
}

}  // namespace
