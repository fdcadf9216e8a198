#include "platform/qt/qt_desktop.h"

#include <QApplication>
#include <QClipboard>

void QtClipboard::SetText(const std::string& text) {
  QGuiApplication::clipboard()->setText(QString::fromStdString(text));
}

void QtBeeper::Beep() { QApplication::beep(); }
