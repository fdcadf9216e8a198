#pragma once

class TimeKeeper;

// After the receiver changed its output format, the tick waits for usable
// data again as after connecting, with the port left open. The sentence
// flags, the fix quality, the held texts and the values on screen stay.
void RestartReception(TimeKeeper& tk);
