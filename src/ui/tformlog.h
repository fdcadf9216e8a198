#pragma once
#include <QDialog>

class QPlainTextEdit;
class EventLog;

// "Quor - ログ情報": the latest lines of the event log of this run. The memo
// is editable; what the user types there stays in the window only.
class TFormLog : public QDialog {
  Q_OBJECT
 public:
  TFormLog(const EventLog& log, QWidget* parent = nullptr);
  // Appends the lines logged since the last call, keeping the user's caret,
  // selection and text; the view follows the new lines only when it was at
  // the bottom.
  void Refresh();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  const EventLog& log_;
  QPlainTextEdit* MemoLog;
  // The log's revision (its count of lines ever logged) already in the memo.
  unsigned long shownRevision_ = 0;
};
