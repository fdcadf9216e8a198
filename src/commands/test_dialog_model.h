#pragma once
#include <deque>
#include <string>

// The test dialog's state as the core fills it (its window shows the rows).
struct TestDialogModel {
  static constexpr size_t kMaxRows = 16;
  bool Exists = false;           // created on a receiver connect
  bool TestDialogShown = false;  // being shown; rows are added only then
  bool DisplayOn = false;
  int RadioGroupMode = 0;        // 0 sentences, 1 1PPS interval, 2 position statistics
  bool CheckBoxAutoSync = false; // also act as a network client
  bool SentencesToLog = false;
  std::deque<std::string> ListBoxMesg;
  unsigned long Revision = 0;

  // Keeps the latest kMaxRows rows.
  void AddRow(std::string row) {
    if (ListBoxMesg.size() >= kMaxRows) ListBoxMesg.pop_front();
    ListBoxMesg.push_back(std::move(row));
    ++Revision;
  }
};
