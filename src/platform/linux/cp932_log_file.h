#pragma once
#include <cstdio>
#include <string>

#include "platform/log_file.h"

// The log file, appended to, in Shift-JIS (CP932) converted with iconv.
class Cp932LogFile : public LogFile {
 public:
  ~Cp932LogFile() override { Close(); }
  bool Open(const std::string& fileName, bool inProgramDirectory) override;
  bool IsOpen() const override { return file_ != nullptr; }
  void WriteLine(const std::string& text) override;
  void Close() override;
  const std::string& Path() const { return path_; }

 private:
  FILE* file_ = nullptr;
  std::string path_;
};
