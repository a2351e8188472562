#include "app/audio_styles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <vector>

#include "profiles/file_notices.h"

namespace nimbel {
namespace {

constexpr const char* kFactory = R"({"Device": [{"Name": "factory"}]})";

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

struct Case {
  const char* name;
  // Null: the user has no file.
  const char* userFile;
  bool keepsUserFile;
};

TEST(AudioStylesTest, UserGetsTheFactoryStylesWhenTheirsIsUnusable) {
  constexpr Case kCases[] = {
      {"missing", nullptr, false},
      {"empty", "", false},
      {"garbage", "{ not json", false},
      {"own styles", R"({"Device": [{"Name": "mine"}]})", true},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    QTemporaryDir user;
    QTemporaryDir factory;
    const QString userFile = user.filePath(kAudioStylesFile);
    WriteAll(factory.filePath(kAudioStylesFile), kFactory);
    if (c.userFile != nullptr) WriteAll(userFile, c.userFile);

    EXPECT_TRUE(
        EnsureAudioStylesFile((user.path() + '/').toStdString(), (factory.path() + '/').toStdString()));
    const QByteArray result = ReadAll(userFile);
    if (c.keepsUserFile) {
      EXPECT_EQ(result, QByteArray(c.userFile));
    } else {
      EXPECT_TRUE(result.contains("factory")) << result.toStdString();
    }
  }
}

TEST(AudioStylesTest, DamagedStylesAreKeptAsideAndTheUserTold) {
  QTemporaryDir user;
  QTemporaryDir factory;
  WriteAll(factory.filePath(kAudioStylesFile), kFactory);
  WriteAll(user.filePath(kAudioStylesFile), R"({"Device": [{"Name": "mi)");
  TakeFileNotices();
  EXPECT_TRUE(EnsureAudioStylesFile((user.path() + '/').toStdString(), (factory.path() + '/').toStdString()));
  EXPECT_TRUE(ReadAll(user.filePath(kAudioStylesFile)).contains("factory"));
  const QStringList kept = QDir(user.path()).entryList({QStringLiteral("AudioFile.json.broken-*")});
  ASSERT_EQ(kept.size(), 1);
  EXPECT_EQ(ReadAll(user.filePath(kept[0])), QByteArray(R"({"Device": [{"Name": "mi)"));
  const std::vector<FileNotice> notices = TakeFileNotices();
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0].kind, FileNoticeKind::kStylesRestored);
  EXPECT_EQ(QString::fromStdString(notices[0].keptAs), user.filePath(kept[0]));
}

TEST(AudioStylesTest, NoFactoryFileIsReported) {
  QTemporaryDir user;
  QTemporaryDir factory;
  EXPECT_FALSE(
      EnsureAudioStylesFile((user.path() + '/').toStdString(), (factory.path() + '/').toStdString()));
  EXPECT_FALSE(QFile::exists(user.filePath(kAudioStylesFile)));
}

}  // namespace
}  // namespace nimbel
