#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

// The main of every test executable that needs Qt. Widgets need one QApplication for the whole binary;
// the offscreen platform needs no display. The skin is the one the build names for the executable (the
// program's own or a fixture), the factory data is the source tree's, and every user file goes to a
// folder of this run. An executable that needs more before its tests (control classes its skin creates,
// a language) registers a testing::Environment.
int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("NIMBEL_SKIN_DIR", NIMBEL_TEST_SKIN_DIR);
  qputenv("NIMBEL_DEFAULT_DATA", NIMBEL_SOURCE_DIR "/DefaultData");
  QTemporaryDir home;
  if (!home.isValid()) return 1;
  qputenv("XDG_DATA_HOME", (home.path() + "/data").toLocal8Bit());
  qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toLocal8Bit());
  QApplication application(argc, argv);
  // Tests show and close windows one after another; closing the last one must not end the program.
  QApplication::setQuitOnLastWindowClosed(false);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
