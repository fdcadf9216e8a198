#pragma once
#include <string>

class App;

// "接続(&G)" / "切断(&G)": connects to the receiver on the chosen COM port (or
// to the network), or disconnects.
void ButtonConnectClick(App& app);

// "同期": asks for a clock setting (offline: to the nearest whole minute at
// the next tick; with a receiver: from the receiver at the next second); in
// network mode asks the time server at once.
void ButtonSyncPCClick(App& app);

// "ﾓﾆﾀｰ": asks the own-protocol server for its position (network mode).
void ButtonServerInfoClick(App& app);

// A network connection ends without the user (the server stayed silent, or
// its name could not be looked up): offline, with `statusText` shown.
void DropNetworkConnection(App& app, const std::string& statusText);

// Network mode connects again by itself (after a silent server): the
// server's kisses still hold, and the server is asked once it is open.
void ConnectNetworkAgain(App& app);

// Asks the time server as soon as the connection allows (network mode);
// `tag` as for a send (kSendByButton: a failed lookup shows a message box).
void AskServerNow(App& app, int tag);

// Closes the receiver port and ends its session.
void CloseReceiverPort(App& app);
