#pragma once

class App;

// Reads the stored settings and finds the PC's own address.
void FormCreate(App& app);
// The first showing of the main window: initial texts and button states,
// the log file, "Quor運用開始". Returns true when it ran; later showings do
// nothing.
bool FormShow(App& app);
// Closing: "Quor運用終了", then the log file is closed.
void FormCloseQuery(App& app);
// Program end: stops the tick, releases a receiver port that is still open.
void FormDestroy(App& app);

// The run's start and end, alike with or without a window. Start: the first
// showing's start-up, then the 100 ms tick; true when it ran, later calls do
// nothing. Stop: the tick stops, then the closing lines.
bool StartRunning(App& app);
void StopRunning(App& app);

// "ﾀｽｸﾄﾚｲへ": true when the window may go to the tray (connected); otherwise
// the user is told to connect first.
bool ButtonToTaskTrayClick(App& app);

// The delay spin button beside "通信遅延".
void CSpinButtondSSUpClick(App& app);
void CSpinButtondSSDownClick(App& app);
