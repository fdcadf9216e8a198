#pragma once

class TimeKeeper;

// Shifts the receiver's second by the setting dSec (text receivers only),
// carries once into minute, hour and day, and derives LocalHour. Returns the
// day carried (-1, 0 or +1), which a date read later in the same sentence
// must take too. The carry moves the held date when it is a valid one.
int ApplySecondCorrection(TimeKeeper& tk);

// The time sentence starts the second: its timing counters restart.
void ResetSecondCounters(TimeKeeper& tk);

// A binary receiver's date lags its time mark at midnight: in the first two
// seconds of a day the day is stepped (with month and year carries).
void ApplyMidnightDateStep(TimeKeeper& tk);

// Takes a date read from a sentence, moved by the day the same sentence's
// time carried. A date outside the accepted years is not taken, and the
// receiver's date is then unknown for this second. Returns whether taken.
bool TakeReceiverDate(TimeKeeper& tk, int year, int month, int day, int dayCarry);
