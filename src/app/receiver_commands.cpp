#include "app/receiver_commands.h"

#include "app/app.h"
#include "commands/receiver_init.h"
#include "timekeeping/reception_restart.h"

namespace {

bool Run(App& app, CommandSequence sequence) {
  ReceiverSession* s = app.Receiver();
  return s && s->commands.Run(std::move(sequence));
}

}  // namespace

CommandRunnerHooks ReceiverCommandHooks(ReceiverSession& s) {
  CommandRunnerHooks hooks;
  // A mode switch takes "同期", "ｺﾏﾝﾄﾞ..." and "ﾃｽﾄ..." away until it is over.
  hooks.lockButtons = [&s](bool locked) { s.ButtonsLocked = locked; };
  // Until the first usable data in the new format, the receiver's mode is
  // not known, so the command button waits for them too.
  hooks.restartReception = [&s] {
    RestartReception(s.time);
    s.link.ClearText();
    s.CommandsAvailable = false;
  };
  return hooks;
}

void InitialiseReceiver(App& app) {
  ReceiverSession& s = *app.Receiver();
  s.CommandsAvailable = RunReceiverInitialisation(s.cfg, s.time.Kind());
  s.commands.Run(StartupCommandSequence(s.time.Kind().startup));
}

bool RunJupiterCommand(App& app, const JupiterChoice& choice) {
  return app.Receiver() && Run(app, SendJupiterCommand(choice, app.Receiver()->cfg));
}

bool RunGt77Command(App& app, const Gt77Choice& choice) {
  return app.Receiver() && Run(app, SendGt77Command(choice, app.Receiver()->cfg));
}

bool RunCcaCommand(App& app, const CcaChoice& choice) { return Run(app, SendCcaCommand(choice)); }
