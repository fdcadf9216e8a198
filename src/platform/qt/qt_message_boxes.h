#pragma once
#include "platform/message_boxes.h"

class QWidget;

// Modal message boxes: "Quor" with the exclamation icon, or the system's
// error text under "GetLastError" with the information icon.
class QtMessageBoxes : public MessageBoxes {
 public:
  void SetOwner(QWidget* owner) { owner_ = owner; }
  void Show(const std::string& text) override;
  void ShowSystemError(const std::string& text) override;

 private:
  QWidget* owner_ = nullptr;
};
