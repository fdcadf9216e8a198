#pragma once
#include <string>

#include "platform/log_file.h"

// The log file, appended to, in Shift-JIS (CP932) converted with iconv.
// Each line goes straight to the file (no buffer), so it is kept when the
// program dies.
class Cp932LogFile : public LogFile {
 public:
  ~Cp932LogFile() override { Close(); }
  bool Open(const std::string& fileName) override;
  bool IsOpen() const override { return fd_ >= 0; }
  bool WriteLine(const std::string& text) override;
  void Close() override;
  std::vector<Stored> StoredLogs() override;
  bool Remove(const std::string& fileName) override;
  const std::string& Path() const { return path_; }

 private:
  int fd_ = -1;
  std::string path_;
};
