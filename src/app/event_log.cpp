#include "app/event_log.h"

#include "common/text_format.h"

namespace {
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }
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
