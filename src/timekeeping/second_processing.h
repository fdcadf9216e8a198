#pragma once

class TimeKeeper;

// Derives FixQuality (0..3) from what the parsers collected.
void UpdateFixQuality(TimeKeeper& tk);

// The once-a-second step of a receiver connection.
void ProcessSecond(TimeKeeper& tk);

// The receiver's time of the current second (NTP seconds, UTC): from its UTC
// date when it sent one this second, else its time of day on the date that
// puts it nearest the PC's time now.
double ReceiverSecondTime(const TimeKeeper& tk);
