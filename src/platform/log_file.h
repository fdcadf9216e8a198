#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The event log file. Text passed in is UTF-8; the file holds Shift-JIS (CP932).
class LogFile {
 public:
  // A log file found in the log directory, with its last change (seconds
  // of any origin, comparable among the files).
  struct Stored {
    std::string name;
    int64_t modified = 0;
  };

  virtual ~LogFile() = default;
  // Opens (appending, creating when missing) fileName in the current
  // directory: where the program was started, the service's log directory.
  virtual bool Open(const std::string& fileName) = 0;
  virtual bool IsOpen() const = 0;
  // Writes the text and a line end, whole or not at all (a full disk never
  // leaves half a line). False when the line is not in the file.
  virtual bool WriteLine(const std::string& text) = 0;
  virtual void Close() = 0;
  // The files of that directory whose names begin with "Quor" and end in
  // ".log", and removing one of them by name.
  virtual std::vector<Stored> StoredLogs() = 0;
  virtual bool Remove(const std::string& fileName) = 0;
};
