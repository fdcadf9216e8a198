#include "timekeeping/clock_status_line.h"

#include "common/text_format.h"

namespace {

const char* SourceName(ClockSource source) {
  switch (source) {
    case ClockSource::kPps: return "1PPS";
    case ClockSource::kSentences: return "受信機";
    case ClockSource::kServer: return "サーバ";
    case ClockSource::kUser: return "手動";
    case ClockSource::kNone: break;
  }
  return "なし";
}

}  // namespace

std::string ClockStatusLine(const ClockState& state) {
  return StrPrintf("時計: 誤差 %+.6f 秒, 周波数補正 %+.3f ppm, 時刻源 %s", state.offset,
                   state.frequencyPpm, SourceName(state.source));
}
