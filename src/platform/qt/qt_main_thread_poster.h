#pragma once
#include <QObject>
#include <functional>

#include "platform/main_thread_poster.h"

// Posts to the Qt main loop through queued invocations on a main-thread
// object; afterEach runs after every posted function (the window refreshes).
class QtMainThreadPoster : public MainThreadPoster {
 public:
  explicit QtMainThreadPoster(QObject* mainThreadObject) : target_(mainThreadObject) {}
  void SetAfterEach(std::function<void()> afterEach) { afterEach_ = std::move(afterEach); }
  void Post(std::function<void()> fn) override;

 private:
  QObject* target_;
  std::function<void()> afterEach_;
};
