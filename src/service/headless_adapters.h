#pragma once
#include <string>

#include "platform/beeper.h"
#include "platform/clipboard.h"
#include "platform/message_boxes.h"

// The desktop's adapters for a program without a window.

// A message box's text goes to standard error, one line, prefixed "Quor: ".
// A question has no one to answer it: it is told the same way as cancelled,
// and answered so from the main loop, after Confirm has returned.
class StderrMessageBoxes : public MessageBoxes {
 public:
  void Show(const std::string& text) override;
  void ShowSystemError(const std::string& text) override;
  void Confirm(const std::string& text, std::function<void(bool ok)> answer) override;
};

// Nothing to hear on a server.
class SilentBeeper : public Beeper {
 public:
  void Beep() override {}
};

// Keeps the last text; nobody pastes it.
class HeldClipboard : public Clipboard {
 public:
  void SetText(const std::string& text) override { text_ = text; }
  const std::string& Text() const { return text_; }

 private:
  std::string text_;
};

// Writes a log line and a line end to standard error in one write, so the
// journal keeps each line whole.
void WriteStderrLine(const std::string& text);
