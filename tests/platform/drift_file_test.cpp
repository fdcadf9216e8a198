#include "platform/qt/qt_drift_file.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "common/drift_text.h"

namespace {

TEST(DriftFile, BesideTheSettingsWrittenAndReadBack) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QtDriftFile file(dir.filePath("sub/Quor.conf"));
  EXPECT_EQ(file.Path(), dir.filePath("sub/Quor.drift"));
  EXPECT_EQ(file.Read(), std::nullopt);  // missing: none
  ASSERT_TRUE(file.Write(-40.123456));
  EXPECT_DOUBLE_EQ(file.Read().value_or(0), -40.123456);
  ASSERT_TRUE(file.Write(3.5));
  EXPECT_DOUBLE_EQ(file.Read().value_or(0), 3.5);

  QFile raw(file.Path());
  ASSERT_TRUE(raw.open(QIODevice::WriteOnly | QIODevice::Truncate));
  raw.write("\x01garbage\n");
  raw.close();
  EXPECT_EQ(file.Read(), std::nullopt);
}

TEST(DriftFile, OnlyOneNumberWithinTheBoundsIsAFrequency) {
  struct Case {
    const char* text;
    std::optional<double> ppm;
  };
  const Case cases[] = {
      {"-40.500000\n", -40.5}, {"  12 \r\n", 12.0}, {"500", 500.0},
      {"", std::nullopt},      {"\n", std::nullopt}, {"12 13", std::nullopt},
      {"500.1", std::nullopt}, {"nan", std::nullopt}, {"inf", std::nullopt},
      {"1e999", std::nullopt}, {"12ppm", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ParseDriftText(c.text), c.ppm);
  }
  EXPECT_EQ(ParseDriftText(DriftText(-41.25)), -41.25);
  EXPECT_EQ(ParseDriftText(std::string(100, '1')), std::nullopt);
}

}  // namespace
