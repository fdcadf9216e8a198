#include "platform/qt/qt_main_thread_poster.h"

#include <QMetaObject>

void QtMainThreadPoster::Post(std::function<void()> fn) {
  QMetaObject::invokeMethod(
      target_,
      [this, fn = std::move(fn)] {
        fn();
        if (afterEach_) afterEach_();
      },
      Qt::QueuedConnection);
}
