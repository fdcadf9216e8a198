#pragma once
#include <QObject>
#include <functional>
#include <map>

#include "platform/timers.h"

class QTimer;

// Timers as precise QTimers on the main thread; afterEach runs after every
// fired continuation and every beat of a repeating timer (the window
// refreshes).
class QtTimers : public Timers {
 public:
  explicit QtTimers(QObject* mainThreadObject) : parent_(mainThreadObject) {}
  ~QtTimers() override;
  QtTimers(const QtTimers&) = delete;
  QtTimers& operator=(const QtTimers&) = delete;

  void SetAfterEach(std::function<void()> afterEach) { afterEach_ = std::move(afterEach); }
  Id Start(int ms, std::function<void()> fn) override;
  Id StartRepeating(int ms, std::function<void()> fn) override;
  void Cancel(Id id) override;

 private:
  QObject* parent_;
  std::function<void()> afterEach_;
  std::map<Id, QTimer*> pending_;
  Id nextId_ = 1;
};
