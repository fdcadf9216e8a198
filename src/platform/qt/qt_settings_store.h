#pragma once
#include <QString>

#include "platform/settings_store.h"

// The settings as an INI file in the user's configuration directory
// ($XDG_CONFIG_HOME, else ~/.config) through QSettings, which writes through a
// temporary file and a rename, so a crash never leaves a broken store. On
// Windows the same class would take the registry path instead.
class QtSettingsStore : public SettingsStore {
 public:
  QtSettingsStore();  // the user's store
  explicit QtSettingsStore(QString path) : path_(std::move(path)) {}
  bool Exists() override;
  std::optional<int32_t> ReadInt(const std::string& name) override;
  std::optional<std::string> ReadString(const std::string& name) override;
  bool WriteAll(const std::vector<Entry>& entries) override;
  DeleteResult Delete() override;
  const QString& Path() const { return path_; }

 private:
  QString path_;
};
