#include "commands/receiver_init.h"

#include "app/app.h"

void RunReceiverInitialisation(App& app) {
  app.view.StatusBar = "通信の準備中";
  app.cfg.LearnSentences = true;
  app.cfg.ClearSentenceFlags();
  app.view.ButtonSendCommEnabled = true;
  switch (app.settings.Receiver) {
    case kGarminStd:
    case kOtherReceiver:
      app.view.ButtonSendCommEnabled = false;
      break;
    default:
      // Jupiter: nothing is sent. GT-77 and CCA-370H start-up commands come
      // with the command sets.
      break;
  }
}
