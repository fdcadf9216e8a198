#include <QApplication>
#include <memory>

#include "app/app.h"
#include "platform/linux/flock_instance_lock.h"
#include "ui/desktop_platform.h"
#include "ui/product.h"
#include "ui/tmainform.h"

int main(int argc, char* argv[]) {
  // One instance at a time; a second start ends at once, showing nothing.
  FlockInstanceLock lock("TarrowMekkino");
  if (!lock.Acquired()) return 1;

  QApplication application(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8(kApplicationTitle));

  QObject mainThreadContext;
  DesktopPlatform desktop(&mainThreadContext);
  App app(desktop.platform);
  auto form = std::make_unique<TMainForm>(app);
  desktop.messageBoxes.SetOwner(form.get());
  desktop.poster.SetAfterEach([&form] { form->Refresh(); });
  desktop.timers.SetAfterEach([&form] { form->Refresh(); });
  form->show();
  const int result = application.exec();
  // The window goes first (it stops the tick and releases the port), while
  // the adapters it uses still exist.
  form.reset();
  return result;
}
