#pragma once
#include <string_view>

class TimeKeeper;

// Walks the received text record by record, counts, reacts to the 1PPS
// marker and hands each recognised sentence to its parser. A text sentence
// whose "*hh" checksum is present and wrong is dropped (and counted).
void ProcessReceivedText(TimeKeeper& tk, std::string_view text);

// Whether a "$" sentence may be used: true when it carries no "*hh"
// checksum, or one that matches its characters between '$' and '*'.
bool NmeaChecksumAcceptable(std::string_view sentence);
