#pragma once
#include "platform/message_boxes.h"

class QWidget;

// Modal message boxes: "Quor" with the exclamation icon, or the system's
// error text under "GetLastError" with the information icon. A question is
// a box modal to the owner's window that leaves the main loop running; its
// answer comes from the box's end, and afterEach runs after each answer (the
// window refreshes). A box still open when its owner goes is not answered.
class QtMessageBoxes : public MessageBoxes {
 public:
  void SetOwner(QWidget* owner) { owner_ = owner; }
  void SetAfterEach(std::function<void()> afterEach) { afterEach_ = std::move(afterEach); }
  void Show(const std::string& text) override;
  void ShowSystemError(const std::string& text) override;
  void Confirm(const std::string& text, std::function<void(bool ok)> answer) override;

 private:
  QWidget* owner_ = nullptr;
  std::function<void()> afterEach_;
};
