#pragma once
#include <span>
#include <string_view>

#include "link/text_burst.h"

class TimeKeeper;

// Walks the received text record by record, counts, reacts to the 1PPS
// marker and hands each recognised sentence to its parser. A text sentence
// whose "*hh" checksum is present and wrong is dropped (and counted).
// `bursts` tells where each stretch of the text arrived (by the offset of its
// first record); a text without them is taken as arriving now.
void ProcessReceivedText(TimeKeeper& tk, std::string_view text,
                         std::span<const TextBurst> bursts = {});

// Whether a "$" sentence may be used: true when it carries no "*hh"
// checksum, or one that matches its characters between '$' and '*'.
bool NmeaChecksumAcceptable(std::string_view sentence);
