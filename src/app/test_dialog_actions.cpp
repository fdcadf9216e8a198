#include "app/test_dialog_actions.h"

#include "app/app.h"
#include "common/text_format.h"

namespace etccomm {

SendCommOutcome ButtonSendCommClick(App& app) {
  ReceiverSession* s = app.Receiver();
  if (!s) return SendCommOutcome::kNoReceiver;
  TestDialogModel& m = s->testDialog;
  if (m.EditCommand.empty()) {
    m.StatusBar = "コマンドを入力して下さい";
    return SendCommOutcome::kEmpty;
  }
  if (!s->cfg.NmeaMode) {
    m.StatusBar = "バイナリ通信中です";
    return SendCommOutcome::kBinary;
  }
  // The receiver reads the code page the program speaks outside.
  std::string text = app.platform.textCodec.ToCp932(m.EditCommand);
  if (m.CheckBoxCrLf) text += "\r\n";
  // Until the write has ended, no earlier outcome stays on show.
  m.StatusBar.clear();
  s->transmitter.WriteCommand(
      std::vector<uint8_t>(text.begin(), text.end()), [&m](bool sent) {
        m.StatusBar = sent ? "コマンドを送信しました" : "コマンドを送信できませんでした!!";
      });
  return SendCommOutcome::kSent;
}

void ButtonSyncServClick(App& app) {
  const TestDialogModel* m = app.TestDialog();
  if (!m || !m->ButtonSyncServEnabled) return;
  // Without a server there is nobody to ask: say so rather than look up a
  // blank name.
  if (app.settings.ServerIpAddr.empty()) {
    app.platform.messageBoxes.Show("接続先のアドレスを指定して下さい!!");
    return;
  }
  app.network.SendSntpRequest(ClientRole::kReceiver, app.ServiceSource(), kSendByButton);
}

std::string LabelChecksumText(const App& app) {
  const unsigned long long errors = app.Receiver() ? app.Receiver()->time.ChecksumErrors : 0;
  return StrPrintf("ﾁｪｯｸｻﾑ異常: %llu", errors);
}

}  // namespace etccomm
