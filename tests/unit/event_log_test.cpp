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
