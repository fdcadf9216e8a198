// The program's real adapters (serial port, clock, log file, settings) and
// windows, with gpssim on a pseudo-terminal as COM1. The test process has
// dropped the right to set the clock, so every correction is refused.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <ctime>

#include "app/app.h"
#include "platform/linux/cp932_log_file.h"
#include "ui/desktop_platform.h"
#include "ui/tmainform.h"

namespace {

double RealMinusMonotonic() {
  timespec r{}, m{};
  clock_gettime(CLOCK_REALTIME, &r);
  clock_gettime(CLOCK_MONOTONIC, &m);
  return (r.tv_sec - m.tv_sec) + (r.tv_nsec - m.tv_nsec) * 1e-9;
}

QString LogText(const QString& dir) {
  QString text;
  for (const QString& name : QDir(dir).entryList({"Quor*.log"})) {
    QFile f(dir + "/" + name);
    if (!f.open(QIODevice::ReadOnly)) continue;
    const QByteArray bytes = f.readAll();
    // The log is CP932; the lines looked for here are ASCII plus kanji, so
    // convert back the way a reader of the file would.
    QProcess iconv;
    iconv.start("iconv", {"-f", "CP932", "-t", "UTF-8"});
    iconv.write(bytes);
    iconv.closeWriteChannel();
    iconv.waitForFinished(5000);
    text += QString::fromUtf8(iconv.readAllStandardOutput());
  }
  return text;
}

TEST(RealReceiver, GpssimThroughTheSerialPortShowsReceptionAndTheRefusedCorrection) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString link = dir.filePath("gps0");
  QProcess sim;
  sim.start(QUOR_GPSSIM, {"--receiver", "jupiter-nmea", "--offset", "3", "--link", link, "--seconds", "60"});
  ASSERT_TRUE(sim.waitForReadyRead(5000)) << sim.readAllStandardError().toStdString();

  QDir().mkpath(dir.filePath("config"));
  QFile conf(dir.filePath("config/Quor.conf"));
  ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
  conf.write("[General]\nIsLogOut=1\n");
  conf.close();
  qputenv("XDG_CONFIG_HOME", dir.filePath("config").toUtf8());
  qputenv("QUOR_COM1", link.toUtf8());
  // The PC's zone must match the time-zone setting (+9 by default).
  qputenv("TZ", "JST-9");
  tzset();
  const QString previous = QDir::currentPath();
  QDir::setCurrent(dir.path());
  const double clockBefore = RealMinusMonotonic();

  {
    QObject context;
    DesktopPlatform desktop(&context);
    App app(desktop.platform);
    TMainForm form(app);
    desktop.poster.SetAfterEach([&form] { form.Refresh(); });
    desktop.timers.SetAfterEach([&form] { form.Refresh(); });
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QTest::mouseClick(form.findChild<QPushButton*>("ButtonConnect"), Qt::LeftButton);
    EXPECT_EQ(form.findChild<QPushButton*>("ButtonConnect")->text().toStdString(), "切断(&G)");

    auto* status = form.findChild<QStatusBar*>("StatusBar");
    EXPECT_TRUE(QTest::qWaitFor([&] { return status->currentMessage() == "受信中(NMEA)"; }, 15000))
        << status->currentMessage().toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return app.log.MemoLog().back().find("時刻校正に失敗") != std::string::npos; }, 15000));
    // For a look at the window: QUOR_SCREENSHOT=file.png
    if (qEnvironmentVariableIsSet("QUOR_SCREENSHOT")) form.grab().save(qEnvironmentVariable("QUOR_SCREENSHOT"));

    QTest::mouseClick(form.findChild<QPushButton*>("ButtonConnect"), Qt::LeftButton);
    EXPECT_EQ(status->currentMessage().toStdString(), "オフライン、ＰＣの時刻を表示中");
    form.close();
  }
  QDir::setCurrent(previous);

  const QString log = LogText(dir.path());
  EXPECT_TRUE(log.contains("接続開始(Performance Frequency : 10000000)")) << log.toStdString();
  EXPECT_TRUE(log.contains("時刻校正に失敗")) << log.toStdString();
  EXPECT_TRUE(log.contains("接続終了")) << log.toStdString();
  // The host clock was not touched.
  EXPECT_NEAR(RealMinusMonotonic(), clockBefore, 0.05);
  sim.terminate();
  sim.waitForFinished(3000);
}

}  // namespace
