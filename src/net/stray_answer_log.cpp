#include "net/stray_answer_log.h"

#include <cmath>

#include "common/text_format.h"

void StrayAnswerLog::Ignored(const std::string& what, const std::string& from) {
  const auto minute = static_cast<int64_t>(std::floor(clock_.ReadNtpSeconds() / 60.0));
  const uint64_t earlier = limit_.TakeUnlogged(minute);
  if (!limit_.Allow(minute)) return;
  std::string line = StrPrintf("要求していない応答を無視しました(%s,From:%s)", what.c_str(), from.c_str());
  if (earlier > 0) line += StrPrintf("、ほか %llu 件", static_cast<unsigned long long>(earlier));
  log_.LogWithPcTime(line);
}
