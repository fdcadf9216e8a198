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

// The log window over an event log of its own.
struct LogWindow : ::testing::Test {
  FakeLogFile file;
  EventLog log{file};
  TFormLog window{log};
  QPlainTextEdit* memo = window.findChild<QPlainTextEdit*>("MemoLog");

  void Show() {
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  }
  // Logs "line <first>".."line <last>", each with a CR LF line end.
  void Log(int first, int last) {
    for (int i = first; i <= last; ++i) log.LogLine("line " + std::to_string(i) + "\r\n", false);
  }
  static QString Lines(int first, int last) {
    QStringList lines;
    for (int i = first; i <= last; ++i) lines << QString("line %1").arg(i);
    return lines.join('\n');
  }
  QString TopLine() const { return memo->cursorForPosition(QPoint(0, 0)).block().text(); }
  bool AtBottom() const {
    const QScrollBar* bar = memo->verticalScrollBar();
    return bar->maximum() > 0 && bar->value() == bar->maximum();
  }
};

TEST_F(LogWindow, KeepsTheLatestLinesWithoutLineEnds) {
  // Refreshed after every line, every few lines, or only when shown.
  for (const int every : {1, 7, 0}) {
    SCOPED_TRACE(every);
    FakeLogFile file;
    EventLog log{file};
    TFormLog window{log};
    if (every > 0) window.show();
    for (int i = 1; i <= 300; ++i) {
      log.LogLine("line " + std::to_string(i) + "\r\n", false);
      if (every > 0 && i % every == 0) window.Refresh();
    }
    window.show();  // the first show takes all lines
    window.Refresh();
    EXPECT_EQ(window.findChild<QPlainTextEdit*>("MemoLog")->toPlainText(), Lines(45, 300));
  }
}

TEST_F(LogWindow, TypedTextCaretAndSelectionStayWhereTheyWere) {
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
    FakeLogFile file;
    EventLog log{file};
    TFormLog window{log};
    auto* memo = window.findChild<QPlainTextEdit*>("MemoLog");
    for (int i = 1; i <= 3; ++i) log.LogLine("line " + std::to_string(i), false);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTextCursor cursor(memo->document()->findBlockByNumber(1));
    cursor.movePosition(QTextCursor::EndOfBlock);
    memo->setTextCursor(cursor);
    QTest::keyClicks(memo, " typed");
    ASSERT_EQ(memo->toPlainText(), "line 1\nline 2 typed\nline 3");

    const int end = memo->document()->characterCount() - 1;
    cursor.setPosition(c.anchor == kEnd ? end : c.anchor);
    cursor.setPosition(c.caret == kEnd ? end : c.caret, QTextCursor::KeepAnchor);
    memo->setTextCursor(cursor);
    const int anchor = cursor.anchor(), caret = cursor.position();
    for (int i = 4; i <= 5; ++i) {
      log.LogLine("line " + std::to_string(i), false);
      window.Refresh();
      EXPECT_EQ(memo->textCursor().anchor(), anchor);
      EXPECT_EQ(memo->textCursor().position(), caret);
    }
    EXPECT_EQ(memo->toPlainText(), "line 1\nline 2 typed\nline 3\nline 4\nline 5");
  }
}

TEST_F(LogWindow, CaretStaysOnItsTextWhenTheOldestLinesLeave) {
  Log(1, 250);
  ASSERT_NO_FATAL_FAILURE(Show());
  QTextCursor cursor(memo->document()->findBlockByNumber(99));  // "line 100"
  cursor.movePosition(QTextCursor::EndOfBlock);
  memo->setTextCursor(cursor);
  QTest::keyClicks(memo, " note");

  Log(251, 270);  // 14 lines leave at the top
  window.Refresh();
  const QTextCursor caret = memo->textCursor();
  EXPECT_EQ(caret.block().text(), "line 100 note");
  EXPECT_EQ(caret.positionInBlock(), caret.block().length() - 1);
  EXPECT_EQ(memo->document()->blockCount(), 256);
  EXPECT_EQ(memo->document()->firstBlock().text(), "line 15");
}

TEST_F(LogWindow, ViewFollowsNewLinesOnlyFromTheBottom) {
  Log(1, 100);
  window.Refresh();  // while hidden, as the main window does before showing it
  ASSERT_NO_FATAL_FAILURE(Show());
  EXPECT_TRUE(AtBottom());
  Log(101, 200);
  window.Refresh();
  EXPECT_TRUE(AtBottom());
  EXPECT_EQ(memo->textCursor().position(), 0);

  // Scrolled up: the same lines stay in view, also when the oldest leave.
  memo->verticalScrollBar()->setValue(100);
  ASSERT_EQ(TopLine(), "line 101");
  for (int i = 201; i <= 300; i += 10) {
    Log(i, i + 9);
    window.Refresh();
    EXPECT_EQ(TopLine(), "line 101");
  }
  EXPECT_FALSE(AtBottom());

  // Back at the bottom, it follows again.
  memo->verticalScrollBar()->setValue(memo->verticalScrollBar()->maximum());
  Log(301, 305);
  window.Refresh();
  EXPECT_TRUE(AtBottom());
  EXPECT_EQ(memo->document()->lastBlock().text(), "line 305");
}

TEST_F(LogWindow, ShownAgainKeepsItsContentAndAddsTheLinesLoggedBetween) {
  // Refreshed while hidden before it is shown (as the main window does), or
  // only by being shown.
  for (const bool refreshWhileHidden : {true, false}) {
    SCOPED_TRACE(refreshWhileHidden);
    FakeLogFile file;
    EventLog log{file};
    TFormLog window{log};
    auto* memo = window.findChild<QPlainTextEdit*>("MemoLog");
    auto* bar = memo->verticalScrollBar();
    auto showAgain = [&](int first, int last) {
      window.close();
      for (int i = first; i <= last; ++i) log.LogLine("line " + std::to_string(i), false);
      if (refreshWhileHidden) window.Refresh();
      window.show();
      ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    };
    for (int i = 1; i <= 50; ++i) log.LogLine("line " + std::to_string(i), false);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    memo->moveCursor(QTextCursor::End);
    QTest::keyClicks(memo, " seen");

    ASSERT_NO_FATAL_FAILURE(showAgain(51, 60));
    EXPECT_EQ(memo->toPlainText(), Lines(1, 50) + " seen\n" + Lines(51, 60));
    EXPECT_EQ(bar->value(), bar->maximum());

    // Left scrolled up, it is shown again where it was.
    bar->setValue(5);
    ASSERT_NO_FATAL_FAILURE(showAgain(61, 70));
    EXPECT_EQ(bar->value(), 5);
    EXPECT_TRUE(memo->toPlainText().endsWith(Lines(51, 70)));
  }
}

}  // namespace
