#pragma once

class App;

// Puts the receiver's time of the current second into ReceiverNtpTime: from
// its UTC date and time when the date is known, else the PC's date (as last
// read into NowLocal) with the receiver's local time of day.
void TakeReceiverTime(App& app);
