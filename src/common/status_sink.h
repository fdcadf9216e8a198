#pragma once
#include <string>

// Where the subsystems' status texts go: the main window's status bar
// (standard error when headless). The last text shown stands until the next.
class StatusSink {
 public:
  virtual ~StatusSink() = default;
  virtual void ShowStatus(const std::string& text) = 0;
};

// A sink that keeps the last text shown.
class StatusText : public StatusSink {
 public:
  void ShowStatus(const std::string& shown) override { text = shown; }
  std::string text;
};
