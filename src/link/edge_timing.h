#pragma once
#include "platform/serial_port.h"

class App;

// A DSR change as the edge thread captured it: timing of armed edges, the
// interval statistics and window, the edge's PC and receiver times, the
// discipline step and the "=PPS,," marker.
void HandleDsrChange(App& app, const EdgeCapture& edge);
