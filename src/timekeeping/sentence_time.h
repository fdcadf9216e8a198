#pragma once

class App;

// Shifts the receiver's second by the setting dSec (text receivers only),
// carries once into minute, hour and day, and derives LocalHour.
void ApplySecondCorrection(App& app);

// The time sentence starts the second: its timing counters restart.
void ResetSecondCounters(App& app);
// Without 1PPS and without a delay the per-second processing runs at once.
void RunSecondIfImmediate(App& app);
// Both of the above, in this order.
void StartSecond(App& app);

// A binary receiver's date lags its time mark at midnight: in the first two
// seconds of a day the day is stepped (with month and year carries).
void ApplyMidnightDateStep(App& app);
