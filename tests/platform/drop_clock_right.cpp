#include "support/drop_clock_right.h"

// Before any test runs.
static ClockRightDropper dropper;
