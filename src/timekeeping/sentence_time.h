#pragma once

class TimeKeeper;
struct PpsTimingRecord;

// What a parser read of a sentence's time and status: the one place that
// decides what it means for the second is TakeReading.
struct TimeReading {
  bool timeRead = false;     // a time of day was read in this sentence
  bool fix = false;          // its status says the time is good
  bool base = false;         // it is the time sentence that starts the second
  bool arms = false;         // it arms the 1PPS, for a kind whose time sentence does
  bool ownStatus = false;    // a status whose fix counts for every kind
  bool armsAnyKind = false;  // it arms the 1PPS whatever the kind (the GT-77 status sentence)
};

// Shifts the receiver's second by the setting dSec (text receivers only),
// carries once into minute and hour, and derives LocalHour. Returns the day
// the carry crossed (-1, 0 or +1). A second of 60 read from the receiver is
// a leap second: kept as 23:59:60 when nothing shifts it, and noted.
int ApplySecondCorrection(TimeKeeper& tk, bool leapRead = false);

// Reads "hh mm ss" already scanned from a sentence into the record and
// corrects it; returns the seconds of the UTC day that the corrected time
// names before its day carry (so a date read in the same sentence can be
// tied to it).
int ReadTimeOfDay(TimeKeeper& tk, int hour, int minute, int second);

// The seconds of the UTC day that the held time names.
int HeldTimeOfDay(const PpsTimingRecord& p);

// Decides what a sentence's reading means for the second: a time sentence
// starts it (its timing counters restart, and its burst's arrival marks it);
// the time of this second is valid only when it was read in this second and
// the status says so; the 1PPS is armed as the kind's entry says.
void TakeReading(TimeKeeper& tk, const TimeReading& reading);

// A binary receiver's date lags its time mark at midnight: in the first two
// seconds of a day the day is stepped (with month and year carries).
void ApplyMidnightDateStep(TimeKeeper& tk);

// Takes a date read from a sentence, tied to the seconds of the UTC day
// `timeOfDay` that the same sentence's time named. A date before the
// program's floor is moved on by whole GPS week-number rollovers (told once a
// connection); a date that cannot be true is not taken, the receiver's time
// is then no time source, and that is told once until a true date comes.
// Returns whether taken.
bool TakeReceiverDate(TimeKeeper& tk, int year, int month, int day, int timeOfDay);
