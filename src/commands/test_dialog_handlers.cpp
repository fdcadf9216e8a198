#include "commands/test_dialog_handlers.h"

namespace etccomm {

namespace {

// The first `count` characters of a UTF-8 text.
std::string FirstCharacters(const std::string& utf8, size_t count) {
  size_t i = 0;
  for (size_t n = 0; i < utf8.size() && n < count; ++n) {
    ++i;
    while (i < utf8.size() && (static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80) ++i;
  }
  return utf8.substr(0, i);
}

}  // namespace

bool TestDialogOpening(TestDialogModel& m) {
  if (!m.Exists) return false;
  m.TestDialogShown = true;
  return true;
}

void TestDialogClosed(TestDialogModel& m) {
  m.TestDialogShown = false;
  m.SentencesToLog = m.CheckBoxToLogFile;
}

void FormShow(TestDialogModel& m) {
  m.DisplayOn = false;
  m.ButtonPauseCaption = "表示開始";
  m.ButtonSyncServEnabled = m.CheckBoxAutoSync;
  m.StatusBar.clear();
}

void FormClose(TestDialogModel& m) { m.DisplayOn = false; }

void ButtonPauseClick(TestDialogModel& m) {
  m.DisplayOn = !m.DisplayOn;
  m.ButtonPauseCaption = m.DisplayOn ? "表示停止" : "表示開始";
}

void ButtonClearClick(TestDialogModel& m) { m.ClearRows(); }

void ButtonLogOutClick(TestDialogModel& m, LogSink& log) {
  if (m.ListBoxMesg.empty()) {
    m.StatusBar = "書き出す情報がありません";
    return;
  }
  for (const std::string& row : m.ListBoxMesg) log.LogLine(row);
  m.ClearRows();
  m.StatusBar = "ログに書き出しました";
}

void CheckBoxAutoSyncClick(TestDialogModel& m, bool ticked) {
  m.CheckBoxAutoSync = ticked;
  m.ButtonSyncServEnabled = ticked;
}

void RadioGroupModeClick(TestDialogModel& m, int mode) {
  if (mode >= 0 && mode <= 2) m.RadioGroupMode = mode;
}

void EditCommandChange(TestDialogModel& m, const std::string& utf8) {
  m.EditCommand = FirstCharacters(utf8, TestDialogModel::kMaxCommandLength);
}

}  // namespace etccomm
