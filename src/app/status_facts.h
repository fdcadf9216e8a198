#pragma once
#include "app/status_report.h"

class App;

// The facts of `quor --status` as the program stands now.
StatusFacts GatherStatus(const App& app);

// The answer to a status request: the text, or the JSON object.
inline std::string StatusAnswerText(const App& app, bool json) {
  const StatusFacts facts = GatherStatus(app);
  return json ? StatusReportJson(facts) : StatusReportText(facts);
}
