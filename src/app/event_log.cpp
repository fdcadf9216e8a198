#include "app/event_log.h"

#include <algorithm>

#include "common/text_format.h"

namespace {
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }
int DayOf(const LocalTimeRecord& t) { return t.Year * 10000 + t.Month * 100 + t.Day; }
}  // namespace

void EventLog::LogLine(std::string text, bool writeToFile) {
  if (!text.empty() && IsLineEnd(text.back())) text.pop_back();
  if (!text.empty() && IsLineEnd(text.back())) text.pop_back();
  if (memo_.size() >= kMaxLines) memo_.pop_front();
  memo_.push_back(text);
  ++revision_;
  if (writeToFile && file_.IsOpen()) {
    const bool written = file_.WriteLine(text);
    if (!written && !fileFailing_ && faultNotice_) faultNotice_(kFileFault);
    fileFailing_ = !written;
  }
  if (mirror_) mirror_(text);
}

std::string LogFileName(const LocalTimeRecord& t) {
  return StrPrintf("Quor%02d%02d%02d%02d.log", t.Month, t.Day, t.Hour, t.Minute);
}

bool IsLogFileName(const std::string& name) {
  if (name.size() != 16 || name.compare(0, 4, "Quor") != 0 || name.compare(12, 4, ".log") != 0) {
    return false;
  }
  return std::all_of(name.begin() + 4, name.begin() + 12, [](char c) { return c >= '0' && c <= '9'; });
}

std::vector<std::string> LogFilesBeyond(std::vector<LogFile::Stored> stored, int keep,
                                        const std::string& current) {
  std::erase_if(stored, [](const LogFile::Stored& s) { return !IsLogFileName(s.name); });
  std::sort(stored.begin(), stored.end(), [](const LogFile::Stored& a, const LogFile::Stored& b) {
    return a.modified != b.modified ? a.modified > b.modified : a.name > b.name;
  });
  // The open file counts among the kept ones wherever it sorts.
  int kept = 0;
  for (const LogFile::Stored& s : stored) kept += s.name == current;
  std::vector<std::string> beyond;
  for (const LogFile::Stored& s : stored) {
    if (s.name == current) continue;
    if (kept < keep) {
      ++kept;
    } else {
      beyond.push_back(s.name);
    }
  }
  return beyond;
}

bool EventLog::OpenFile(const LocalTimeRecord& now, int keep) {
  const std::string name = LogFileName(now);
  if (!file_.Open(name)) return false;
  openedDay_ = DayOf(now);
  for (const std::string& old : LogFilesBeyond(file_.StoredLogs(), keep, name)) file_.Remove(old);
  return true;
}

bool EventLog::RollOver(const LocalTimeRecord& now, int keep) {
  if (!file_.IsOpen() || DayOf(now) == openedDay_) return false;
  file_.Close();
  // Tried once a day: a file that cannot be opened leaves the log window
  // and the mirror going, as at start-up.
  openedDay_ = DayOf(now);
  OpenFile(now, keep);
  return true;
}
