#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

#include "binding/device_option_ui.h"

// Widgets need one QApplication for the whole binary; the offscreen platform needs no display. Device
// objects may write their data folder, which goes to a folder of this run.
int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("NIMBEL_SKIN_DIR", NIMBEL_SOURCE_DIR "/skin");
  QTemporaryDir dataHome;
  qputenv("XDG_DATA_HOME", dataHome.path().toUtf8());
  QApplication application(argc, argv);
  nimbel::CDeviceOptionUI::Register();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
