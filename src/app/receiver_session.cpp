#include "app/receiver_session.h"

#include "app/app.h"
#include "app/receiver_commands.h"
#include "net/network_client.h"

ReceiverSession::ReceiverSession(App& app)
    : link(static_cast<ReceiverKind>(app.settings.Receiver), app.counterScale),
      time(TimeKeeperDeps{app.settings, app.settings.dSSS, app.tick.ClockSetPending, app.view, app, cfg,
                          app.testDialog, app, app.platform.beeper, app.platform.clock,
                          app.discipline, app.counterScale, app.edgeReference,
                          app.burstDelay}),
      transmitter(app.platform.serialPort, app, app),
      commands(transmitter, app.platform.timers, app.platform.messageBoxes, app, cfg,
               ReceiverCommandHooks(*this)) {
  time.SecondEnded = [&app](int minute, int second) {
    if (app.testDialog.CheckBoxAutoSync && !app.settings.ServerIpAddr.empty() &&
        app.network.schedule.Due(minute, second, app.settings.NtpIntv)) {
      app.network.SendSntpRequest(ClientRole::kReceiver, app.ServiceSource(), kSendPeriodic);
    }
  };
}
