#include "link/pps_discipline.h"

#include "app/app.h"
#include "app/text_format.h"

void PpsEdgeUpdate(App& app, const EdgeCapture& /*edge*/) {
  const PpsTimingRecord& r = app.pps;
  app.view.EditJst = Hms(r.LocalHour, r.Minute, r.Second);
  app.view.EditUtc = Hms(r.UtcHour, r.Minute, r.Second);
}
