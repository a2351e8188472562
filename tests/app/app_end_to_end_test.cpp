#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <array>

#include "platform/registered_messages.h"
#include "tests/app/app_fixture.h"

namespace nimbel {
namespace {

using test::kWaitMs;

class AppEndToEndTest : public test::AppTest {
 protected:
  QWidget* PowerChild(const char* name) const {
    return Mouse() != nullptr && Mouse()->PowerDisplay() != nullptr
               ? FindControl(dynamic_cast<QWidget*>(Mouse()->PowerDisplay()), QString::fromLatin1(name))
               : nullptr;
  }
  QString PowerValueText() const {
    auto* label = qobject_cast<QLabel*>(PowerChild("device_power_value"));
    return label != nullptr ? label->text() : QString();
  }
};

TEST_F(AppEndToEndTest, DemoMouseArrivesWithItsPowerState) {
  Start({});
  // The start-up mice exist from the window's initialisation on, hidden until their products arrive.
  ASSERT_NE(Mouse(), nullptr);
  EXPECT_FALSE(MouseTabShown());
  Demo().Plug(DemoProduct::MouseCable);
  // Battery 42 %, on battery, so the reading on screen can only have come from this mouse.
  constexpr std::array<std::uint8_t, 6> kStatus{42, 0, 0, 0, 0, 0};
  ASSERT_TRUE(Demo().MouseOf(DemoProduct::MouseCable)->Write(emulator::MouseMemory::PowerStatus, 0, kStatus));

  EXPECT_TRUE(QTest::qWaitFor([&] { return MouseTabShown() && Window().isVisible(); }, kWaitMs));
  EXPECT_TRUE(QTest::qWaitFor([&] { return PowerValueText() == QStringLiteral("42%"); }, kWaitMs));
  EXPECT_FALSE(PowerChild("device_youxian_logo_text")->isHidden());
  EXPECT_TRUE(PowerChild("device_wuxian_logo_text")->isHidden());
  EXPECT_FALSE(Window().IsNoDeviceShown());
  EXPECT_EQ(Window().CurrentDevice(), Mouse());
}

TEST_F(AppEndToEndTest, UnplugHidesTheTabAndShowsNoDevice) {
  Start({DemoProduct::MouseCable});
  ASSERT_TRUE(QTest::qWaitFor([&] { return MouseTabShown(); }, kWaitMs));
  Demo().Unplug(DemoProduct::MouseCable);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !MouseTabShown() && Window().IsNoDeviceShown(); }, kWaitMs));
  EXPECT_FALSE(ChannelOpen());
  EXPECT_EQ(Window().CurrentDevice(), nullptr);

  Demo().Plug(DemoProduct::MouseCable);
  EXPECT_TRUE(QTest::qWaitFor([&] { return MouseTabShown() && !Window().IsNoDeviceShown(); }, kWaitMs));
}

TEST_F(AppEndToEndTest, CableAndReceiverSwitchOneMouse) {
  Start({DemoProduct::MouseReceiver});
  ASSERT_TRUE(QTest::qWaitFor([&] { return MouseTabShown() && OnReceiver(); }, kWaitMs));
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        return PowerChild("device_wuxian_logo_text")->isVisibleTo(Window().Root()) ||
               !PowerChild("device_wuxian_logo_text")->isHidden();
      },
      kWaitMs));
  CVelquorMouseDevice* mouse = Mouse();

  Demo().Plug(DemoProduct::MouseCable);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !OnReceiver() && ChannelOpen(); }, kWaitMs));
  EXPECT_TRUE(MouseTabShown());

  Demo().Unplug(DemoProduct::MouseCable);
  EXPECT_TRUE(QTest::qWaitFor([&] { return OnReceiver() && ChannelOpen(); }, kWaitMs));
  EXPECT_TRUE(MouseTabShown());
  EXPECT_EQ(Mouse(), mouse) << "both paths reach the same device object";
}

TEST_F(AppEndToEndTest, LinkWatchHidesAndShowsTheReceiverMouse) {
  Start({DemoProduct::MouseReceiver});
  ASSERT_TRUE(QTest::qWaitFor([&] { return MouseTabShown(); }, kWaitMs));
  Demo().SetLinked(DemoProduct::MouseReceiver, false);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !MouseTabShown() && Window().IsNoDeviceShown(); }, kWaitMs));
  Demo().SetLinked(DemoProduct::MouseReceiver, true);
  EXPECT_TRUE(QTest::qWaitFor([&] { return MouseTabShown() && !Window().IsNoDeviceShown(); }, kWaitMs));
}

TEST_F(AppEndToEndTest, SecondInstanceBringsTheFirstUpAndExitsZero) {
  Start({});
  // Detection's first pass brings the window up; the close button hides it to the tray.
  ASSERT_TRUE(QTest::qWaitFor([&] { return Window().isVisible(); }, kWaitMs));
  auto* close = FindControl<QAbstractButton>(Window().Root(), QStringLiteral("closebtn"));
  ASSERT_NE(close, nullptr);
  close->click();
  ASSERT_FALSE(Window().isVisible());

  QProcess second;
  second.setProcessEnvironment(ProcessEnvironment());
  second.start(QStringLiteral(NIMBEL_EXECUTABLE), {});
  ASSERT_TRUE(QTest::qWaitFor([&] { return second.state() == QProcess::NotRunning; }, kWaitMs));
  EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second.exitCode(), 0);
  EXPECT_TRUE(QTest::qWaitFor([&] { return Window().isVisible(); }, kWaitMs));
}

TEST_F(AppEndToEndTest, ExitFromTheMenuStopsEveryWorker) {
  Start({DemoProduct::MouseCable});
  ASSERT_TRUE(QTest::qWaitFor([&] { return ChannelOpen() && Mouse()->IsLightingRunning(); }, kWaitMs));
  ASSERT_TRUE(Window().Workers().IsOccupied(WorkerTable::kDetectionSlot));

  // From inside the program's event loop, which the command ends (and which leaves no exit pending for
  // the modal loops of later tests).
  QTimer::singleShot(0, &Window(), [&] { Window().OnMenuCommand(QStringLiteral("exit")); });
  EXPECT_EQ(QCoreApplication::exec(), 0);
  EXPECT_FALSE(Window().isVisible());
  EXPECT_FALSE(Window().Workers().IsOccupied(WorkerTable::kDetectionSlot));
  EXPECT_TRUE(Window().Mice().empty());
  // A second instance knocking while the program ends does not bring the window back.
  Window().DispatchWindowMessage(RegisterWindowMessage(kInstanceMessageName), 0, 1);
  EXPECT_FALSE(Window().isVisible());
}

TEST_F(AppEndToEndTest, TerminationSignalEndsTheProgramWithZero) {
  QProcess nimbel;
  QProcessEnvironment environment = ProcessEnvironment();
  environment.insert(QStringLiteral("NIMBEL_STARTUP_TIMING"), QStringLiteral("1"));
  nimbel.setProcessEnvironment(environment);
  nimbel.start(QStringLiteral(NIMBEL_EXECUTABLE), {QStringLiteral("--demo")});
  QByteArray output;
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        output += nimbel.readAllStandardError();
        return output.contains("window shown");
      },
      kWaitMs))
      << output.toStdString();
  nimbel.terminate();
  ASSERT_TRUE(QTest::qWaitFor([&] { return nimbel.state() == QProcess::NotRunning; }, kWaitMs));
  EXPECT_EQ(nimbel.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(nimbel.exitCode(), 0);
}

TEST_F(AppEndToEndTest, UnknownDemoDeviceIsAUsageError) {
  QProcess nimbel;
  nimbel.setProcessEnvironment(ProcessEnvironment());
  nimbel.start(QStringLiteral(NIMBEL_EXECUTABLE), {QStringLiteral("--demo=mouse,toaster")});
  ASSERT_TRUE(QTest::qWaitFor([&] { return nimbel.state() == QProcess::NotRunning; }, kWaitMs));
  EXPECT_EQ(nimbel.exitCode(), kUsageExitCode);
  EXPECT_TRUE(nimbel.readAllStandardError().contains("toaster"));
}

}  // namespace
}  // namespace nimbel
