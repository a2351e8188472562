#include "platform/settings_file.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace nimbel {
namespace {

TEST(SettingsFile, DefaultPathFollowsXdgConfigHome) {
  const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
  qputenv("XDG_CONFIG_HOME", "/cfg/home");
  EXPECT_EQ(SettingsFile::DefaultPath(), QStringLiteral("/cfg/home/Nimbel/Nimbel.conf"));
  // A relative value is not a valid XDG folder and is ignored.
  qputenv("XDG_CONFIG_HOME", "relative/dir");
  EXPECT_TRUE(SettingsFile::DefaultPath().endsWith(QStringLiteral("/.config/Nimbel/Nimbel.conf")));
  qputenv("XDG_CONFIG_HOME", saved);
}

TEST(SettingsFile, LanguageIdRoundTripsAndIsAbsentUntilWritten) {
  QTemporaryDir folder;
  const QString path = folder.filePath(QStringLiteral("Nimbel/Nimbel.conf"));
  EXPECT_EQ(SettingsFile(path).GetLanguageId(), std::nullopt);
  ASSERT_TRUE(SettingsFile(path).SetLanguageId(2052));
  EXPECT_EQ(SettingsFile(path).GetLanguageId(), 2052);
}

TEST(SettingsFile, ANonNumericLanguageReadsAsAbsent) {
  QTemporaryDir folder;
  const QString path = folder.filePath(QStringLiteral("Nimbel.conf"));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("[General]\nLANGUAGE=english\n");
  file.close();
  EXPECT_EQ(SettingsFile(path).GetLanguageId(), std::nullopt);
}

}  // namespace
}  // namespace nimbel
