#include "platform/linux/cp932_log_file.h"

#include <unistd.h>

#include <climits>

#include "platform/linux/cp932_conversion.h"

namespace {

std::string ProgramDirectory() {
  char buf[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return ".";
  std::string path(buf, static_cast<size_t>(n));
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

}  // namespace

bool Cp932LogFile::Open(const std::string& fileName, bool inProgramDirectory) {
  Close();
  path_ = inProgramDirectory ? ProgramDirectory() + "/" + fileName : fileName;
  // Appending: a second run within the same minute keeps the first run's lines.
  file_ = std::fopen(path_.c_str(), "a");
  return file_ != nullptr;
}

void Cp932LogFile::WriteLine(const std::string& text) {
  if (!file_) return;
  const std::string bytes = Utf8ToCp932(text) + "\n";
  std::fwrite(bytes.data(), 1, bytes.size(), file_);
  // Lines are few; flushing each keeps them when the program dies.
  std::fflush(file_);
}

void Cp932LogFile::Close() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
}
