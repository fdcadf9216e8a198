#pragma once
#include <QString>

#include "platform/drift_file.h"

// The drift file "Quor.drift" beside the settings file, written through a
// temporary file and a rename (QSaveFile), so a crash leaves the old one.
class QtDriftFile : public DriftFile {
 public:
  explicit QtDriftFile(const QString& settingsPath);
  std::optional<double> Read() override;
  bool Write(double ppm) override;
  const QString& Path() const { return path_; }

 private:
  QString path_;
};
