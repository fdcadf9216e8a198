#pragma once

class App;

// The 100 ms heartbeat: shows the PC's time while offline, watches a network
// connection, or drives a receiver connection (first usable data, the
// pending second, the received lines).
void TickProc(App& app);
