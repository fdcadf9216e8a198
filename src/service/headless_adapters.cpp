#include "service/headless_adapters.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QTimer>
#include <cerrno>

void WriteStderrLine(const std::string& text) {
  const std::string line = text + "\n";
  const char* data = line.data();
  size_t left = line.size();
  while (left > 0) {
    const ssize_t n = write(STDERR_FILENO, data, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // nowhere to write: the line is lost, nothing else
    data += n;
    left -= static_cast<size_t>(n);
  }
}

void StderrMessageBoxes::Show(const std::string& text) { WriteStderrLine("Quor: " + text); }

void StderrMessageBoxes::Confirm(const std::string& text, std::function<void(bool ok)> answer) {
  WriteStderrLine("Quor: " + text + " (確認できないため取り消しました)");
  QTimer::singleShot(0, QCoreApplication::instance(), [answer = std::move(answer)] { answer(false); });
}

void StderrMessageBoxes::ShowSystemError(const std::string& text) {
  WriteStderrLine("GetLastError: " + text);
}
