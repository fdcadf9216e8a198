#include "app/receiver_session.h"

#include "app/receiver_commands.h"

ReceiverSession::ReceiverSession(const ReceiverSessionDeps& d)
    : link(static_cast<ReceiverKind>(d.settings.Receiver), d.counterScale),
      time(TimeKeeperDeps{d.settings, d.settings.dSSS, d.clockSetPending, d.view, d.status, cfg,
                          testDialog, d.log, d.beeper, d.clock, d.discipline, d.counterScale,
                          d.edgeReference, d.burstDelay}),
      transmitter(d.port, d.status, d.log),
      commands(transmitter, d.timers, d.boxes, d.status, cfg, ReceiverCommandHooks(*this)) {
  testDialog.Exists = true;
  time.SecondEnded = d.secondEnded;
}
