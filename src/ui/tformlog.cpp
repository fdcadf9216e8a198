#include "ui/tformlog.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>
#include <algorithm>

#include "app/event_log.h"

namespace {
// A cursor at `position` that text inserted there does not push along.
QTextCursor Mark(QTextDocument* document, int position) {
  QTextCursor mark(document);
  mark.setPosition(position);
  mark.setKeepPositionOnInsert(true);
  return mark;
}
}  // namespace

TFormLog::TFormLog(const EventLog& log, QWidget* parent) : QDialog(parent), log_(log) {
  setObjectName("TFormLog");
  setWindowTitle("Quor - ログ情報");
  MemoLog = new QPlainTextEdit(this);
  MemoLog->setObjectName("MemoLog");
  MemoLog->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  MemoLog->setLineWrapMode(QPlainTextEdit::NoWrap);
  // The oldest lines (log or typed) leave at the top; this also turns off the
  // undo history, so an undo cannot take log lines away.
  MemoLog->setMaximumBlockCount(static_cast<int>(EventLog::kMaxLines));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(MemoLog);
  setFixedSize(412, 324);
}

void TFormLog::Refresh() {
  const unsigned long revision = log_.Revision();
  if (revision == shownRevision_) return;
  // Every logged line raises the revision by one and the log keeps the latest
  // kMaxLines, so the new lines are the last (revision - shown) of them.
  const std::deque<std::string>& lines = log_.MemoLog();
  const size_t fresh = std::min<size_t>(revision - shownRevision_, lines.size());
  shownRevision_ = revision;

  QScrollBar* vertical = MemoLog->verticalScrollBar();
  QScrollBar* horizontal = MemoLog->horizontalScrollBar();
  const bool follow = vertical->value() == vertical->maximum();
  const int top = vertical->value();
  const int left = horizontal->value();

  // The user's caret and selection end, held where they are when the lines go
  // in right at them (the end of the text).
  QTextDocument* document = MemoLog->document();
  const QTextCursor user = MemoLog->textCursor();
  const QTextCursor anchor = Mark(document, user.anchor());
  const QTextCursor caret = Mark(document, user.position());

  const int blocksBefore = document->blockCount();
  int blocksAdded = 0;
  QTextCursor end(document);
  end.movePosition(QTextCursor::End);
  end.beginEditBlock();
  for (auto line = lines.end() - static_cast<std::ptrdiff_t>(fresh); line != lines.end(); ++line) {
    if (!document->isEmpty()) {
      end.insertBlock();
      ++blocksAdded;
    }
    end.insertText(QString::fromStdString(*line));
  }
  end.endEditBlock();  // drops the blocks beyond the maximum at the top
  const int blocksDropped = blocksBefore + blocksAdded - document->blockCount();

  if (MemoLog->textCursor().anchor() != anchor.position() ||
      MemoLog->textCursor().position() != caret.position()) {
    QTextCursor kept(document);
    kept.setPosition(anchor.position());
    kept.setPosition(caret.position(), QTextCursor::KeepAnchor);
    MemoLog->setTextCursor(kept);  // scrolls to the caret; the view is set below
  }
  horizontal->setValue(left);
  if (follow) {
    vertical->setValue(vertical->maximum());
  } else {
    // One block is one line (no wrapping): the same lines stay in view.
    vertical->setValue(std::max(0, top - blocksDropped));
  }
}

void TFormLog::showEvent(QShowEvent* event) {
  Refresh();
  QDialog::showEvent(event);
}
