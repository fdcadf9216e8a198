#pragma once

class App;

// Reads the key file named by `KeyFile` into the shared keys, in place of
// those held before, and logs what was taken and what not (never a key).
// An empty setting leaves no keys.
void LoadKeyFileSetting(App& app);
