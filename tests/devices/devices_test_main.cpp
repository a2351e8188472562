#include <gtest/gtest.h>

#include <QApplication>

// Device pages are widgets: one QApplication for the whole binary, on the offscreen platform.
int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("NIMBEL_SKIN_DIR", NIMBEL_DEVICES_FIXTURE_SKIN);
  QApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
