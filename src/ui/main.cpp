#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>
#include <cstdio>
#include <memory>
#include <string_view>

#include "app/app.h"
#include "app/status_facts.h"
#include "platform/linux/flock_instance_lock.h"
#include "platform/qt/status_socket.h"
#include "platform/qt/termination_signals.h"
#include "service/run_headless.h"
#include "ui/desktop_platform.h"
#include "ui/product.h"
#include "ui/tmainform.h"

namespace {

// --headless, --status, --help and --version need no window system: those runs get a
// QCoreApplication, so they work with no display and no QT_QPA_PLATFORM.
bool NeedsNoWindow(int argc, char* argv[]) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--") break;
    if (arg == "--headless" || arg == "-h" || arg == "--help" || arg == "-v" || arg == "--version" ||
        arg == "--status") {
      return true;
    }
  }
  return false;
}

// `quor --status`: the running Quor's answer on standard output.
int PrintStatus(bool json) {
  const std::string path = StatusSocketPath();
  std::string answer, reason;
  if (!QueryStatus(path, json, 3000, answer, reason)) {
    std::fprintf(stderr, "quor: no Quor is running for this user (nothing answers at %s: %s)\n",
                 path.c_str(), reason.c_str());
    return 1;
  }
  std::fputs(answer.c_str(), stdout);
  return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
  const bool noWindow = NeedsNoWindow(argc, argv);
  std::unique_ptr<QCoreApplication> application;
  if (noWindow) {
    application = std::make_unique<QCoreApplication>(argc, argv);
  } else {
    application = std::make_unique<QApplication>(argc, argv);
  }
  QCoreApplication::setApplicationName(QString::fromUtf8(kApplicationTitle));
  QCoreApplication::setApplicationVersion(QStringLiteral(QUOR_VERSION));

  // The arguments left after Qt has taken its own (-platform, ...).
  QCommandLineParser parser;
  parser.setApplicationDescription(QString::fromUtf8("GPS時刻でPCの時計を合わせ、LANに配信します。"));
  const QCommandLineOption helpOption({"h", "help"}, QString::fromUtf8("このヘルプを表示します。"));
  parser.addOption(helpOption);
  const QCommandLineOption versionOption({"v", "version"}, QString::fromUtf8("版を表示します。"));
  parser.addOption(versionOption);
  const QCommandLineOption connectOption(
      "connect", QString::fromUtf8("起動後に「接続(&G)」を一度押します。"));
  parser.addOption(connectOption);
  const QCommandLineOption headlessOption(
      "headless", QString::fromUtf8("ウィンドウなしで動き、すぐに接続します(時刻サーバ用)。"
                                    "ログは標準エラーにも出ます。SIGTERM、SIGINT、SIGHUPで終了します。"));
  parser.addOption(headlessOption);
  const QCommandLineOption statusOption(
      "status", QString::fromUtf8("動いているQuorの状態(時刻源、Stratum、最後の誤差と補正、配信の件数)を表示します。"
                                  "Quorが動いていなければ終了コード1です。"));
  parser.addOption(statusOption);
  const QCommandLineOption jsonOption("json", QString::fromUtf8("--status の結果をJSONで出します。"));
  parser.addOption(jsonOption);
  if (!parser.parse(QCoreApplication::arguments()) || !parser.positionalArguments().isEmpty()) {
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
  if (parser.isSet(versionOption)) {
    std::printf("quor %s\n", QUOR_VERSION);
    return 0;
  }
  if (parser.isSet(jsonOption) && !parser.isSet(statusOption)) {
    std::fputs("quor: --json goes with --status\n", stderr);
    return 2;
  }
  if (parser.isSet(statusOption)) return PrintStatus(parser.isSet(jsonOption));

  // One instance at a time, with or without a window; a second window start
  // ends at once, showing nothing.
  FlockInstanceLock lock("TarrowMekkino");
  if (!lock.Acquired()) {
    if (parser.isSet(headlessOption)) std::fputs("quor: another Quor is already running\n", stderr);
    return 1;
  }
  if (parser.isSet(headlessOption)) return RunHeadless();

  // SIGTERM, SIGINT and SIGHUP end the window program as closing it does. Without
  // them caught it still runs; the signals then end it at once.
  TerminationSignals termination;
  if (!termination.Installed()) std::fputs("quor: cannot catch SIGTERM, SIGINT and SIGHUP\n", stderr);
  QObject mainThreadContext;
  DesktopPlatform desktop(&mainThreadContext);
  App app(desktop.platform);
  auto form = std::make_unique<TMainForm>(app);
  StatusSocketServer status([&app](bool json) { return StatusAnswerText(app, json); });
  std::string statusFault;
  if (!status.Listen(StatusSocketPath(), statusFault)) {
    std::fprintf(stderr, "quor: --status will not be answered (%s)\n", statusFault.c_str());
  }
  desktop.messageBoxes.SetOwner(form.get());
  desktop.poster.SetAfterEach([&form] { form->RefreshSoon(); });
  desktop.timers.SetAfterEach([&form] { form->RefreshSoon(); });
  desktop.messageBoxes.SetAfterEach([&form] { form->RefreshSoon(); });
  QObject::connect(&termination, &TerminationSignals::Received, form.get(), &TMainForm::EndBySignal);
  form->show();
  // As a click would, once the window has been shown and its tick started.
  if (parser.isSet(connectOption)) {
    QTimer::singleShot(0, form.get(), &TMainForm::ButtonConnectClick);
  }
  const int result = application->exec();
  // The window goes first (it stops the tick and releases the port), while
  // the adapters it uses still exist.
  form.reset();
  return result;
}
