#pragma once

class App;

// Network mode after a silent own-protocol server dropped the connection:
// it connects again by itself, first after 5 seconds, then after twice the
// wait before, up to the request interval (`NtpIntv`, or a minute when it
// is 0). The user's "接続(&G)" / "切断(&G)" or a settings change stops it.
inline constexpr int kFirstReconnectTicks = 50;

// The connection was just dropped: sets the next wait and logs it.
void ReconnectLater(App& app);
// The offline tick: connects again when the wait is over.
void TickReconnect(App& app);
// No connecting again, and the next wait starts from the first.
void StopReconnecting(App& app);
// The server answered the handshake: the next wait starts from the first.
void NoteNetworkOpened(App& app);
