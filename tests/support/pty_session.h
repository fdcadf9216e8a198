#pragma once
// gpssim on a pseudo-terminal as COM1, and the program with its real
// adapters and windows connected to it (GUI tests).
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
#include <vector>

#include "app/app.h"
#include "ui/desktop_platform.h"
#include "ui/tmainform.h"

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
    if (app_->Connected()) QTest::mouseClick(Button("ButtonConnect"), Qt::LeftButton);
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

  // Clicks `button` on the main window and works the modal dialog that
  // opens. A message box that shows instead is a failure; it is closed so
  // the test goes on.
  void UseDialog(const char* button, const std::function<void(QWidget&)>& use) {
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
    Button(button)->click();
  }
  // "ｺﾏﾝﾄﾞ...": the command dialog of the receiver kind.
  void UseCommandDialog(const std::function<void(QWidget&)>& use) {
    UseDialog("ButtonSendComm", use);
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
