#include "platform/linux/cp932_log_file.h"
#include "platform/linux/cp932_conversion.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct InTempDir : ::testing::Test {
  std::filesystem::path dir, previous;
  void SetUp() override {
    previous = std::filesystem::current_path();
    dir = std::filesystem::temp_directory_path() / ("quor-log-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::filesystem::current_path(dir);
  }
  void TearDown() override {
    std::filesystem::current_path(previous);
    std::filesystem::remove_all(dir);
  }
};

TEST_F(InTempDir, WritesShiftJisAndAppendsOnASecondOpening) {
  {
    Cp932LogFile log;
    ASSERT_TRUE(log.Open("Quor01160230.log"));
    log.WriteLine("02:30:05  Quor運用開始");
  }
  {
    // A second run in the same minute keeps the first run's lines.
    Cp932LogFile log;
    ASSERT_TRUE(log.Open("Quor01160230.log"));
    log.WriteLine("02:30:40  ﾛｸﾞ");
    log.Close();
  }
  // 運 = 89 5E, 用 = 97 70, 開 = 8A 4A, 始 = 8E 6E; half-width ﾛ = DB, ｸ = B8, ﾞ = DE.
  const std::string expected =
      "02:30:05  Quor\x89\x5E\x97\x70\x8A\x4A\x8E\x6E\n"
      "02:30:40  \xDB\xB8\xDE\n";
  EXPECT_EQ(ReadBytes((dir / "Quor01160230.log").string()), expected);
}

TEST_F(InTempDir, UnconvertibleTextAndFailures) {
  EXPECT_EQ(Utf8ToCp932("a\xF0\x9F\x98\x80z"), "a?z");  // an emoji has no CP932 form
  EXPECT_EQ(Utf8ToCp932("\xFF"), "?");                 // broken UTF-8
  Cp932LogFile log;
  EXPECT_FALSE(log.Open("no/such/dir/Quor.log"));
  log.WriteLine("ignored");  // no crash without a file
}

// A file that cannot grow (the size limit stands in for a full disk, which
// cuts a write short the same way): the line is not there at all, the file
// does not end mid-line, and the next line is written once there is room.
TEST_F(InTempDir, ALineIsWrittenWholeOrNotAtAll) {
  Cp932LogFile log;
  ASSERT_TRUE(log.Open("Quor01160230.log"));
  ASSERT_TRUE(log.WriteLine("02:30:05  first"));
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 20;  // room for a few bytes of the next line
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool cut = log.WriteLine("02:30:06  this line does not fit");
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &saved), 0);
  signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(cut);
  EXPECT_EQ(ReadBytes((dir / "Quor01160230.log").string()), "02:30:05  first\n");
  EXPECT_TRUE(log.WriteLine("02:30:07  third"));
  EXPECT_EQ(ReadBytes((dir / "Quor01160230.log").string()), "02:30:05  first\n02:30:07  third\n");

  // A device that is always full.
  Cp932LogFile full;
  ASSERT_TRUE(full.Open("/dev/full"));
  EXPECT_FALSE(full.WriteLine("x"));
}

}  // namespace

namespace {

// The log directory's "Quor*.log" files are listed with their last change;
// other files and directories are not, and a removal stays inside it.
TEST_F(InTempDir, ListsAndRemovesTheLogFilesOfTheDirectory) {
  for (const char* name : {"Quor01160230.log", "Quor01170000.log", "other.log", "Quor.txt"}) {
    std::ofstream(name) << "x\n";
  }
  std::filesystem::create_directory("Quor01180000.log");
  Cp932LogFile log;
  std::vector<std::string> names;
  for (const auto& s : log.StoredLogs()) {
    names.push_back(s.name);
    EXPECT_GT(s.modified, 0);
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"Quor01160230.log", "Quor01170000.log"}));
  EXPECT_TRUE(log.Remove("Quor01160230.log"));
  EXPECT_FALSE(std::filesystem::exists("Quor01160230.log"));
  EXPECT_FALSE(log.Remove("../Quor01170000.log"));
  EXPECT_FALSE(log.Remove("Quor01160230.log"));
}

}  // namespace
