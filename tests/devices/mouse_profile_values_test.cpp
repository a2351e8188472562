// What reaches the mouse and the page from a profile file, and what the page says when the profile or
// the mouse does not take a change.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <array>
#include <chrono>
#include <functional>
#include <vector>

#include "emulator/emulated_device.h"
#include "mouse_page_fixture.h"

namespace nimbel {
namespace {

using namespace devices_test;
namespace mc = mouse_control;
using emulator::Fault;

constexpr int kEditedStage = 2;

// The stored profile changed by `edit`, then applied as a profile switch applies it.
void ApplyEditedProfile(PagedMouse& paged, const std::function<void(Json::Value& document)>& edit) {
  Json::Value file = ReadJsonFile(paged.ProfilePath());
  edit(file["Device"][0]);
  ASSERT_TRUE(WriteJsonFile(paged.ProfilePath(), file));
  CVelquorMouseDevice& device = paged.Device();
  device.LoadProfileFile();
  device.LoadProfileLists();
  device.ApplyProfileState();
  device.RefreshPage();
  device.WriteSettings(0, 0);
  ASSERT_TRUE(Settle(device));
}

Json::Value& Stage(Json::Value& document, int set, int stage) {
  return document["DPIStages"][set]["StageDPIs"][stage];
}

DpiStage MouseStage(PagedMouse& paged, int stage) {
  const std::vector<std::uint8_t> block = paged.Mouse().SettingsBlock(0);
  return DpiStage::FromBytes(
      std::span<const std::uint8_t>(block)
          .subspan(settings_byte::kFirstStage + static_cast<std::size_t>(stage) * DpiStage::kSize)
          .first<DpiStage::kSize>());
}

struct HostileDpi {
  std::uint16_t sensorCode;
  Json::Value dpiX;
  std::uint16_t expected;
  const char* shown;
};

TEST(MouseProfileValues, AStageDpiFromTheFileIsHeldToTheSensorsRange) {
  const std::array<HostileDpi, 5> cases{{
      {0x3395, Json::Value(99999999), 26000, "26000"},
      {0x3395, Json::Value("abc"), 50, "50"},
      {0x3950, Json::Value(65535), 30000, "30000"},
      {0x3950, Json::Value(0), 50, "50"},
      {0x3104, Json::Value(5000), 113, "9500"},
  }};
  for (const HostileDpi& c : cases) {
    SCOPED_TRACE(c.dpiX.toStyledString());
    PagedMouse paged(Link::Cable, {.sensorCode = c.sensorCode});
    ASSERT_TRUE(paged.Ready());
    paged.Device().SyncFromDevice();
    ASSERT_TRUE(Settle(paged.Device()));
    const int set = paged.Device().Variant()->index;
    ASSERT_NO_FATAL_FAILURE(ApplyEditedProfile(paged, [&](Json::Value& document) {
      Stage(document, set, kEditedStage)["StageDPIX"] = c.dpiX;
      Stage(document, set, kEditedStage)["StageDPIY"] = c.dpiX;
    }));
    EXPECT_EQ(MouseStage(paged, kEditedStage).dpiX, c.expected);
    EXPECT_EQ(MouseStage(paged, kEditedStage).dpiY, c.expected);
    EXPECT_EQ(paged.Device().Stages().at(kEditedStage).dpiX, c.expected);
    EXPECT_EQ(
        FindControl<QLineEdit>(paged.Page(), MousePageView::Indexed(mc::kStageEdit, kEditedStage))->text(),
        QLatin1String(c.shown));
  }
}

struct HostileSetting {
  const char* key;
  Json::Value value;
  std::size_t offset;
  std::uint8_t expected;
};

TEST(MouseProfileValues, SettingsFromTheFileAreHeldToTheirChoices) {
  constexpr std::uint8_t kLastPollingCode = 0xFE;
  const std::array<HostileSetting, 3> cases{{
      {"ReportSelectItemUSB", Json::Value(99), settings_byte::kPollingCode, kLastPollingCode},
      {"LinearCalibration", Json::Value(7), settings_byte::kLinearCalibration, 1},
      {"SilentAltitudeItem", Json::Value(300), settings_byte::kSilentAltitude, 1},
  }};
  for (const HostileSetting& c : cases) {
    SCOPED_TRACE(c.key);
    PagedMouse paged;
    ASSERT_TRUE(paged.Ready());
    paged.Device().SyncFromDevice();
    ASSERT_TRUE(Settle(paged.Device()));
    ASSERT_NO_FATAL_FAILURE(
        ApplyEditedProfile(paged, [&](Json::Value& document) { document["SystemStages"][c.key] = c.value; }));
    EXPECT_EQ(paged.Mouse().SettingsBlock(0).at(c.offset), c.expected);
  }
}

TEST(MouseProfileValues, TheActiveStageAndTheLightFromTheFileStayInTheirLists) {
  PagedMouse paged;
  ASSERT_TRUE(paged.Ready());
  paged.Device().SyncFromDevice();
  ASSERT_TRUE(Settle(paged.Device()));
  ASSERT_NO_FATAL_FAILURE(ApplyEditedProfile(paged, [](Json::Value& document) {
    document["DPIStages"][0]["StageActive"] = 42;
    document["LightInfo"]["Speed"] = 200;
    document["LightInfo"]["Light"] = 9;
  }));
  const std::vector<std::uint8_t> block = paged.Mouse().SettingsBlock(0);
  EXPECT_EQ(block[settings_byte::kActiveStage], static_cast<std::uint8_t>(kMouseStageCount - 1));
  EXPECT_EQ(paged.Device().ActiveStage(), static_cast<int>(kMouseStageCount - 1));
  EXPECT_EQ(block[settings_byte::kSpeed], 0);
  EXPECT_EQ(block[settings_byte::kBrightness], 4);
}

bool NoticeShown(PagedMouse& paged, const char* name) {
  const auto* notice = FindControl(paged.Page(), QLatin1String(name));
  return notice != nullptr && !notice->isHidden();
}

// After the resync the edited motion-sync value stands everywhere and nothing is left to write.
void ExpectTheEditReachedTheMouse(PagedMouse& paged, int wanted) {
  EXPECT_EQ(paged.Mouse().SettingsBlock(0)[settings_byte::kMotionSync], wanted);
  EXPECT_EQ(paged.StoredProfile()["SystemStages"]["MotionSync"].asInt(), wanted);
  EXPECT_EQ(paged.Device().GetSystemSettings().motionSync, wanted);
  EXPECT_FALSE(paged.Device().IsWritePending());
  EXPECT_FALSE(NoticeShown(paged, mc::kNotWrittenNotice));
}

TEST(MouseProfileValues, ATornRecordIsWrittenWholeWhenTheMouseAnswersAgain) {
  PagedMouse paged;
  ASSERT_TRUE(paged.Ready());
  paged.Device().SyncFromDevice();
  ASSERT_TRUE(Settle(paged.Device()));
  ASSERT_FALSE(NoticeShown(paged, mc::kNotWrittenNotice));
  const std::uint8_t before = paged.Mouse().SettingsBlock(0)[settings_byte::kMotionSync];
  const int wanted = before == 0 ? 1 : 0;
  // The session and the record's first chunk get through (a stale report before each echo does not
  // stop them); the second chunk, which holds the motion-sync byte, is refused.
  paged.Mouse().InjectFaults(std::array{Fault::StaleThenEcho, Fault::StaleThenEcho, Fault::StatusFF});
  paged.Device().SetTwoWayOption(CVelquorMouseDevice::TwoWayOption::kMotionSync, wanted);
  ASSERT_TRUE(Settle(paged.Device()));
  ASSERT_EQ(paged.Mouse().PendingFaults(), 0u);
  ASSERT_EQ(paged.Mouse().SettingsBlock(0)[settings_byte::kMotionSync], before);
  EXPECT_TRUE(paged.Device().IsWritePending());
  EXPECT_TRUE(NoticeShown(paged, mc::kNotWrittenNotice));

  // The next bind reads the mouse: the profile's record goes to it instead of the torn one coming back.
  paged.Device().SyncFromDevice();
  ASSERT_TRUE(Settle(paged.Device()));
  ExpectTheEditReachedTheMouse(paged, wanted);
}

TEST(MouseProfileValues, AProfileFileThatCannotBeWrittenIsSaidOnThePage) {
  PagedMouse paged;
  ASSERT_TRUE(paged.Ready());
  paged.Device().SyncFromDevice();
  ASSERT_TRUE(Settle(paged.Device()));
  ASSERT_FALSE(NoticeShown(paged, mc::kNotSavedNotice));
  // A folder where the profile file was: no write can replace it.
  const QString path = QString::fromStdString(paged.ProfilePath());
  ASSERT_TRUE(QFile::remove(path));
  ASSERT_TRUE(QDir().mkdir(path));
  paged.Device().SetTwoWayOption(CVelquorMouseDevice::TwoWayOption::kLinearCalibration, 1);
  ASSERT_TRUE(Settle(paged.Device()));
  EXPECT_TRUE(NoticeShown(paged, mc::kNotSavedNotice));

  ASSERT_TRUE(QDir().rmdir(path));
  paged.Device().SetTwoWayOption(CVelquorMouseDevice::TwoWayOption::kLinearCalibration, 0);
  ASSERT_TRUE(Settle(paged.Device()));
  EXPECT_FALSE(NoticeShown(paged, mc::kNotSavedNotice));
  EXPECT_EQ(paged.StoredProfile()["SystemStages"]["LinearCalibration"].asInt(), 0);
}

// A write the mouse does not take, by path and fault: the faults before the last let the exchanges up to
// the record's first chunk through (a stale report before each echo does not stop them).
struct WriteFailure {
  const char* name;
  Link link;
  std::vector<Fault> faults;
};

TEST(MouseProfileValues, AWriteTheMouseDoesNotTakeIsSaidAndWrittenAgainAtTheNextResync) {
  const std::vector<Fault> cablePass(1, Fault::StaleThenEcho);
  const std::vector<Fault> receiverPass(3, Fault::StaleThenEcho);
  const auto with = [](std::vector<Fault> faults, Fault last) {
    faults.push_back(last);
    return faults;
  };
  const WriteFailure cases[] = {
      {"cable status 0xFF", Link::Cable, with(cablePass, Fault::StatusFF)},
      {"cable write refused", Link::Cable, with(cablePass, Fault::WriteFails)},
      {"receiver status 0xFF", Link::Receiver, with(receiverPass, Fault::StatusFF)},
      {"receiver write refused", Link::Receiver, with(receiverPass, Fault::WriteFails)},
      {"receiver no reply", Link::Receiver, with(receiverPass, Fault::NoReply)},
  };
  for (const WriteFailure& c : cases) {
    SCOPED_TRACE(c.name);
    PagedMouse paged(c.link);
    ASSERT_TRUE(paged.Ready());
    paged.Device().SyncFromDevice();
    ASSERT_TRUE(Settle(paged.Device()));
    const std::uint8_t before = paged.Mouse().SettingsBlock(0)[settings_byte::kMotionSync];
    const int wanted = before == 0 ? 1 : 0;
    paged.Mouse().InjectFaults(c.faults);
    paged.Device().SetTwoWayOption(CVelquorMouseDevice::TwoWayOption::kMotionSync, wanted);
    ASSERT_TRUE(Settle(paged.Device()));
    ASSERT_EQ(paged.Mouse().PendingFaults(), 0u);
    EXPECT_EQ(paged.Mouse().SettingsBlock(0)[settings_byte::kMotionSync], before);
    EXPECT_EQ(paged.StoredProfile()["SystemStages"]["MotionSync"].asInt(), wanted);
    EXPECT_TRUE(paged.Device().IsWritePending());
    EXPECT_TRUE(NoticeShown(paged, mc::kNotWrittenNotice));

    // The mouse asks for a resync: the edit goes to it instead of its old value coming back.
    paged.Device().SyncFromProfile();
    ASSERT_TRUE(Settle(paged.Device()));
    ExpectTheEditReachedTheMouse(paged, wanted);
  }
}

TEST(MouseProfileValues, ThePageSaysAWriteIsUnderWayAndShowsItsProgressWhenItTakesLong) {
  PagedMouse paged;
  ASSERT_TRUE(paged.Ready());
  paged.Device().SyncFromDevice();
  ASSERT_TRUE(Settle(paged.Device()));
  // Long enough for the bar to appear well before the write ends: every exchange takes two reports.
  paged.Mouse().SetReportLatency(std::chrono::milliseconds(400));

  paged.Device().SetTwoWayOption(CVelquorMouseDevice::TwoWayOption::kMotionSync, 1);
  EXPECT_TRUE(NoticeShown(paged, mc::kWritingNotice));
  EXPECT_TRUE(ProcessEventsUntil([&] { return NoticeShown(paged, mc::kWriteProgress); }));
  EXPECT_TRUE(paged.Device().IsWriteUnderWay());

  ASSERT_TRUE(Settle(paged.Device()));
  EXPECT_FALSE(NoticeShown(paged, mc::kWritingNotice));
  EXPECT_FALSE(NoticeShown(paged, mc::kWriteProgress));
  EXPECT_EQ(paged.Mouse().SettingsBlock(0)[settings_byte::kMotionSync], 1);
}

}  // namespace
}  // namespace nimbel
