#pragma once

class App;

// "報時(&R)": puts a time stamp of this moment on the clipboard and logs it;
// from the 1PPS edge when there is one, else from the PC clock.
void ButtonReportTimeClick(App& app);
