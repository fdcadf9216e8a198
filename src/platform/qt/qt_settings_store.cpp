#include "platform/qt/qt_settings_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <limits>

QtSettingsStore::QtSettingsStore()
    : path_(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
            "/Quor.conf") {}

bool QtSettingsStore::Exists() { return QFileInfo::exists(path_); }

std::optional<int32_t> QtSettingsStore::ReadInt(const std::string& name) {
  if (!Exists()) return std::nullopt;
  QSettings s(path_, QSettings::IniFormat);
  const QVariant v = s.value(QString::fromStdString(name));
  if (!v.isValid()) return std::nullopt;
  if (v.typeId() == QMetaType::Int) return v.toInt();
  if (v.typeId() != QMetaType::QString) return std::nullopt;
  bool ok = false;
  const qlonglong n = v.toString().trimmed().toLongLong(&ok, 10);
  if (!ok || n < std::numeric_limits<int32_t>::min() || n > std::numeric_limits<int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<int32_t>(n);
}

std::optional<std::string> QtSettingsStore::ReadString(const std::string& name) {
  if (!Exists()) return std::nullopt;
  QSettings s(path_, QSettings::IniFormat);
  const QVariant v = s.value(QString::fromStdString(name));
  if (!v.isValid() || v.typeId() != QMetaType::QString) return std::nullopt;
  return v.toString().toStdString();
}

bool QtSettingsStore::WriteAll(const std::vector<Entry>& entries) {
  QDir().mkpath(QFileInfo(path_).absolutePath());
  QSettings s(path_, QSettings::IniFormat);
  for (const Entry& e : entries) {
    const QString key = QString::fromStdString(e.name);
    if (const auto* n = std::get_if<int32_t>(&e.value)) {
      s.setValue(key, *n);
    } else {
      s.setValue(key, QString::fromStdString(std::get<std::string>(e.value)));
    }
  }
  s.sync();
  return s.status() == QSettings::NoError;
}

SettingsStore::DeleteResult QtSettingsStore::Delete() {
  if (!Exists()) return DeleteResult::kNothingStored;
  // A directory in the file's place, or a directory that cannot be written,
  // keeps the store: it would load again at the next start.
  if (QFile::remove(path_) && !Exists()) return DeleteResult::kRemoved;
  return DeleteResult::kFailed;
}
