#include "timekeeping/second_processing.h"

#include "app/app.h"

void UpdateFixQuality(App& /*app*/) {}

void ProcessSecond(App& app) { app.tick.SecondPending = false; }
