#include "app/command_line.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <vector>

#include "emulator/demo_device.h"

namespace nimbel {
namespace {

// The factory mouse, and the variants and old firmware the demo offers.
constexpr std::uint16_t kDefaultSensor = emulator::MouseOptions{}.sensorCode;
constexpr std::uint16_t kCurrentFirmware = emulator::MouseOptions{}.firmwareVersion;
constexpr std::uint16_t kOldFirmware = emulator::kDemoOldFirmwareVersion;

struct Plug {
  DemoProduct product;
  std::uint16_t sensorCode = kDefaultSensor;
  std::uint16_t firmwareVersion = kCurrentFirmware;
};

struct Case {
  QStringList arguments;
  bool ok;
  bool demo;
  std::vector<Plug> products;
};

TEST(CommandLineTest, DemoListsAndMistakes) {
  const Case kCases[] = {
      {{}, true, false, {}},
      {{"--demo"}, true, true, {{DemoProduct::MouseCable}}},
      {{"--demo=mouse-receiver,mouse2-receiver"},
       true,
       true,
       {{DemoProduct::MouseReceiver}, {DemoProduct::Mouse2Receiver}}},
      {{"--demo=mouse, mouse-receiver"},
       true,
       true,
       {{DemoProduct::MouseCable}, {DemoProduct::MouseReceiver}}},
      {{"--demo=mouse:3104"}, true, true, {{DemoProduct::MouseCable, 0x3104}}},
      {{"--demo=mouse:3395:old,mouse2-receiver:3950"},
       true,
       true,
       {{DemoProduct::MouseCable, 0x3395, kOldFirmware}, {DemoProduct::Mouse2Receiver, 0x3950}}},
      {{"--demo=mouse-receiver:old"},
       true,
       true,
       {{DemoProduct::MouseReceiver, kDefaultSensor, kOldFirmware}}},
      {{"--demo=mouse:zz"}, false, false, {}},
      {{"--demo=mouse:3104:new"}, false, false, {}},
      {{"--demo=toaster:3104"}, false, false, {}},
      {{"--screenshot-page=4"}, true, false, {}},
      {{"--screenshot-page=-1"}, false, false, {}},
      {{"--demo=keyboard"}, false, false, {}},
      {{"--demo="}, false, false, {}},
      {{"--demo=mouse,"}, false, false, {}},
      {{"--verbose"}, false, false, {}},
      {{"--screenshot="}, false, false, {}},
      {{"--close-after=0"}, false, false, {}},
      {{"--close-after=soon"}, false, false, {}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.arguments.join(' ').toStdString());
    QString error;
    const auto line = ParseCommandLine(c.arguments, error);
    ASSERT_EQ(line.has_value(), c.ok);
    if (!c.ok) {
      EXPECT_FALSE(error.isEmpty());
      continue;
    }
    EXPECT_EQ(line->demo, c.demo);
    ASSERT_EQ(line->demoProducts.size(), c.products.size());
    for (std::size_t i = 0; i < c.products.size(); ++i) {
      EXPECT_EQ(line->demoProducts[i].product, c.products[i].product);
      EXPECT_EQ(line->demoProducts[i].mouse.sensorCode, c.products[i].sensorCode);
      EXPECT_EQ(line->demoProducts[i].mouse.firmwareVersion, c.products[i].firmwareVersion);
    }
  }
}

TEST(CommandLineTest, UnknownDemoDeviceNamesTheChoices) {
  QString error;
  EXPECT_FALSE(ParseCommandLine({QStringLiteral("--demo=mouse3")}, error));
  EXPECT_TRUE(error.contains(QStringLiteral("mouse3")));
  EXPECT_TRUE(error.contains(QStringLiteral("mouse2-receiver")));
}

TEST(CommandLineTest, HelpAndScreenshot) {
  QString error;
  const auto line = ParseCommandLine({QStringLiteral("-h"), QStringLiteral("--screenshot=/tmp/x.png"),
                                      QStringLiteral("--screenshot-page=4")},
                                     error);
  ASSERT_TRUE(line);
  EXPECT_TRUE(line->help);
  EXPECT_EQ(line->screenshotPath, QStringLiteral("/tmp/x.png"));
  EXPECT_EQ(line->screenshotPage, 4);
}

TEST(CommandLineTest, TheToolkitsOwnOptionsAreLeftToIt) {
  struct ToolkitCase {
    QStringList arguments;
    QStringList kept;
  };
  const ToolkitCase kCases[] = {
      {{"-platform", "offscreen", "--demo"}, {"--demo"}},
      {{"--platform", "xcb", "-reverse", "--version"}, {"--version"}},
      {{"-style=Fusion", "-session", "1234_5", "-widgetcount"}, {}},
      {{"--demo=mouse", "-platformtheme", "gtk3"}, {"--demo=mouse"}},
      {{"-platforms", "--bogus"}, {"-platforms", "--bogus"}},
  };
  for (const ToolkitCase& c : kCases) {
    EXPECT_EQ(WithoutToolkitOptions(c.arguments), c.kept) << c.arguments.join(' ').toStdString();
  }
}

// Without any display: the toolkit cannot start there, so these answers must come before it.
TEST(CommandLineTest, HelpVersionAndMistakesNeedNoDisplay) {
  struct ProgramCase {
    QStringList arguments;
    int exitCode;
    QByteArray output;
    QByteArray error;
  };
  const ProgramCase kCases[] = {
      {{"--version"}, 0, "nimbel " NIMBEL_VERSION "\n", ""},
      {{"--help"}, 0, "Usage: nimbel", ""},
      {{"--bogus"}, kUsageExitCode, "", "nimbel: unknown option \"--bogus\""},
      {{"--demo=keyboard"}, kUsageExitCode, "", "unknown demo device \"keyboard\""},
  };
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
    environment.remove(QLatin1String(variable));
  for (const ProgramCase& c : kCases) {
    SCOPED_TRACE(c.arguments.join(' ').toStdString());
    QProcess nimbel;
    nimbel.setProcessEnvironment(environment);
    nimbel.start(QStringLiteral(NIMBEL_EXECUTABLE), c.arguments);
    ASSERT_TRUE(nimbel.waitForFinished());
    EXPECT_EQ(nimbel.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(nimbel.exitCode(), c.exitCode);
    const QByteArray output = nimbel.readAllStandardOutput();
    const QByteArray error = nimbel.readAllStandardError();
    EXPECT_TRUE(output.startsWith(c.output)) << output.toStdString();
    EXPECT_TRUE(error.contains(c.error)) << error.toStdString();
    // A mistake is one line.
    EXPECT_LE(error.count('\n'), 1) << error.toStdString();
  }
}

}  // namespace
}  // namespace nimbel
