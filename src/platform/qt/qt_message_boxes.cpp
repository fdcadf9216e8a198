#include "platform/qt/qt_message_boxes.h"

#include <QMessageBox>

void QtMessageBoxes::Show(const std::string& text) {
  QMessageBox::warning(owner_, "Quor", QString::fromStdString(text));
}

void QtMessageBoxes::ShowSystemError(const std::string& text) {
  QMessageBox::information(nullptr, "GetLastError", QString::fromStdString(text));
}
