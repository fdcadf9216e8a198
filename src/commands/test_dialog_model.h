#pragma once
#include <cstddef>
#include <deque>
#include <string>

// The test dialog's state as the core fills it (its window shows the rows).
// Each receiver connection has its own, so what the user set in the dialog
// lasts for one connection.
struct TestDialogModel {
  static constexpr size_t kMaxRows = 16;
  static constexpr size_t kMaxCommandLength = 256;  // characters of EditCommand

  bool Exists = false;           // created on a receiver connect
  bool TestDialogShown = false;  // being shown; rows are added only then
  bool DisplayOn = false;
  int RadioGroupMode = 0;        // 0 sentences, 1 1PPS interval, 2 position statistics
  bool CheckBoxAutoSync = false; // also act as a network client
  bool SentencesToLog = false;   // CheckBoxToLogFile as it was when the dialog last closed

  // The dialog's controls.
  bool CheckBoxToLogFile = false;
  bool CheckBoxCrLf = true;
  std::string EditCommand;
  std::string ButtonPauseCaption = "表示開始";
  bool ButtonSyncServEnabled = false;
  std::string StatusBar;

  std::deque<std::string> ListBoxMesg;
  // Raised by every change of the rows, so the window redraws only then.
  unsigned long Revision = 0;

  // Keeps the latest kMaxRows rows.
  void AddRow(std::string row) {
    if (ListBoxMesg.size() >= kMaxRows) ListBoxMesg.pop_front();
    ListBoxMesg.push_back(std::move(row));
    ++Revision;
  }
  void ClearRows() {
    ListBoxMesg.clear();
    ++Revision;
  }
};

// Where the parts that outlive a receiver connection (the SNTP server and
// client) put their rows: the open test dialog of the connection, if any.
class TestDialogRows {
 public:
  virtual ~TestDialogRows() = default;
  virtual bool TestDialogShown() const = 0;
  virtual void AddTestDialogRow(const std::string& row) = 0;
};

// The rows of one model that lives as long as its user.
class ModelRows : public TestDialogRows {
 public:
  explicit ModelRows(TestDialogModel& model) : model_(model) {}
  bool TestDialogShown() const override { return model_.TestDialogShown; }
  void AddTestDialogRow(const std::string& row) override { model_.AddRow(row); }

 private:
  TestDialogModel& model_;
};
