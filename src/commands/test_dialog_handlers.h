#pragma once
#include "commands/test_dialog_model.h"
#include "common/log_sink.h"

// The test dialog's handlers that act on its model alone. Those that write
// to the receiver or ask the time server are in app/test_dialog_actions.h.
namespace etccomm {

// "ﾃｽﾄ..." on the main window: the dialog is about to be shown. False when
// there is none (no receiver connection), and then nothing changes.
bool TestDialogOpening(TestDialogModel& m);
// The dialog has closed: rows stop, and the sentences go to the log from now
// on exactly when "センテンスをログに出力" is ticked.
void TestDialogClosed(TestDialogModel& m);

// Each showing starts with the display off.
void FormShow(TestDialogModel& m);
void FormClose(TestDialogModel& m);

void ButtonPauseClick(TestDialogModel& m);
void ButtonClearClick(TestDialogModel& m);
// Writes every row to the log, oldest first, then empties the list.
void ButtonLogOutClick(TestDialogModel& m, LogSink& log);
void CheckBoxAutoSyncClick(TestDialogModel& m, bool ticked);
void RadioGroupModeClick(TestDialogModel& m, int mode);
// The command text as typed, cut to kMaxCommandLength characters.
void EditCommandChange(TestDialogModel& m, const std::string& utf8);

}  // namespace etccomm
