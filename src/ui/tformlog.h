#pragma once
#include <QDialog>

class QPlainTextEdit;
class EventLog;

// "Quor - ログ情報": the latest lines of the event log of this run.
class TFormLog : public QDialog {
  Q_OBJECT
 public:
  TFormLog(const EventLog& log, QWidget* parent = nullptr);
  // Copies new lines from the log when they changed.
  void Refresh();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  const EventLog& log_;
  QPlainTextEdit* MemoLog;
  unsigned long shownRevision_ = ~0ul;
};
