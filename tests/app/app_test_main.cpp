#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

// One QApplication for the binary, on the offscreen platform, reading the skin and factory data of the
// source tree and keeping every user file in a folder of its own.
int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("NIMBEL_SKIN_DIR", NIMBEL_SOURCE_DIR "/skin");
  qputenv("NIMBEL_DEFAULT_DATA", NIMBEL_SOURCE_DIR "/DefaultData");
  QTemporaryDir home;
  if (!home.isValid()) return 1;
  qputenv("XDG_DATA_HOME", (home.path() + "/data").toLocal8Bit());
  qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toLocal8Bit());
  QApplication application(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
