#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

// The per-user settings store (the registry key "\Software\Quor" on Windows).
class SettingsStore {
 public:
  using Value = std::variant<int32_t, std::string>;
  struct Entry {
    std::string name;
    Value value;
  };
  virtual ~SettingsStore() = default;
  // False when there is no stored key at all.
  virtual bool Exists() = 0;
  // nullopt when the value is missing or is not a 32-bit integer.
  virtual std::optional<int32_t> ReadInt(const std::string& name) = 0;
  // nullopt when the value is missing or is not text.
  virtual std::optional<std::string> ReadString(const std::string& name) = 0;
  // Writes all values at once: afterwards the store holds either the old
  // values or the new ones, never a mix or a broken store.
  virtual bool WriteAll(const std::vector<Entry>& entries) = 0;
  enum class DeleteResult { kRemoved, kNothingStored, kFailed };
  // Removes the key. kFailed when it is there but could not be removed (it
  // will then be read again at the next start).
  virtual DeleteResult Delete() = 0;
};
