#pragma once
#include "platform/serial_port.h"

class App;

// Runs after each armed edge: shows the edge's local time and UTC, the PC
// error every 5 seconds, and disciplines the PC clock.
void PpsEdgeUpdate(App& app, const EdgeCapture& edge);
