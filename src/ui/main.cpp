#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>
#include <cstdio>
#include <memory>

#include "app/app.h"
#include "platform/linux/flock_instance_lock.h"
#include "ui/desktop_platform.h"
#include "ui/product.h"
#include "ui/tmainform.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8(kApplicationTitle));

  // The arguments left after Qt has taken its own (-platform, ...).
  QCommandLineParser parser;
  parser.setApplicationDescription(QString::fromUtf8("GPS時刻でPCの時計を合わせ、LANに配信します。"));
  const QCommandLineOption helpOption({"h", "help"}, QString::fromUtf8("このヘルプを表示します。"));
  parser.addOption(helpOption);
  const QCommandLineOption connectOption(
      "connect", QString::fromUtf8("起動後に「接続(&G)」を一度押します。"));
  parser.addOption(connectOption);
  if (!parser.parse(QApplication::arguments()) || !parser.positionalArguments().isEmpty()) {
    const QString error = parser.errorText().isEmpty()
                              ? QStringLiteral("unexpected argument: %1").arg(parser.positionalArguments().first())
                              : parser.errorText();
    std::fprintf(stderr, "%s\n\n%s", qPrintable(error), qPrintable(parser.helpText()));
    return 2;
  }
  if (parser.isSet(helpOption)) {
    std::fputs(qPrintable(parser.helpText()), stdout);
    return 0;
  }

  // One instance at a time; a second start ends at once, showing nothing.
  FlockInstanceLock lock("TarrowMekkino");
  if (!lock.Acquired()) return 1;

  QObject mainThreadContext;
  DesktopPlatform desktop(&mainThreadContext);
  App app(desktop.platform);
  auto form = std::make_unique<TMainForm>(app);
  desktop.messageBoxes.SetOwner(form.get());
  desktop.poster.SetAfterEach([&form] { form->RefreshSoon(); });
  desktop.timers.SetAfterEach([&form] { form->RefreshSoon(); });
  form->show();
  // As a click would, once the window has been shown and its tick started.
  if (parser.isSet(connectOption)) {
    QTimer::singleShot(0, form.get(), &TMainForm::ButtonConnectClick);
  }
  const int result = application.exec();
  // The window goes first (it stops the tick and releases the port), while
  // the adapters it uses still exist.
  form.reset();
  return result;
}
