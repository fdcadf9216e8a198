#include "platform/linux/cp932_log_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

#include "platform/linux/cp932_conversion.h"

bool Cp932LogFile::Open(const std::string& fileName) {
  Close();
  path_ = fileName;
  // Appending: a second run within the same minute keeps the first run's lines.
  fd_ = open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  return fd_ >= 0;
}

bool Cp932LogFile::WriteLine(const std::string& text) {
  if (fd_ < 0) return false;
  const std::string bytes = Utf8ToCp932(text) + "\n";
  const off_t before = lseek(fd_, 0, SEEK_END);
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd_, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      break;  // a full disk, or another error
    }
  }
  if (done == bytes.size()) return true;
  // Take back the part that fitted, so the file never ends mid-line and the
  // next line starts on a line of its own.
  if (done > 0 && before >= 0) (void)ftruncate(fd_, before);
  return false;
}

void Cp932LogFile::Close() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}

std::vector<LogFile::Stored> Cp932LogFile::StoredLogs() {
  std::vector<Stored> found;
  DIR* dir = opendir(".");
  if (dir == nullptr) return found;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.size() < 8 || name.compare(0, 4, "Quor") != 0 ||
        name.compare(name.size() - 4, 4, ".log") != 0) {
      continue;
    }
    struct stat st {};
    if (lstat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
      found.push_back({name, static_cast<int64_t>(st.st_mtime)});
    }
  }
  closedir(dir);
  return found;
}

bool Cp932LogFile::Remove(const std::string& fileName) {
  return fileName.find('/') == std::string::npos && unlink(fileName.c_str()) == 0;
}
