#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

#include "editors/device_profile_ui.h"
#include "ui/resource_manager.h"

// Widgets need one QApplication for the whole binary; the offscreen platform needs no display. The
// program's own skin and texts are used, and user data goes to a folder of this run.
int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("NIMBEL_SKIN_DIR", NIMBEL_SOURCE_DIR "/skin");
  QTemporaryDir dataHome;
  qputenv("XDG_DATA_HOME", dataHome.path().toUtf8());
  QApplication application(argc, argv);
  nimbel::CDeviceProfileUI::Register();
  nimbel::CResourceManager::Instance().LoadLanguage(QStringLiteral("lan_en.json"));
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
