#pragma once

class TimeKeeper;

// The tick's work for a receiver connection before the received text is
// dispatched: waiting for the first usable data, the pending second without
// 1PPS, the sentence-to-marker count, and noticing reception that stops.
// Returns true when the first usable data has just come (the receiver's
// start-up then runs).
bool TickReceiverTiming(TimeKeeper& tk);

// A DSR change came, armed or not: the 1PPS is there.
void NoteDsrChange(TimeKeeper& tk);
