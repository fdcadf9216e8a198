#pragma once
#include <deque>
#include <functional>
#include <string>

#include "platform/local_time.h"
#include "platform/log_file.h"

// The one writer of the event log: the log window's lines (`MemoLog`, the
// latest kMaxLines), when logging is on the log file, and an optional mirror
// that sees every line (the headless program's standard error).
class EventLog {
 public:
  static constexpr size_t kMaxLines = 256;
  using Mirror = std::function<void(const std::string&)>;
  explicit EventLog(LogFile& file) : file_(file) {}

  void SetMirror(Mirror mirror) { mirror_ = std::move(mirror); }
  // Told with kFileFault when a line does not reach the log file, once until
  // a line reaches it again. The program keeps running; every later line
  // tries the file again.
  static constexpr const char* kFileFault = "ログファイルに書き込めませんでした!!";
  void SetFileFaultNotice(Mirror notice) { faultNotice_ = std::move(notice); }

  // Drops a trailing line end (LF, CR, or a CR LF / LF CR pair), appends the
  // line to the window and, when writeToFile and the file is open, to the file.
  void LogLine(std::string text, bool writeToFile);

  const std::deque<std::string>& MemoLog() const { return memo_; }
  unsigned long Revision() const { return revision_; }
  LogFile& File() { return file_; }

 private:
  LogFile& file_;
  Mirror mirror_;
  Mirror faultNotice_;
  bool fileFailing_ = false;
  std::deque<std::string> memo_;
  unsigned long revision_ = 0;
};

// The log file's name for a file opened at local time `t`:
// "Quor%02d%02d%02d%02d.log" (month, day, hour, minute).
std::string LogFileName(const LocalTimeRecord& t);
