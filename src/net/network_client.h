#pragma once

class App;

// The tick's work while connected to a time server.
void TickNetworkClient(App& app);

// Asks the time server for the time (SNTP).
void SendSntpRequest(App& app);
