#include <gtest/gtest.h>

#include <QCoreApplication>

// The message bus delivers calls through the Qt event loop, so these tests need an application object.
int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
