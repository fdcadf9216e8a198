// The Qt timers adapter's repeating timer on a real event loop: it beats
// until cancelled, also when cancelled from its own beat, and the hook after
// each timer runs after every beat.
#include <gtest/gtest.h>

#include <QObject>
#include <QTest>

#include "platform/qt/qt_timers.h"

TEST(QtTimers, RepeatingBeatsUntilCancelledFromItsOwnBeat) {
  QObject context;
  QtTimers timers(&context);
  int afterEach = 0;
  timers.SetAfterEach([&] { ++afterEach; });
  int beats = 0;
  Timers::Id id = 0;
  id = timers.StartRepeating(10, [&] {
    if (++beats == 3) timers.Cancel(id);
  });
  EXPECT_EQ(beats, 0);  // never from inside the start
  EXPECT_TRUE(QTest::qWaitFor([&] { return beats == 3; }, 2000));
  QTest::qWait(60);
  EXPECT_EQ(beats, 3);
  EXPECT_EQ(afterEach, 3);
  timers.Cancel(id);  // an id already cancelled is ignored
}
