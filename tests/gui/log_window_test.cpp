#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>

#include "app/event_log.h"
#include "fakes/fake_platform.h"
#include "ui/tformlog.h"

static void PrintTo(const QString& text, std::ostream* out) { *out << text.toStdString(); }

namespace {

// An event log and its log window.
struct LogWindow {
  FakeLogFile file;
  EventLog log{file};
  TFormLog window{log};
  QPlainTextEdit* memo = window.findChild<QPlainTextEdit*>("MemoLog");
  QScrollBar* bar = memo->verticalScrollBar();

  void Show() {
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  }
  // Logs "line <first>".."line <last>", each with a CR LF line end.
  void Log(int first, int last) {
    for (int i = first; i <= last; ++i) log.LogLine("line " + std::to_string(i) + "\r\n", false);
  }
  QString TopLine() const { return memo->cursorForPosition(QPoint(0, 0)).block().text(); }
  bool AtBottom() const { return bar->maximum() > 0 && bar->value() == bar->maximum(); }
};

QString Lines(int first, int last) {
  QStringList lines;
  for (int i = first; i <= last; ++i) lines << QString("line %1").arg(i);
  return lines.join('\n');
}

TEST(LogWindowTest, KeepsTheLatestLinesWithoutLineEnds) {
  // Refreshed after every line, every few lines, or only when first shown.
  for (const int every : {1, 7, 0}) {
    SCOPED_TRACE(every);
    LogWindow w;
    if (every > 0) {
      ASSERT_NO_FATAL_FAILURE(w.Show());
    }
    for (int i = 1; i <= 300; ++i) {
      w.Log(i, i);
      if (every > 0 && i % every == 0) w.window.Refresh();
    }
    ASSERT_NO_FATAL_FAILURE(w.Show());
    w.window.Refresh();
    EXPECT_EQ(w.memo->toPlainText(), Lines(45, 300));
  }
}

TEST(LogWindowTest, TypedTextCaretAndSelectionStayWhereTheyWere) {
  // Positions in "line 1\nline 2 typed\nline 3"; kEnd is its end, where the
  // new lines go in.
  constexpr int kEnd = -1;
  const struct { const char* name; int anchor, caret; } cases[] = {
      {"caret inside the text", 19, 19},
      {"caret at the end", kEnd, kEnd},
      {"selection up to the end", 2, kEnd},
      {"selection from the end backwards", kEnd, 10},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    LogWindow w;
    w.Log(1, 3);
    ASSERT_NO_FATAL_FAILURE(w.Show());
    QTextCursor cursor(w.memo->document()->findBlockByNumber(1));
    cursor.movePosition(QTextCursor::EndOfBlock);
    w.memo->setTextCursor(cursor);
    QTest::keyClicks(w.memo, " typed");
    ASSERT_EQ(w.memo->toPlainText(), "line 1\nline 2 typed\nline 3");

    const int end = w.memo->document()->characterCount() - 1;
    cursor.setPosition(c.anchor == kEnd ? end : c.anchor);
    cursor.setPosition(c.caret == kEnd ? end : c.caret, QTextCursor::KeepAnchor);
    w.memo->setTextCursor(cursor);
    const int anchor = cursor.anchor(), caret = cursor.position();
    for (int i = 4; i <= 5; ++i) {
      w.Log(i, i);
      w.window.Refresh();
      EXPECT_EQ(w.memo->textCursor().anchor(), anchor);
      EXPECT_EQ(w.memo->textCursor().position(), caret);
    }
    EXPECT_EQ(w.memo->toPlainText(), "line 1\nline 2 typed\nline 3\nline 4\nline 5");
  }
}

TEST(LogWindowTest, CaretStaysOnItsTextWhenTheOldestLinesLeave) {
  LogWindow w;
  w.Log(1, 250);
  ASSERT_NO_FATAL_FAILURE(w.Show());
  QTextCursor cursor(w.memo->document()->findBlockByNumber(99));  // "line 100"
  cursor.movePosition(QTextCursor::EndOfBlock);
  w.memo->setTextCursor(cursor);
  QTest::keyClicks(w.memo, " note");

  w.Log(251, 270);  // 14 lines leave at the top
  w.window.Refresh();
  const QTextCursor caret = w.memo->textCursor();
  EXPECT_EQ(caret.block().text(), "line 100 note");
  EXPECT_EQ(caret.positionInBlock(), caret.block().length() - 1);
  EXPECT_EQ(w.memo->document()->blockCount(), 256);
  EXPECT_EQ(w.memo->document()->firstBlock().text(), "line 15");
}

TEST(LogWindowTest, ViewFollowsNewLinesOnlyFromTheBottom) {
  LogWindow w;
  w.Log(1, 100);
  w.window.Refresh();  // while hidden, as the main window does before showing it
  ASSERT_NO_FATAL_FAILURE(w.Show());
  EXPECT_TRUE(w.AtBottom());
  w.Log(101, 200);
  w.window.Refresh();
  EXPECT_TRUE(w.AtBottom());
  EXPECT_EQ(w.memo->textCursor().position(), 0);

  // Scrolled up: the same lines stay in view, also when the oldest leave.
  w.bar->setValue(100);
  ASSERT_EQ(w.TopLine(), "line 101");
  for (int i = 201; i <= 300; i += 10) {
    w.Log(i, i + 9);
    w.window.Refresh();
    EXPECT_EQ(w.TopLine(), "line 101");
  }
  EXPECT_FALSE(w.AtBottom());

  // Back at the bottom, it follows again.
  w.bar->setValue(w.bar->maximum());
  w.Log(301, 305);
  w.window.Refresh();
  EXPECT_TRUE(w.AtBottom());
  EXPECT_EQ(w.memo->document()->lastBlock().text(), "line 305");
}

TEST(LogWindowTest, ShownAgainKeepsItsContentAndAddsTheLinesLoggedBetween) {
  // Refreshed while hidden before it is shown (as the main window does), or
  // only by being shown.
  for (const bool refreshWhileHidden : {true, false}) {
    SCOPED_TRACE(refreshWhileHidden);
    LogWindow w;
    auto showAgain = [&](int first, int last) {
      w.window.close();
      w.Log(first, last);
      if (refreshWhileHidden) w.window.Refresh();
      w.Show();
    };
    w.Log(1, 50);
    ASSERT_NO_FATAL_FAILURE(w.Show());
    w.memo->moveCursor(QTextCursor::End);
    QTest::keyClicks(w.memo, " seen");

    ASSERT_NO_FATAL_FAILURE(showAgain(51, 60));
    EXPECT_EQ(w.memo->toPlainText(), Lines(1, 50) + " seen\n" + Lines(51, 60));
    EXPECT_TRUE(w.AtBottom());

    // Left scrolled up, it is shown again where it was.
    w.bar->setValue(5);
    ASSERT_NO_FATAL_FAILURE(showAgain(61, 70));
    EXPECT_EQ(w.bar->value(), 5);
    EXPECT_TRUE(w.memo->toPlainText().endsWith(Lines(51, 70)));
  }
}

}  // namespace
