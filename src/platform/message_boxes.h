#pragma once
#include <functional>
#include <string>

// Modal message boxes owned by the application.
class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Title "Quor", OK button, exclamation icon.
  virtual void Show(const std::string& text) = 0;
  // The system's error text under the caption "GetLastError", information icon.
  virtual void ShowSystemError(const std::string& text) = 0;
  // Asks a question with OK and Cancel (title "Quor", warning icon). Does
  // not block: `answer` is called later on the main thread with true for
  // OK; the main loop (and the 100 ms tick) runs on meanwhile.
  virtual void Confirm(const std::string& text, std::function<void(bool ok)> answer) = 0;
};
