#include "platform/qt/qt_drift_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "common/drift_text.h"

QtDriftFile::QtDriftFile(const QString& settingsPath)
    : path_(QFileInfo(settingsPath).absolutePath() + "/Quor.drift") {}

std::optional<double> QtDriftFile::Read() {
  QFile file(path_);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  const QByteArray text = file.read(65);
  return ParseDriftText(text.toStdString());
}

bool QtDriftFile::Write(double ppm) {
  QDir().mkpath(QFileInfo(path_).absolutePath());
  QSaveFile file(path_);
  if (!file.open(QIODevice::WriteOnly)) return false;
  const std::string text = DriftText(ppm);
  if (file.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size())) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}
