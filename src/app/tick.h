#pragma once

class App;

// The 100 ms heartbeat: shows the PC's time while offline, watches a network
// connection, or drives a receiver connection (first usable data, the
// pending second, the received lines).
void TickProc(App& app);

// The tick on the main loop: TickProc every 100 ms on the platform's timers.
// Starting a running tick leaves it as it is; stopping a stopped one does
// nothing.
void StartTick(App& app);
void StopTick(App& app);
