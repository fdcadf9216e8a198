#pragma once

class App;

// Derives FixQuality (0..3) from what the parsers collected.
void UpdateFixQuality(App& app);

// The once-a-second step of a receiver connection.
void ProcessSecond(App& app);
