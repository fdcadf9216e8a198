#pragma once
#include <optional>
#include <string>

// A dotted IPv4 address in the form the endpoint reports senders in
// ("%d.%d.%d.%d"); nullopt for anything else, such as a host name.
std::optional<std::string> CanonicalIpv4(const std::string& text);

// Whether a datagram from `from` can have come from the server set as
// `server`. A dotted address must match; for a host name the endpoint does
// not say which address it reached, so the sender cannot be compared and the
// answer's other checks must carry the decision.
bool FromServer(const std::string& server, const std::string& from);
