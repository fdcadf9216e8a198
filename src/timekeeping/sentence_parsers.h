#pragma once
#include <string_view>

class TimeKeeper;

// One parser per recognised sentence. Each takes the sentence's body: the
// text after the name's comma, up to the next '$', '#' or '=' or the end of
// the received text. Only comma-terminated fields are read; a missing or
// unreadable field leaves its target as it was. A time sentence restarts the
// second's timing counters; the dispatcher then decides whether the second
// is processed at once.

// "$GPGGA" (and the other talkers): time, position, status, satellites,
// heights; the time sentence when BaseMesg is 0.
void ParseGga(TimeKeeper& tk, std::string_view body);
// "$GPRMC": time, status, position, date; the time sentence when BaseMesg is 1.
void ParseRmc(TimeKeeper& tk, std::string_view body);
// "$GPZDA": time and date.
void ParseZda(TimeKeeper& tk, std::string_view body);
// "$PFEC,GPtps": the GT-77 time sentence's 1PPS status.
void ParseTps(TimeKeeper& tk, std::string_view body);
// "$PFEC,GPssd": the GT-77 map datum.
void ParseSsd(TimeKeeper& tk, std::string_view body);
// "$PGRMM": the Garmin map datum.
void ParseGrmm(TimeKeeper& tk, std::string_view body);
// "#1000,": position line of a binary receiver.
void ParseBin1000(TimeKeeper& tk, std::string_view body);
// "#1108,": time-mark line of a binary receiver; always starts the second.
void ParseBin1108(TimeKeeper& tk, std::string_view body);
