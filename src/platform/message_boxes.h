#pragma once
#include <string>

// Modal message boxes owned by the application.
class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Title "Quor", OK button, exclamation icon.
  virtual void Show(const std::string& text) = 0;
  // The system's error text under the caption "GetLastError", information icon.
  virtual void ShowSystemError(const std::string& text) = 0;
};
