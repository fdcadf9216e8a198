// "報時(&R)" in the window puts the stamp on the system clipboard through the
// Qt clipboard adapter (the offscreen platform keeps a clipboard of its own).
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QPushButton>
#include <QTest>

#include "app/app.h"
#include "fakes/fake_platform.h"
#include "net/time_report_stamp.h"
#include "platform/qt/qt_desktop.h"
#include "ui/tmainform.h"

namespace {

TEST(ReportTime, ButtonPutsTheStampOnTheClipboard) {
  FakePlatform fake;
  QtClipboard clipboard;
  Platform platform{fake.clock,   fake.counter, fake.boxes,   fake.logFile,
                    fake.store,   fake.beeper,  clipboard,    fake.serial,
                    fake.network, fake.udp,     fake.codec,   fake.timers,
                    fake.drift};
  App app(platform);
  TMainForm form(app);
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  QGuiApplication::clipboard()->setText("before");

  QTest::mouseClick(form.findChild<QPushButton*>("ButtonReportTime"), Qt::LeftButton);
  // Offline: the PC's (virtual, standing) time to the second.
  const QString text = QGuiApplication::clipboard()->text();
  EXPECT_EQ(text.toStdString(), TimeReportStamp(fake.clock.GetLocalTime(), ReportPrecision::kSeconds));
  EXPECT_NE(app.log.MemoLog().back().find("報時要求 - " + text.toStdString()), std::string::npos);
}

}  // namespace
