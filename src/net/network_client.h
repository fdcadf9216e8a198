#pragma once

class App;

// The tick's work while connected to a time server.
void TickNetworkClient(App& app);
