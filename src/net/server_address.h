#pragma once
#include <string>

#include "common/address_syntax.h"

// Whether a datagram from `from` can have come from the server set as
// `server`. An address (IPv4 or IPv6, `from` in the endpoint's usual text)
// must match; for a host name the endpoint does
// not say which address it reached, so the sender cannot be compared and the
// answer's other checks must carry the decision.
bool FromServer(const std::string& server, const std::string& from);
