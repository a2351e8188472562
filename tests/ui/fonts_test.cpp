#include "ui/fonts.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontDatabase>
#include <QTemporaryDir>

namespace nimbel {
namespace {

TEST(Fonts, MissingFilesAreSkippedAndTheTableFallsBackToTheSystemFace) {
  QTemporaryDir emptyFolder;
  PrivateFonts fonts(emptyFolder.path());
  EXPECT_EQ(fonts.LoadedCount(), 0);

  ApplyFontTable(QStringLiteral("No Such Face"));
  const QString systemFamily = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
  EXPECT_EQ(SkinFont(0).family(), systemFamily);
  EXPECT_EQ(SkinFont(0).pixelSize(), 15);
  EXPECT_TRUE(SkinFont(1).underline());
  EXPECT_TRUE(SkinFont(51).bold());
  EXPECT_EQ(SkinFont(51).pixelSize(), 16);
  EXPECT_EQ(SkinFont(999).pixelSize(), 13);
  EXPECT_EQ(QApplication::font().pixelSize(), 13);
}

}  // namespace
}  // namespace nimbel
