#include "app/command_line.h"

#include <gtest/gtest.h>

#include <vector>

namespace nimbel {
namespace {

struct Case {
  QStringList arguments;
  bool ok;
  bool demo;
  std::vector<DemoProduct> products;
};

TEST(CommandLineTest, DemoListsAndMistakes) {
  const Case kCases[] = {
      {{}, true, false, {}},
      {{"--demo"}, true, true, {DemoProduct::MouseCable}},
      {{"--demo=mouse-receiver,mouse2-receiver"},
       true,
       true,
       {DemoProduct::MouseReceiver, DemoProduct::Mouse2Receiver}},
      {{"--demo=mouse, mouse-receiver"}, true, true, {DemoProduct::MouseCable, DemoProduct::MouseReceiver}},
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
    EXPECT_EQ(line->demoProducts, c.products);
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
  const auto line =
      ParseCommandLine({QStringLiteral("-h"), QStringLiteral("--screenshot=/tmp/x.png")}, error);
  ASSERT_TRUE(line);
  EXPECT_TRUE(line->help);
  EXPECT_EQ(line->screenshotPath, QStringLiteral("/tmp/x.png"));
}

}  // namespace
}  // namespace nimbel
