// The scripting interface end to end: nimbelctl against the running program on a private session bus,
// with the emulated mouse behind it. What a script changes reaches the page, the profile file and the
// mouse; what the page changes reaches the watchers; what the mouse cannot take is refused before
// anything is sent.

#include <QAbstractButton>
#include <QLineEdit>
#include <QProcess>
#include <QSlider>
#include <QTest>
#include <algorithm>

#include "devices/mouse_settings.h"
#include "editors/device_profile_ui.h"
#include "emulator/demo_device.h"
#include "profiles/mouse_profile.h"
#include "tests/app/app_fixture.h"
#include "tests/app/mouse_state.h"

namespace nimbel {
namespace {

using test::kWaitMs;

constexpr std::size_t kSlot = 0;
constexpr const char* kMouseId = "320f_226e";
// Stage 3 of nimbelctl, stage 2 of the interface and the page.
constexpr int kStage = 2;
constexpr std::uint16_t kSensor = 0x3395;

struct CtlResult {
  int exitCode = -1;
  QString out;
  QString err;
};

class ApiTest : public test::AppTest {
 protected:
  void TearDown() override {
    if (watch_.state() != QProcess::NotRunning) {
      watch_.kill();
      watch_.waitForFinished(kWaitMs);
    }
    test::AppTest::TearDown();
  }

  void StartWithMouse(const std::vector<std::uint8_t>& keptMemory = {}) {
    emulator::MouseOptions options;
    options.sensorCode = kSensor;
    Start(std::vector<DemoPlug>{});
    Demo().Plug(DemoProduct::MouseCable, options);
    if (!keptMemory.empty()) {
      ASSERT_TRUE(EmulatedMouse().Write(emulator::MouseMemory::Onboard, 0, keptMemory));
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return Mouse() != nullptr && Mouse()->Variant() && MouseTabShown(); },
                                kWaitMs));
    ASSERT_TRUE(Settled());
  }

  bool Settled() const { return test::SettledMouse(*Mouse()); }

  // Runs nimbelctl while this thread's event loop keeps answering its calls.
  CtlResult Ctl(const QStringList& arguments) const {
    return Run(QStringLiteral(NIMBELCTL_EXECUTABLE), arguments);
  }

  // Calls a method of the mouse's object as any other client would, through dbus-send.
  CtlResult CallMouse(const QString& method, const QStringList& arguments) const {
    return Run(QStringLiteral("dbus-send"),
               QStringList{QStringLiteral("--session"), QStringLiteral("--print-reply"),
                           QStringLiteral("--dest=org.nimbel.Nimbel"),
                           QStringLiteral("/org/nimbel/Nimbel1/devices/") + QLatin1String(kMouseId),
                           QStringLiteral("org.nimbel.Nimbel1.Device.") + method} +
                   arguments);
  }

  CtlResult Run(const QString& program, const QStringList& arguments) const {
    QProcess ctl;
    ctl.setProcessEnvironment(ProcessEnvironment());
    ctl.start(program, arguments);
    CtlResult result;
    if (!ctl.waitForStarted(kWaitMs) ||
        !QTest::qWaitFor([&] { return ctl.state() == QProcess::NotRunning; }, kWaitMs)) {
      return result;
    }
    result.exitCode = ctl.exitStatus() == QProcess::NormalExit ? ctl.exitCode() : -1;
    result.out = QString::fromUtf8(ctl.readAllStandardOutput());
    result.err = QString::fromUtf8(ctl.readAllStandardError());
    return result;
  }

  // `nimbelctl watch`, once it has printed the mouse's state: from then on it sees every change.
  void StartWatch() {
    watch_.setProcessEnvironment(ProcessEnvironment());
    watch_.start(QStringLiteral(NIMBELCTL_EXECUTABLE), {QStringLiteral("watch")});
    ASSERT_TRUE(WatchPrinted(QStringLiteral("%1 PollingRate=").arg(QLatin1String(kMouseId))));
    watched_.clear();
  }
  bool WatchPrinted(const QString& text) {
    return QTest::qWaitFor(
        [&] {
          watched_ += QString::fromUtf8(watch_.readAllStandardOutput());
          return watched_.contains(text);
        },
        kWaitMs);
  }

  emulator::EmulatedMouse& EmulatedMouse() const { return *Demo().MouseOf(DemoProduct::MouseCable); }
  DpiStage MouseStage(int stage) const { return test::MouseStageOf(EmulatedMouse(), kSlot, stage); }
  CMouseProfiledata StoredProfile() const { return test::StoredProfileOf(*Mouse()); }
  DpiStage StoredStage(int stage) const {
    return StoredProfile().GetDpiStages(Mouse()->Variant()->index).at(static_cast<std::size_t>(stage));
  }
  template <typename T>
  T* PageControl(const char* prefix, int index) const {
    return FindControl<T>(Mouse()->Page(), QString::fromLatin1(prefix) + QString::number(index));
  }
  bool WroteMemory() const { return test::WroteMemory(EmulatedMouse()); }

  QProcess watch_;
  QString watched_;
};

TEST_F(ApiTest, AScriptedStageDpiReachesThePageTheProfileTheMouseAndWatchersAndSurvivesARestart) {
  ASSERT_NO_FATAL_FAILURE(StartWithMouse());
  ASSERT_NE(MouseStage(kStage).dpiX, 1800);
  ASSERT_NO_FATAL_FAILURE(StartWatch());

  const CtlResult set = Ctl({QStringLiteral("set"), QLatin1String(kMouseId), QStringLiteral("dpi-stage"),
                             QString::number(kStage + 1), QStringLiteral("1800")});
  ASSERT_EQ(set.exitCode, 0) << qPrintable(set.err);
  ASSERT_TRUE(Settled());
  EXPECT_EQ(PageControl<QSlider>("DPI_slider_", kStage)->value(), 1800);
  EXPECT_EQ(PageControl<QLineEdit>("DPI_edit_", kStage)->text(), QStringLiteral("1800"));
  EXPECT_EQ(StoredStage(kStage).dpiX, 1800);
  EXPECT_EQ(MouseStage(kStage).dpiX, 1800);
  EXPECT_TRUE(WatchPrinted(QStringLiteral("%1 DpiStages=").arg(QLatin1String(kMouseId))));
  EXPECT_TRUE(watched_.contains(QStringLiteral(", 1800 #"))) << qPrintable(watched_);

  // The mouse keeps its memory and the profile its file; the restarted program shows both.
  const std::vector<std::uint8_t> memory = *EmulatedMouse().Read(
      emulator::MouseMemory::Onboard, 0, emulator::MouseFirmware::kSlotCount * kMouseSlotStride);
  watch_.kill();
  watch_.waitForFinished(kWaitMs);
  app_.reset();
  ASSERT_NO_FATAL_FAILURE(StartWithMouse(memory));
  const CtlResult get = Ctl({QStringLiteral("--json"), QStringLiteral("get"), QLatin1String(kMouseId),
                             QStringLiteral("dpi-stages")});
  ASSERT_EQ(get.exitCode, 0) << qPrintable(get.err);
  const QString stages = get.out.simplified();
  EXPECT_TRUE(stages.contains(QStringLiteral("\"dpi\": 1800"))) << qPrintable(get.out);
}

TEST_F(ApiTest, ChangesMadeOnThePageArePropertiesChanged) {
  ASSERT_NO_FATAL_FAILURE(StartWithMouse());
  ASSERT_NO_FATAL_FAILURE(StartWatch());
  // 500 Hz is option 2; the emulated mouse starts at 1000 Hz.
  auto* option = PageControl<QAbstractButton>("polling_rate_option_", 2);
  ASSERT_NE(option, nullptr);
  ASSERT_FALSE(option->isChecked());
  option->click();
  ASSERT_TRUE(Settled());
  EXPECT_TRUE(WatchPrinted(QStringLiteral("%1 PollingRate=500").arg(QLatin1String(kMouseId))));

  auto* slider = PageControl<QSlider>("DPI_slider_", kStage);
  slider->setSliderDown(true);
  slider->setValue(2400);
  slider->setSliderDown(false);
  ASSERT_TRUE(Settled());
  EXPECT_TRUE(WatchPrinted(QStringLiteral(", 2400 #")));
  const CtlResult info = Ctl({QStringLiteral("info"), QLatin1String(kMouseId)});
  EXPECT_EQ(info.exitCode, 0);
  EXPECT_TRUE(info.out.contains(QStringLiteral("PollingRate: 500"))) << qPrintable(info.out);

  // A profile renamed on the profile bar changes no mouse setting, and is announced all the same (at
  // once through the bar's hook; the power poll would also catch it, later).
  auto* bar = dynamic_cast<CDeviceProfileUI*>(Mouse()->ProfileList());
  ASSERT_NE(bar, nullptr);
  ASSERT_EQ(bar->RenameProfile(QStringLiteral("Work")), ProfileListResult::kDone);
  EXPECT_TRUE(WatchPrinted(QStringLiteral("%1 Profiles=Work").arg(QLatin1String(kMouseId))))
      << qPrintable(watched_);
}

TEST_F(ApiTest, EveryChangeMethodReachesTheMouseAndItsProfile) {
  ASSERT_NO_FATAL_FAILURE(StartWithMouse());
  // Stage arguments count from 0 on the bus, from 1 in nimbelctl.
  CtlResult result = CallMouse(QStringLiteral("SetStageColour"),
                               {QStringLiteral("uint32:2"), QStringLiteral("string:#123456")});
  ASSERT_EQ(result.exitCode, 0) << qPrintable(result.err);
  ASSERT_TRUE(Settled());
  EXPECT_EQ(Mouse()->GetStageColour(2), QColor(0x12, 0x34, 0x56));

  result = CallMouse(QStringLiteral("SetStageEnabled"),
                     {QStringLiteral("uint32:5"), QStringLiteral("boolean:false")});
  ASSERT_EQ(result.exitCode, 0) << qPrintable(result.err);
  ASSERT_TRUE(Settled());
  EXPECT_EQ(Mouse()->GetStageEnabled(5), false);

  result = Ctl(
      {QStringLiteral("set"), QLatin1String(kMouseId), QStringLiteral("active-stage"), QStringLiteral("4")});
  ASSERT_EQ(result.exitCode, 0) << qPrintable(result.err);
  ASSERT_TRUE(Settled());
  EXPECT_EQ(Mouse()->ActiveStage(), 3);

  auto* bar = dynamic_cast<CDeviceProfileUI*>(Mouse()->ProfileList());
  ASSERT_NE(bar, nullptr);
  ASSERT_EQ(bar->NewProfile(), ProfileListResult::kDone);
  bar->SelectProfile(0, true);
  ASSERT_TRUE(Settled());
  result = Ctl({QStringLiteral("profile"), QLatin1String(kMouseId), QStringLiteral("select"),
                QStringLiteral("Profile2")});
  ASSERT_EQ(result.exitCode, 0) << qPrintable(result.err);
  ASSERT_TRUE(Settled());
  EXPECT_EQ(bar->GetSelectedIndex(), 1);
  // The selected profile is the mouse's now: its stage colours are the new profile's, not the edit above.
  EXPECT_NE(Mouse()->GetStageColour(2), QColor(0x12, 0x34, 0x56));
}

struct BadCase {
  QStringList arguments;
  int exitCode;
  const char* says;
};

TEST_F(ApiTest, BadArgumentsExitWithTheirStatusAndSendNothing) {
  ASSERT_NO_FATAL_FAILURE(StartWithMouse());
  const QString id = QLatin1String(kMouseId);
  const BadCase cases[] = {
      {{"set", id, "dpi-stage", "3", "99999"}, 2, "outside this sensor's range"},
      {{"set", id, "dpi-stage", "3", "49"}, 2, "outside this sensor's range"},
      {{"set", id, "dpi-stage", "9", "800"}, 2, "stage 9 does not exist (stages 1..7)"},
      {{"set", id, "dpi-stage", "0", "800"}, 2, "stage number from 1"},
      {{"set", id, "active-stage", "x"}, 2, "stage number from 1"},
      {{"set", id, "polling-rate", "333"}, 2, "not a polling rate"},
      {{"set", id, "volume", "3"}, 2, "set takes"},
      {{"profile", id, "select", "No such profile"}, 2, "no profile named"},
      {{"frobnicate"}, 2, "unknown command"},
      {{"set", "0000_0000", "polling-rate", "500"}, 1, "no device 0000_0000"},
  };
  CMouseProfiledata before = StoredProfile();
  for (const BadCase& c : cases) {
    EmulatedMouse().ClearRequests();
    const CtlResult result = Ctl(c.arguments);
    const QString call = c.arguments.join(QLatin1Char(' '));
    EXPECT_EQ(result.exitCode, c.exitCode) << qPrintable(call);
    EXPECT_TRUE(result.err.startsWith(QStringLiteral("nimbelctl: ")) &&
                result.err.count(QLatin1Char('\n')) == 1)
        << qPrintable(call) << ": " << qPrintable(result.err);
    EXPECT_TRUE(result.err.contains(QLatin1String(c.says)))
        << qPrintable(call) << ": " << qPrintable(result.err);
    ASSERT_TRUE(Settled());
    EXPECT_FALSE(WroteMemory()) << qPrintable(call);
  }
  EXPECT_EQ(StoredProfile().GetDpiStages(Mouse()->Variant()->index),
            before.GetDpiStages(Mouse()->Variant()->index));
  EXPECT_EQ(StoredProfile().GetSystemSettings().reportRate, before.GetSystemSettings().reportRate);
}

TEST_F(ApiTest, WithoutNimbelOnTheBusEveryCommandExitsWithOne) {
  for (const QStringList& arguments :
       {QStringList{"list"}, QStringList{"info", kMouseId}, QStringList{"watch"}}) {
    const CtlResult result = Ctl(arguments);
    EXPECT_EQ(result.exitCode, 1) << qPrintable(arguments.join(QLatin1Char(' ')));
    EXPECT_TRUE(result.err.contains(QStringLiteral("Nimbel is not running"))) << qPrintable(result.err);
  }
}

}  // namespace
}  // namespace nimbel
