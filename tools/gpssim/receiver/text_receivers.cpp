#include "receiver/text_receivers.h"

#include <cstdio>

#include "receiver/nmea_sentences.h"
#include "receiver/nmea_text.h"
#include "receiver/utc_fields.h"

namespace sim {
namespace {

std::string TwoDigitStamp(const UtcFields& t) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d%02d%02d%02d%02d%02d", t.year % 100, t.month, t.day,
                t.hour, t.minute, t.second);
  return text;
}

// GT-77 time sentence: sub-name, time of the coming pulse, status ("3" when
// the time is valid), then leap-second and GPS week information.
std::string TpsSentence(const GeneratorOptions& o, int64_t label) {
  char body[128];
  const std::string stamp = TwoDigitStamp(BreakDownUtc(label));
  std::snprintf(body, sizeof body, "PFEC,GPtps,%s,%d,1,1,170101000000,00,%02d,%s,%04d,%06ld",
                stamp.c_str(), o.fix ? 3 : 0, kGpsUtcLeapSeconds, stamp.c_str(),
                GpsWeek(label), static_cast<long>(GpsSecondsOfWeek(label)));
  return NmeaSentence(body);
}

}  // namespace

std::string SsdSentence(const GeneratorOptions& o) {
  const int datum = o.gt77Datum != 0 ? o.gt77Datum : o.tokyoDatum ? 3 : 1;
  char body[32];
  std::snprintf(body, sizeof body, "PFEC,GPssd,G%03d,0", datum);
  return NmeaSentence(body);
}

std::string JupiterNmeaText(const GeneratorOptions& o, int64_t edge) {
  const NmeaStyle style{"GP", 0, 4, false};
  const UtcFields t = BreakDownUtc(edge - 1);
  const unsigned on =
      o.sentences.value_or(kSimGga | kSimGsa | kSimRmc | (o.withGsv ? kSimGsv : 0u));
  std::string text;
  if (on & kSimGga) text += GgaSentence(style, o, t);
  if (on & kSimGsa) text += GsaSentence(style, o);
  if (on & kSimRmc) text += RmcSentence(style, o, t);
  if (on & kSimGsv) text += GsvSentences(o);
  return text;
}

std::string Gt77Text(const GeneratorOptions& o, int64_t edge) {
  const NmeaStyle style{"GP", 0, 4, true};
  const UtcFields t = BreakDownUtc(edge + 1);
  const unsigned on = o.sentences.value_or(kSimGga | kSimRmc);
  std::string text;
  if (on & kSimGga) text += GgaSentence(style, o, t);
  if (on & kSimRmc) text += RmcSentence(style, o, t);
  if (on & kSimGsa) text += GsaSentence(style, o);
  if (on & kSimGsv) text += GsvSentences(o);
  if (on & kSimGll) text += GllSentence(style, o, t);
  if (on & kSimZda) text += ZdaSentence(style, t);
  if (on & kSimVtg) text += VtgSentence(style, o);
  if (o.gt77Tps) text += TpsSentence(o, edge + 1);
  return text + SsdSentence(o);
}

std::string GarminText(const GeneratorOptions& o, int64_t edge) {
  const NmeaStyle style{"GP", 0, 3, false};
  const UtcFields t = BreakDownUtc(edge);
  std::string text = RmcSentence(style, o, t) + GgaSentence(style, o, t) + GsaSentence(style, o);
  text += NmeaSentence(o.fix ? "PGRME,9.1,M,15.0,M,12.0,M" : "PGRME,,M,,M,,M");
  text += NmeaSentence(o.tokyoDatum ? "PGRMM,Tokyo" : "PGRMM,WGS 84");
  return text;
}

std::string MultiGnssText(const GeneratorOptions& o, int64_t edge) {
  const NmeaStyle style{"GN", 3, 4, false};
  const UtcFields t = BreakDownUtc(edge);
  return RmcSentence(style, o, t) + GgaSentence(style, o, t) + ZdaSentence(style, t);
}

}  // namespace sim
