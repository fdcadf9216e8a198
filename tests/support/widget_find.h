#pragma once
#include <QWidget>
#include <gtest/gtest.h>

// The child widget of that object name; a test failure names the one missing.
template <typename T>
T* Find(QWidget& w, const char* name) {
  T* child = w.findChild<T*>(name);
  EXPECT_NE(child, nullptr) << name;
  return child;
}
