#pragma once
#include <deque>
#include <functional>
#include <string>
#include <vector>

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

  // Opens the log file of local time `now` ("Quor%02d%02d%02d%02d.log")
  // and removes the oldest log files beyond the newest `keep`. False when
  // it cannot be opened.
  bool OpenFile(const LocalTimeRecord& now, int keep);
  // At the first call on a new local day (midnight passed) with the file
  // open: closes it and opens that day's; true then.
  bool RollOver(const LocalTimeRecord& now, int keep);

  const std::deque<std::string>& MemoLog() const { return memo_; }
  unsigned long Revision() const { return revision_; }
  LogFile& File() { return file_; }

 private:
  LogFile& file_;
  Mirror mirror_;
  Mirror faultNotice_;
  bool fileFailing_ = false;
  std::deque<std::string> memo_;
  int openedDay_ = 0;  // year * 10000 + month * 100 + day of the open file
  unsigned long revision_ = 0;
};

// The log file's name for a file opened at local time `t`:
// "Quor%02d%02d%02d%02d.log" (month, day, hour, minute).
std::string LogFileName(const LocalTimeRecord& t);

// Whether a name is one LogFileName makes.
bool IsLogFileName(const std::string& name);

// The stored log files to remove so that the newest `keep` of them stay
// (newest by last change, then by name); `current`, the open one, always stays.
std::vector<std::string> LogFilesBeyond(std::vector<LogFile::Stored> stored, int keep,
                                        const std::string& current);
