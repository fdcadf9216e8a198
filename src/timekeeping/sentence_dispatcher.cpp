#include "timekeeping/sentence_dispatcher.h"

#include "app/app.h"

void ProcessReceivedText(App& /*app*/, const std::string& /*text*/) {}
