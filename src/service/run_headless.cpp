#include "service/run_headless.h"

#include <QCoreApplication>
#include <cstdio>

#include "app/app.h"
#include "app/status_facts.h"
#include "platform/qt/status_socket.h"
#include "service/headless_platform.h"
#include "service/headless_service.h"
#include "platform/qt/termination_signals.h"

int RunHeadless() {
  TerminationSignals termination;
  if (!termination.Installed()) {
    std::fprintf(stderr, "quor: cannot catch SIGTERM, SIGINT and SIGHUP\n");
    return 1;
  }
  QObject mainThreadContext;
  HeadlessPlatform platform(&mainThreadContext);
  App app(platform.platform);
  app.log.SetMirror(WriteStderrLine);
  HeadlessService service(app);
  StatusSocketServer status([&app](bool json) { return StatusAnswerText(app, json); });
  std::string statusFault;
  if (!status.Listen(StatusSocketPath(), statusFault)) {
    std::fprintf(stderr, "quor: --status will not be answered (%s)\n", statusFault.c_str());
  }
  platform.timers.SetAfterEach([&service] { service.AfterTimer(); });
  QObject::connect(&termination, &TerminationSignals::Received, &service, [&service] { service.Stop(); });
  service.Start();
  return QCoreApplication::exec();
}
