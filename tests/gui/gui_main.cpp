#include <gtest/gtest.h>

#include <QApplication>

#include "support/drop_clock_right.h"

// GoogleTest inside a QApplication, offscreen.
int main(int argc, char** argv) {
  DropClockRight();
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
