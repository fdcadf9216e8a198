#include "platform/qt/qt_message_boxes.h"

#include <QMessageBox>

namespace {

// A box's text may carry what the receiver, a peer or the settings gave
// (an address, a server's time): it is shown as it is, never as markup.
void ShowModal(QMessageBox::Icon icon, const char* title, const std::string& text, QWidget* owner) {
  QMessageBox box(icon, title, QString::fromStdString(text), QMessageBox::Ok, owner);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

}  // namespace

void QtMessageBoxes::Show(const std::string& text) {
  ShowModal(QMessageBox::Warning, "Quor", text, owner_);
}

void QtMessageBoxes::Confirm(const std::string& text, std::function<void(bool ok)> answer) {
  auto* box = new QMessageBox(QMessageBox::Warning, "Quor", QString::fromStdString(text),
                              QMessageBox::Ok | QMessageBox::Cancel, owner_);
  box->setTextFormat(Qt::PlainText);
  box->setAttribute(Qt::WA_DeleteOnClose);
  QObject::connect(box, &QDialog::finished, box, [this, answer = std::move(answer)](int result) {
    // Escape and the window's close button end the box as Cancel does.
    answer(result == QMessageBox::Ok);
    if (afterEach_) afterEach_();
  });
  box->open();  // window-modal, returns at once
}

void QtMessageBoxes::ShowSystemError(const std::string& text) {
  ShowModal(QMessageBox::Information, "GetLastError", text, nullptr);
}
