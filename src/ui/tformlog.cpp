#include "ui/tformlog.h"

#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "app/event_log.h"

TFormLog::TFormLog(const EventLog& log, QWidget* parent) : QDialog(parent), log_(log) {
  setObjectName("TFormLog");
  setWindowTitle("Quor - ログ情報");
  MemoLog = new QPlainTextEdit(this);
  MemoLog->setObjectName("MemoLog");
  MemoLog->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  MemoLog->setLineWrapMode(QPlainTextEdit::NoWrap);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(MemoLog);
  setFixedSize(412, 324);
}

void TFormLog::Refresh() {
  if (shownRevision_ == log_.Revision()) return;
  shownRevision_ = log_.Revision();
  QStringList lines;
  for (const std::string& line : log_.MemoLog()) lines << QString::fromStdString(line);
  MemoLog->setPlainText(lines.join('\n'));
  MemoLog->moveCursor(QTextCursor::End);
}

void TFormLog::showEvent(QShowEvent* event) {
  Refresh();
  QDialog::showEvent(event);
}
