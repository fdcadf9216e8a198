#include "platform/qt/qt_message_boxes.h"

#include <QMessageBox>

void QtMessageBoxes::Show(const std::string& text) {
  QMessageBox::warning(owner_, "Quor", QString::fromStdString(text));
}

void QtMessageBoxes::Confirm(const std::string& text, std::function<void(bool ok)> answer) {
  auto* box = new QMessageBox(QMessageBox::Warning, "Quor", QString::fromStdString(text),
                              QMessageBox::Ok | QMessageBox::Cancel, owner_);
  box->setAttribute(Qt::WA_DeleteOnClose);
  QObject::connect(box, &QDialog::finished, box, [this, answer = std::move(answer)](int result) {
    // Escape and the window's close button end the box as Cancel does.
    answer(result == QMessageBox::Ok);
    if (afterEach_) afterEach_();
  });
  box->open();  // window-modal, returns at once
}

void QtMessageBoxes::ShowSystemError(const std::string& text) {
  QMessageBox::information(nullptr, "GetLastError", QString::fromStdString(text));
}
