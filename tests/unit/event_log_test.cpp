#include "app/event_log.h"

#include <gtest/gtest.h>

#include "fakes/fake_platform.h"

namespace {

TEST(EventLog, TrailingLineEndsAreDropped) {
  const struct { const char* in; const char* out; } cases[] = {
      {"12:00:00  接続終了\r\n", "12:00:00  接続終了"},
      {"a\n", "a"},
      {"a\r", "a"},
      {"a\r\n\r\n", "a\r\n"},  // only the last pair goes
      {"\n", ""},
      {"", ""},
      {"a\nb", "a\nb"},
  };
  for (const auto& c : cases) {
    FakeLogFile file;
    file.open = true;
    EventLog log(file);
    log.LogLine(c.in, true);
    EXPECT_EQ(log.MemoLog().back(), c.out) << c.in;
    EXPECT_EQ(file.lines.back(), c.out);
  }
}

TEST(EventLog, WindowKeepsTheLatest256Lines) {
  FakeLogFile file;
  EventLog log(file);
  for (int i = 1; i <= 300; ++i) log.LogLine(std::to_string(i), false);
  ASSERT_EQ(log.MemoLog().size(), 256u);
  EXPECT_EQ(log.MemoLog().front(), "45");
  EXPECT_EQ(log.MemoLog().back(), "300");
}

TEST(EventLog, FileOnlyWhenLoggingIsOnAndOpen) {
  FakeLogFile file;
  EventLog log(file);
  log.LogLine("closed", true);
  file.open = true;
  log.LogLine("off", false);
  log.LogLine("on", true);
  EXPECT_EQ(file.lines, std::vector<std::string>{"on"});
  EXPECT_EQ(log.MemoLog().size(), 3u);
}

TEST(EventLog, MirrorSeesEveryLineWhateverTheFile) {
  FakeLogFile file;
  EventLog log(file);
  std::vector<std::string> mirrored;
  log.SetMirror([&mirrored](const std::string& line) { mirrored.push_back(line); });
  log.LogLine("off\r\n", false);
  file.open = true;
  log.LogLine("on", true);
  EXPECT_EQ(mirrored, (std::vector<std::string>{"off", "on"}));
  EXPECT_EQ(file.lines, std::vector<std::string>{"on"});
}

// A full disk: told once, the run goes on, the next line tries again, and a
// failure after the file has recovered is told again.
TEST(EventLog, AFileThatFailsIsToldOnceAndTriedAgainWithEachLine) {
  FakeLogFile file;
  file.open = true;
  EventLog log(file);
  std::vector<std::string> told;
  log.SetFileFaultNotice([&told](const std::string& text) { told.push_back(text); });
  log.LogLine("kept 1", true);
  file.failWrite = true;
  for (int i = 0; i < 3; ++i) log.LogLine("lost", true);
  EXPECT_EQ(told, std::vector<std::string>{EventLog::kFileFault});
  file.failWrite = false;
  log.LogLine("kept 2", true);
  file.failWrite = true;
  log.LogLine("lost", true);
  EXPECT_EQ(told.size(), 2u);
  EXPECT_EQ(file.lines, (std::vector<std::string>{"kept 1", "kept 2"}));
  EXPECT_EQ(log.MemoLog().size(), 6u);  // the window keeps every line
}

}  // namespace

namespace {

// The newest files stay, by last change and then by name; names that are
// not the log's are never touched; the open file always stays.
TEST(EventLog, OldLogFilesBeyondTheKeptNumberAreChosen) {
  const std::vector<LogFile::Stored> stored = {
      {"Quor01010000.log", 10}, {"Quor01020000.log", 20}, {"Quor01030000.log", 30},
      {"Quor01030815.log", 30}, {"Quor.log", 1},          {"Quor0104000.log", 2},
      {"Quor0105abcd.log", 3},  {"notes.txt", 4},         {"Quor12310000.log", 5}};
  const struct {
    int keep;
    const char* current;
    std::vector<std::string> beyond;
  } cases[] = {
      {31, "Quor01030815.log", {}},
      {3, "Quor01030815.log", {"Quor01010000.log", "Quor12310000.log"}},
      {1, "Quor01030815.log",
       {"Quor01030000.log", "Quor01020000.log", "Quor01010000.log", "Quor12310000.log"}},
      // An open file that sorts old (the clock went back) still stays.
      {2, "Quor12310000.log", {"Quor01030000.log", "Quor01020000.log", "Quor01010000.log"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keep);
    EXPECT_EQ(LogFilesBeyond(stored, c.keep, c.current), c.beyond);
  }
}

}  // namespace
