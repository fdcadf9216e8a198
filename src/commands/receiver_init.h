#pragma once

class App;

// The first usable data of a receiver connection: "通信の準備中", sentence
// learning restarts, the command button, and the start-up commands by
// receiver kind.
void RunReceiverInitialisation(App& app);
