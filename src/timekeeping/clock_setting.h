#pragma once

class App;

// Sets the PC clock. From the receiver: to ReceiverNtpTime (the current
// second, put there by the caller) plus the sync adjustment and 10 ms, only
// while reception is normal. Not from the receiver ("同期" offline): to the
// nearest whole minute of NowLocal plus the sync adjustment.
void SetPcClock(App& app, bool fromReceiver);
