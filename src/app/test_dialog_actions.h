#pragma once
#include <string>

class App;

// The test dialog's handlers that need the receiver connection or the
// network client. The others act on the model alone
// (commands/test_dialog_handlers.h).
namespace etccomm {

enum class SendCommOutcome { kSent, kEmpty, kBinary, kNoReceiver };

// "ｺﾏﾝﾄﾞ送信": the typed text, with "\r\n" when "コマンドに改行コード付加" is
// ticked, goes to the receiver. kEmpty: the caller puts the focus on
// EditCommand. The status bar tells the write's outcome once it has ended.
SendCommOutcome ButtonSendCommClick(App& app);

// "ｻｰﾊﾞと同期": one SNTP request to the time server now; its result becomes a
// row of the list. With no server set, a message box says so instead.
void ButtonSyncServClick(App& app);

// "ﾁｪｯｸｻﾑ異常: N": the sentences of this connection dropped for a wrong NMEA
// checksum.
std::string LabelChecksumText(const App& app);

}  // namespace etccomm
