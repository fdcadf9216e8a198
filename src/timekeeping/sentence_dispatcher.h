#pragma once
#include <string>

class App;

// Walks the received text record by record, counts, reacts to the 1PPS
// marker and hands each recognised sentence to its parser.
void ProcessReceivedText(App& app, const std::string& text);
