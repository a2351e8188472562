#include "editors/device_profile_ui.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "devices/mouse_device.h"
#include "editors/function_tabs.h"
#include "profiles/file_io.h"
#include "profiles/file_notices.h"
#include "profiles/json_file.h"
#include "ui/control_factory.h"
#include "ui/find_control.h"
#include "ui/notify_pump.h"
#include "ui/skin_loader.h"

namespace nimbel {
namespace {

const char* const kFactory = R"({ "Device" : [ { "DPIStages" : [ { "StageActive" : 1 } ], "KeyList" : [],
                                                "LightInfo" : { "Light" : 4 } } ] })";

// The device's part: what it is asked to do, and with which profile.
class RecordingTarget final : public IProfileApplyTarget {
 public:
  void ApplyProfile(CDeviceProfileUI& list) override { applied.push_back(list.GetSelectedProfileId()); }
  void ProfileReset(CDeviceProfileUI& list) override { reset.push_back(list.GetSelectedProfileId()); }

  std::vector<std::string> applied;
  std::vector<std::string> reset;
};

// The main window's routing: every notification of the pages goes to the profile bars.
class Router final : public INotifyUI {
 public:
  void Notify(TNotifyUI& msg) override {
    for (CDeviceProfileUI* bar : bars) {
      if (bar->HandleNotification(msg)) return;
    }
  }
  std::vector<CDeviceProfileUI*> bars;
};

class DeviceProfileUiTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = dir_.path().toStdString() + "/mouse/";
    factory_ = dir_.path().toStdString() + "/mouse.Json";
    std::filesystem::create_directories(folder_);
    std::ofstream(factory_) << kFactory;
  }

  // A device page holding the skin's profile bar under the routing of a main window.
  CDeviceProfileUI* AddBar(KindCode kind = KindCode::MouseCable) {
    auto page = std::make_unique<QWidget>();
    QWidget* root = LoadSkin(QString::fromLatin1(CDeviceProfileUI::kSkinFile), page.get());
    auto* bar = dynamic_cast<CDeviceProfileUI*>(root);
    EXPECT_NE(bar, nullptr);
    if (bar == nullptr) return nullptr;
    bar->SetDialogs({
        [this](QWidget*, const ProfileMessage& message) {
          shown_.push_back(message.textId);
          messages_.push_back(message);
          return message.buttons == MessageBoxButtons::kConfirm || answer_;
        },
        [this](QWidget*) { return importPath_; },
        [this](QWidget*, const QString& suggested) {
          suggestedExport_ = suggested;
          return exportPath_;
        },
    });
    bar->SetProfileFolders(folder_, factory_);
    bar->SetDeviceKind(kind);
    bar->SetApplyTarget(&target_);
    bar->InitProfileList();
    router_.bars.push_back(bar);
    pump_.Attach(page.get());
    pages_.push_back(std::move(page));
    return bar;
  }

  static void Click(CDeviceProfileUI* bar, const char* name) {
    auto* button = FindControl<QAbstractButton>(bar, QLatin1String(name));
    ASSERT_NE(button, nullptr) << name;
    button->click();
  }
  static QComboBox* Combo(CDeviceProfileUI* bar) {
    return FindControl<QComboBox>(bar, QStringLiteral("device_profile_combo"));
  }
  static QLineEdit* NameField(CDeviceProfileUI* bar) {
    return FindControl<QLineEdit>(bar, QStringLiteral("device_profile_name_edit"));
  }
  static QStringList Names(CDeviceProfileUI* bar) {
    QStringList names;
    for (int i = 0; i < Combo(bar)->count(); ++i) names << Combo(bar)->itemText(i);
    return names;
  }
  // The user steps the drop-down down by one, as with the arrow key.
  static void ChooseNext(CDeviceProfileUI* bar) { QTest::keyClick(Combo(bar), Qt::Key_Down); }
  std::string IdAt(CDeviceProfileUI* bar, int index) const {
    return bar->List()->Entries()[static_cast<std::size_t>(index)].id;
  }
  Json::Value StoredList() const { return ReadJsonFile(folder_ + "ProfileList.ini"); }
  std::string WriteFile(const char* name, const char* text) const {
    const std::string path = dir_.path().toStdString() + "/" + name;
    std::ofstream(path) << text;
    return path;
  }

  QTemporaryDir dir_;
  std::string folder_;
  std::string factory_;
  RecordingTarget target_;
  Router router_;
  CNotifyPump pump_{&router_};
  std::vector<std::unique_ptr<QWidget>> pages_;
  bool answer_ = true;
  QStringList shown_;
  std::vector<ProfileMessage> messages_;
  QString importPath_;
  QString exportPath_;
  QString suggestedExport_;
};

TEST_F(DeviceProfileUiTest, AddAsksFirstAndLeavesTheSelectionAlone) {
  CDeviceProfileUI* bar = AddBar();
  ASSERT_EQ(Names(bar), QStringList{"Profile1"});
  EXPECT_EQ(bar->GetSelectedProfileId(), IdAt(bar, 0));

  answer_ = false;
  Click(bar, "device_add_btn");
  EXPECT_EQ(shown_, QStringList{"message_text_27"});
  EXPECT_EQ(Names(bar), QStringList{"Profile1"});

  answer_ = true;
  Click(bar, "device_add_btn");
  EXPECT_EQ(Names(bar), (QStringList{"Profile1", "Profile2"}));
  EXPECT_EQ(Combo(bar)->currentIndex(), 0);
  EXPECT_TRUE(target_.applied.empty());
}

TEST_F(DeviceProfileUiTest, AChosenProfileIsAppliedAfterTheDelay) {
  CDeviceProfileUI* bar = AddBar();
  Click(bar, "device_add_btn");
  ChooseNext(bar);
  EXPECT_TRUE(IsTimerRunning(bar, CDeviceProfileUI::kProfileSwitchTimer));
  EXPECT_EQ(NameField(bar)->text(), "Profile2");
  // Until the delay is over the device keeps its profile.
  EXPECT_EQ(bar->GetSelectedProfileId(), IdAt(bar, 0));
  EXPECT_TRUE(target_.applied.empty());

  bar->ApplySelection();
  EXPECT_EQ(target_.applied, std::vector<std::string>{IdAt(bar, 1)});
  EXPECT_EQ(StoredList()["profileselect"].asInt(), 1);
}

TEST_F(DeviceProfileUiTest, SteppingThroughTheListSwitchesTheDeviceOnceItRests) {
  CDeviceProfileUI* bar = AddBar();
  Click(bar, "device_add_btn");
  Click(bar, "device_add_btn");
  ChooseNext(bar);
  ChooseNext(bar);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !target_.applied.empty(); }));
  EXPECT_EQ(target_.applied, std::vector<std::string>{IdAt(bar, 2)});
  EXPECT_FALSE(IsTimerRunning(bar, CDeviceProfileUI::kProfileSwitchTimer));
  EXPECT_EQ(StoredList()["profileselect"].asInt(), 2);
}

TEST_F(DeviceProfileUiTest, RenameThroughTheNameField) {
  CDeviceProfileUI* bar = AddBar();
  Click(bar, "device_add_btn");
  const struct {
    const char* typed;
    bool byReturn;
    QStringList names;
    QStringList shown;
  } cases[] = {
      {"Work", false, {"Work", "Profile2"}, {}},
      {"Play", true, {"Play", "Profile2"}, {}},
      {"profile2", false, {"Play", "Profile2"}, {"message_text_5"}},
      {"   ", false, {"Play", "Profile2"}, {"message_text_5_2"}},
      {"", false, {"Play", "Profile2"}, {}},
  };
  for (const auto& c : cases) {
    shown_.clear();
    NameField(bar)->setText(QString::fromUtf8(c.typed));
    if (c.byReturn) {
      QTest::keyClick(NameField(bar), Qt::Key_Return);
    } else {
      Click(bar, "device_profile_edit_save_btn");
    }
    EXPECT_EQ(Names(bar), c.names) << c.typed;
    EXPECT_EQ(shown_, c.shown) << c.typed;
    EXPECT_EQ(NameField(bar)->text(), c.names[0]) << c.typed;
  }
  EXPECT_EQ(StoredList()["profilelist"][0]["profilename"].asString(), "Play");
}

TEST_F(DeviceProfileUiTest, DeleteMovesTheDeviceToThePreviousProfile) {
  CDeviceProfileUI* bar = AddBar();
  Click(bar, "device_add_btn");
  Click(bar, "device_add_btn");
  ChooseNext(bar);
  ChooseNext(bar);
  bar->ApplySelection();
  const std::string deleted = bar->List()->ProfilePath(IdAt(bar, 2));
  target_.applied.clear();
  shown_.clear();
  messages_.clear();

  Click(bar, "device_sub_btn");
  EXPECT_EQ(shown_, QStringList{"profile_delete_named_text"});
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].arguments, QStringList{"Profile3"});
  EXPECT_EQ(messages_[0].buttons, MessageBoxButtons::kCancelByDefault);
  EXPECT_EQ(Names(bar), (QStringList{"Profile1", "Profile2"}));
  EXPECT_EQ(Combo(bar)->currentIndex(), 1);
  EXPECT_EQ(target_.applied, std::vector<std::string>{IdAt(bar, 1)});
  EXPECT_FALSE(std::filesystem::exists(deleted));

  Click(bar, "device_sub_btn");
  shown_.clear();
  // The only profile is kept: nothing to ask, but the user hears why.
  Click(bar, "device_sub_btn");
  EXPECT_EQ(shown_, QStringList{"profile_delete_last_text"});
  EXPECT_EQ(Names(bar), QStringList{"Profile1"});
}

TEST_F(DeviceProfileUiTest, OnlyAnAcceptedImportSwitchesTheDevice) {
  CDeviceProfileUI* bar = AddBar();
  importPath_ = QString::fromStdString(WriteFile("Other.json", R"({ "profilename" : "K", "profileUUID" : "u",
      "Device" : [ { "CustomLightMode" : 1 } ] })"));
  Click(bar, "device_import_btn");
  EXPECT_EQ(shown_, QStringList{"profile_import_other_kind_text"});
  importPath_.clear();
  Click(bar, "device_import_btn");
  EXPECT_EQ(Names(bar), QStringList{"Profile1"});
  EXPECT_TRUE(target_.applied.empty());

  shown_.clear();
  importPath_ = QString::fromStdString(WriteFile("Mine.json", R"({ "profilename" : "M", "profileUUID" : "u",
      "Device" : [ { "DPIStages" : [], "KeyList" : [], "LightInfo" : {} } ] })"));
  Click(bar, "device_import_btn");
  EXPECT_TRUE(shown_.isEmpty());
  EXPECT_EQ(Names(bar), (QStringList{"Profile1", "Mine"}));
  EXPECT_EQ(Combo(bar)->currentIndex(), 1);
  EXPECT_EQ(target_.applied, std::vector<std::string>{IdAt(bar, 1)});
}

TEST_F(DeviceProfileUiTest, ExportWritesTheChosenFileWithTheImportsExtension) {
  CDeviceProfileUI* bar = AddBar();
  exportPath_ = dir_.path() + "/Saved";
  Click(bar, "device_export_btn");
  EXPECT_TRUE(suggestedExport_.endsWith("/Profile1.json"));
  EXPECT_EQ(ReadJsonFile(exportPath_.toStdString() + ".json"),
            ReadJsonFile(bar->List()->ProfilePath(bar->GetSelectedProfileId())));
  EXPECT_TRUE(shown_.isEmpty());
}

TEST_F(DeviceProfileUiTest, ResetAsksAndThenRestoresTheFactoryProfile) {
  CDeviceProfileUI* bar = AddBar();
  const std::string path = bar->List()->ProfilePath(bar->GetSelectedProfileId());
  Json::Value edited = ReadJsonFile(path);
  edited["Device"][0]["LightInfo"]["Light"] = 99;
  ASSERT_TRUE(WriteJsonFile(path, edited));

  answer_ = false;
  Click(bar, "device_reset_btn");
  EXPECT_EQ(ReadJsonFile(path), edited);
  answer_ = true;
  Click(bar, "device_reset_btn");
  EXPECT_EQ(shown_, (QStringList{"message_text_22", "message_text_22"}));
  EXPECT_EQ(ReadJsonFile(path)["Device"], ReadJsonFile(factory_)["Device"]);
  EXPECT_EQ(target_.reset, std::vector<std::string>{bar->GetSelectedProfileId()});
}

TEST_F(DeviceProfileUiTest, AFolderThatCannotBeWrittenIsReported) {
  const ScopedFileWriteCall refused([](int, std::span<const char>) -> ssize_t {
    errno = EACCES;
    return -1;
  });
  CDeviceProfileUI* bar = AddBar();
  EXPECT_EQ(shown_, QStringList{"profile_write_failed_text"});
  shown_.clear();
  Click(bar, "device_add_btn");
  EXPECT_EQ(shown_, (QStringList{"message_text_27", "profile_write_failed_text"}));
  EXPECT_EQ(Names(bar), QStringList{"Profile1"});
}

TEST_F(DeviceProfileUiTest, AFailedWriteSaysWhy) {
  CDeviceProfileUI* bar = AddBar();
  Click(bar, "device_add_btn");
  ASSERT_EQ(::chmod((folder_ + "ProfileList.ini").c_str(), 0444), 0);
  shown_.clear();
  ChooseNext(bar);
  bar->ApplySelection();
  EXPECT_EQ(shown_, QStringList{"profile_write_read_only_text"});
  EXPECT_EQ(StoredList()["profileselect"].asInt(), 0);
}

TEST_F(DeviceProfileUiTest, ADamagedListIsReportedOnceWithItsProfilesListedAgain) {
  std::ofstream(folder_ + "2024_01_01_00_00_00_000.Json")
      << R"({ "profilename" : "Work", "Device" : [ {} ] })";
  std::ofstream(folder_ + "ProfileList.ini") << R"({ "profilelist" : [ { "profilename" : )";
  TakeFileNotices();
  CDeviceProfileUI* bar = AddBar();
  EXPECT_EQ(Names(bar), QStringList{"Work"});
  EXPECT_TRUE(shown_.isEmpty()) << "not while the page is being built";
  QCoreApplication::processEvents();
  EXPECT_EQ(shown_, QStringList{"profile_list_rebuilt_text"});
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].arguments.value(0), QString::fromStdString(folder_ + "ProfileList.ini"));
  EXPECT_TRUE(messages_[0].arguments.value(1).contains(QStringLiteral("ProfileList.ini.broken-")));
  EXPECT_EQ(messages_[0].arguments.value(2), QStringLiteral("1"));
  QCoreApplication::processEvents();
  AddBar();
  QCoreApplication::processEvents();
  EXPECT_EQ(shown_.size(), 1) << "shown once";
}

TEST_F(DeviceProfileUiTest, TwoPagesOnOneListFollowEachOther) {
  CDeviceProfileUI* first = AddBar();
  CDeviceProfileUI* second = AddBar();
  Click(first, "device_add_btn");
  EXPECT_EQ(Names(second), (QStringList{"Profile1", "Profile2"}));

  ChooseNext(second);
  second->ApplySelection();
  const std::string secondsProfile = second->GetSelectedProfileId();
  target_.applied.clear();
  // The first page deletes the profile the second page's device uses: that device moves on.
  ChooseNext(first);
  Click(first, "device_sub_btn");
  EXPECT_EQ(Names(second), QStringList{"Profile1"});
  EXPECT_NE(second->GetSelectedProfileId(), secondsProfile);
  EXPECT_EQ(second->GetSelectedProfileId(), IdAt(second, 0));
  EXPECT_EQ(target_.applied.size(), 2u);
}

TEST_F(DeviceProfileUiTest, TheSkinsMessageBoxConfirms) {
  CDeviceProfileUI* bar = AddBar();
  bar->SetDialogs(DesktopProfileDialogs());
  QTimer::singleShot(0, [] {
    QWidget* box = QApplication::activeModalWidget();
    ASSERT_NE(box, nullptr);
    FindControl<QAbstractButton>(box, QStringLiteral("confirm_btn"))->click();
  });
  Click(bar, "device_copy_btn");
  EXPECT_EQ(Names(bar), (QStringList{"Profile1", "Profile1 copy"}));
}

TEST_F(DeviceProfileUiTest, ArgumentsAreFilledInOnceAndShownWhole) {
  const QString file = QStringLiteral("/home/u/.local/share/Nimbel/mouse/100%2_b.Json");
  const QString kept = file + QStringLiteral(".broken-2026_12_10_15_38_44_556");
  QString text;
  QTimer::singleShot(0, [&text] {
    QWidget* box = QApplication::activeModalWidget();
    ASSERT_NE(box, nullptr);
    text = FindControl<QLabel>(box, QStringLiteral("MessageText"))->text();
    FindControl<QAbstractButton>(box, QStringLiteral("confirm_btn"))->click();
  });
  DesktopProfileDialogs().showMessage(nullptr,
                                      {QStringLiteral("profile_damaged_restored_text"), {file, kept}});
  text.remove(QChar(0x200B));
  EXPECT_EQ(text,
            QStringLiteral("The profile file %1 could not be read, so the factory settings were restored. "
                           "The damaged file was kept as %2.")
                .arg(file, kept));
}

TEST_F(DeviceProfileUiTest, TheDeletePromptNamesTheProfileAndReturnCancels) {
  CDeviceProfileUI* bar = AddBar();
  Click(bar, "device_add_btn");
  bar->SetDialogs(DesktopProfileDialogs());
  QString text;
  QTimer::singleShot(0, [&text] {
    QWidget* box = QApplication::activeModalWidget();
    ASSERT_NE(box, nullptr);
    text = FindControl<QLabel>(box, QStringLiteral("MessageText"))->text();
    QTest::keyClick(box, Qt::Key_Return);
  });
  Click(bar, "device_sub_btn");
  EXPECT_TRUE(text.contains(QStringLiteral("\"Profile1\""))) << text.toStdString();
  EXPECT_EQ(Names(bar), (QStringList{"Profile1", "Profile2"}));
}

TEST_F(DeviceProfileUiTest, TheSpreadButtonOpensAndClosesTheDrawer) {
  CDeviceProfileUI* bar = AddBar();
  EXPECT_FALSE(bar->IsMenuShown());
  Click(bar, "profile_fun_spread_btn");
  EXPECT_TRUE(bar->IsMenuShown());
  Click(bar, "profile_fun_spread_btn");
  EXPECT_FALSE(bar->IsMenuShown());
}

TEST_F(DeviceProfileUiTest, TheKindDecidesTheTabsAndTheTabIsSelectedQuietly) {
  auto window = std::make_unique<QWidget>();
  auto* layout = new QVBoxLayout(window.get());
  for (const FunctionTab& tab : kFunctionTabs) {
    auto* button = new QPushButton(window.get());
    button->setObjectName(QString::fromUtf8(tab.name.data(), static_cast<int>(tab.name.size())));
    button->setCheckable(true);
    button->setAutoExclusive(true);
    layout->addWidget(button);
  }
  CDeviceProfileUI* bar = AddBar(KindCode::Headset);
  pages_.back()->setParent(window.get());
  bar->InitProfileList();
  const auto tab = [&](const char* name) {
    return FindControl<QPushButton>(window.get(), QLatin1String(name));
  };
  EXPECT_TRUE(tab("cursor_Op_tab")->isHidden());
  EXPECT_TRUE(tab("key_Op_tab")->isHidden());
  EXPECT_FALSE(tab("magic_Op_tab")->isHidden());
  EXPECT_FALSE(tab("deng_Op_tab")->isHidden());

  tab("Virtual7.1_Op_tab")->setChecked(true);
  bar->SelectTab(3);
  for (const FunctionTab& each : kFunctionTabs) {
    EXPECT_EQ(FindControl<QPushButton>(window.get(), QString::fromUtf8(each.name.data()))->isChecked(),
              each.number == 3);
  }
  tab("Virtual7.1_Op_tab")->setChecked(true);
  bar->SelectTab(8);
  EXPECT_FALSE(tab("macro_Op_tab")->isChecked());
  EXPECT_TRUE(tab("Virtual7.1_Op_tab")->isChecked());
  pages_.back()->setParent(nullptr);
}

}  // namespace
}  // namespace nimbel

namespace nimbel {
namespace {

// The main window's apply step as far as the mouse has it: the device loads the chosen profile.
class MouseApply final : public IProfileApplyTarget {
 public:
  explicit MouseApply(CVelquorMouseDevice& mouse) : mouse_(mouse) {}
  void ApplyProfile(CDeviceProfileUI&) override { mouse_.SyncFromProfile(); }
  void ProfileReset(CDeviceProfileUI&) override { mouse_.SyncFromProfile(); }

 private:
  CVelquorMouseDevice& mouse_;
};

TEST(ProfileSwitch, TheMousePageBarSwitchesTheMouseToTheChosenProfile) {
  const QByteArray savedDefaults = qgetenv("NIMBEL_DEFAULT_DATA");
  qputenv("NIMBEL_DEFAULT_DATA", NIMBEL_SOURCE_DIR "/DefaultData/");
  // The main window registers the sub-skin tags; the page skin holds the bar under one.
  CControlFactory::Instance().RegistControl(QStringLiteral("DeviceProfileUI"), [](QWidget* parent) {
    return CreateSubSkinContainer(QString::fromLatin1(CDeviceProfileUI::kSkinFile), parent, nullptr);
  });
  {
    CVelquorMouseDevice mouse;
    ASSERT_TRUE(mouse.ApplyCatalogueRows(0));
    QWidget window;
    ASSERT_TRUE(mouse.CreatePage(&window));
    MouseApply apply(mouse);
    CDeviceProfileUI* bar = SetUpProfileBar(mouse.Page(), mouse.KindName(), KindCode::MouseCable, &apply);
    ASSERT_NE(bar, nullptr);
    bar->SetDialogs({[](QWidget*, const ProfileMessage&) { return true; }, {}, {}});
    mouse.BindProfileList(bar);
    mouse.SyncFromProfile();
    EXPECT_EQ(mouse.Profile().GetProfilePath(), bar->List()->ProfilePath(bar->GetSelectedProfileId()));

    ASSERT_EQ(bar->NewProfile(), ProfileListResult::kDone);
    const std::string chosen = bar->List()->ProfilePath(bar->List()->Entries()[1].id);
    Json::Value profile = ReadJsonFile(chosen);
    profile["Device"][0]["LightInfo"]["Light"] = 1;
    ASSERT_TRUE(WriteJsonFile(chosen, profile));
    QTest::keyClick(FindControl<QComboBox>(bar, QStringLiteral("device_profile_combo")), Qt::Key_Down);
    bar->ApplySelection();
    EXPECT_EQ(mouse.Profile().GetProfilePath(), chosen);
    EXPECT_EQ(mouse.GetLightParameters().brightness, 1);
  }
  qputenv("NIMBEL_DEFAULT_DATA", savedDefaults);
}

}  // namespace
}  // namespace nimbel
