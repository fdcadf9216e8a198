#pragma once
#include <cstddef>
#include <optional>
#include <string>

// A dotted IPv4 address in the form the endpoint reports senders in
// ("%d.%d.%d.%d"); nullopt for anything else, such as a host name.
std::optional<std::string> CanonicalIpv4(const std::string& text);

// Whether `text` names a server in the usual syntax: a dotted IPv4 address,
// an IPv6 address (with a "%zone" for a link-local one), or a host name of labels made of letters, digits and hyphens (1 to 63
// characters each, no hyphen at either end), joined by dots, with at most
// one final dot, `maxLength` characters at most in all. A name whose last
// label is all digits is a mistyped address, not a host name.
bool IsServerAddress(const std::string& text, size_t maxLength);
