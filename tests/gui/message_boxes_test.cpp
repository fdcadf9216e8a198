// Questions (OK / Cancel) of the window program, offscreen, and of the
// program without a window.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryFile>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <vector>

#include "platform/qt/qt_message_boxes.h"
#include "service/headless_adapters.h"

namespace {

TEST(QtQuestionBox, ShowsTheTextOverItsOwnerAndEachEndReachesTheAnswer) {
  const struct {
    const char* name;
    std::function<void(QMessageBox&)> end;
    bool ok;
  } cases[] = {
      {"OK", [](QMessageBox& b) { QTest::mouseClick(b.button(QMessageBox::Ok), Qt::LeftButton); }, true},
      {"Cancel", [](QMessageBox& b) { QTest::mouseClick(b.button(QMessageBox::Cancel), Qt::LeftButton); }, false},
      {"Escape", [](QMessageBox& b) { QTest::keyClick(&b, Qt::Key_Escape); }, false},
  };
  QWidget owner;
  owner.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
  QtMessageBoxes boxes;
  boxes.SetOwner(&owner);
  int afterEach = 0;
  boxes.SetAfterEach([&] { ++afterEach; });

  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<bool> answers;
    boxes.Confirm("ＰＣの時刻を合わせますか?", [&](bool ok) { answers.push_back(ok); });
    // Confirm has returned with the box open and nothing answered yet.
    EXPECT_TRUE(answers.empty());
    QPointer<QMessageBox> box = owner.findChild<QMessageBox*>();
    ASSERT_TRUE(box);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(box));
    EXPECT_EQ(box->text().toStdString(), "ＰＣの時刻を合わせますか?");
    EXPECT_EQ(box->windowTitle(), "Quor");
    EXPECT_EQ(box->icon(), QMessageBox::Warning);
    EXPECT_EQ(box->standardButtons(), QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(box->windowModality(), Qt::WindowModal);

    c.end(*box);
    EXPECT_EQ(answers, std::vector<bool>{c.ok});
    EXPECT_TRUE(QTest::qWaitFor([&] { return box.isNull(); }, 2000));  // it deleted itself
    EXPECT_EQ(answers.size(), 1u);
  }
  EXPECT_EQ(afterEach, 3);
}

// A box's text can carry an address or a server's time: markup in it is
// shown as it is.
TEST(QtMessageBox, ShowsMarkupInItsTextLiterally) {
  const std::string text = "接続先 <h1><u>x</u></h1> が見つかりません!!";
  QWidget owner;
  owner.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
  QtMessageBoxes boxes;
  boxes.SetOwner(&owner);
  const std::function<void()> shows[] = {
      [&] { boxes.Show(text); },
      [&] { boxes.ShowSystemError(text); },
      [&] { boxes.Confirm(text, [](bool) {}); },
  };
  for (const auto& show : shows) {
    bool seen = false;
    // Show and ShowSystemError return only once the box is closed.
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      EXPECT_EQ(box->textFormat(), Qt::PlainText);
      EXPECT_EQ(box->text().toStdString(), text);
      seen = true;
      box->reject();
    });
    show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return seen && !QApplication::activeModalWidget(); }, 2000));
  }
}

TEST(HeadlessQuestion, IsToldOnStandardErrorAndAnsweredCancelFromTheMainLoop) {
  QTemporaryFile err;
  ASSERT_TRUE(err.open());
  std::fflush(stderr);
  const int saved = dup(STDERR_FILENO);
  dup2(err.handle(), STDERR_FILENO);
  StderrMessageBoxes boxes;
  std::vector<bool> answers;
  boxes.Confirm("ＰＣの時刻を合わせますか?", [&](bool ok) { answers.push_back(ok); });
  const bool answeredInside = !answers.empty();
  dup2(saved, STDERR_FILENO);
  close(saved);

  EXPECT_FALSE(answeredInside);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !answers.empty(); }, 2000));
  EXPECT_EQ(answers, std::vector<bool>{false});
  err.seek(0);
  EXPECT_EQ(err.readAll().toStdString(), "Quor: ＰＣの時刻を合わせますか? (確認できないため取り消しました)\n");
}

}  // namespace
