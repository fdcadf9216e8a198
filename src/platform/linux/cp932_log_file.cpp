#include "platform/linux/cp932_log_file.h"

#include <iconv.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>

namespace {

std::string ProgramDirectory() {
  char buf[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return ".";
  std::string path(buf, static_cast<size_t>(n));
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

size_t Utf8Length(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  if ((lead & 0xF8) == 0xF0) return 4;
  return 1;
}

}  // namespace

std::string Utf8ToCp932(const std::string& utf8) {
  iconv_t cd = iconv_open("CP932", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) return utf8;
  std::string out;
  out.reserve(utf8.size());
  char* in = const_cast<char*>(utf8.data());
  size_t inLeft = utf8.size();
  char buf[256];
  while (inLeft > 0) {
    char* o = buf;
    size_t oLeft = sizeof buf;
    const size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
    out.append(buf, static_cast<size_t>(o - buf));
    if (r == static_cast<size_t>(-1) && errno != E2BIG) {
      // Not representable or broken input: one '?' for the character.
      const size_t skip = std::min(inLeft, Utf8Length(static_cast<unsigned char>(*in)));
      in += skip;
      inLeft -= skip;
      out.push_back('?');
    }
  }
  iconv_close(cd);
  return out;
}

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
