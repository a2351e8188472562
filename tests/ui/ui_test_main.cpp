#include <gtest/gtest.h>

#include <QApplication>

// Widgets need one QApplication for the whole binary; the offscreen platform needs no display.
int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("NIMBEL_SKIN_DIR", NIMBEL_UI_FIXTURE_SKIN);
  QApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
