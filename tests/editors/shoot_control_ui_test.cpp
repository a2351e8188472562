#include "editors/shoot_control_ui.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <array>
#include <filesystem>

#include "devices/mouse_keys_page.h"
#include "editors/shoot_path_view.h"
#include "platform/folders.h"
#include "tests/devices/mouse_binding.h"
#include "tests/devices/mouse_page_fixture.h"
#include "ui/control_factory.h"
#include "ui/resource_manager.h"

namespace nimbel {
namespace {

using devices_test::ImageRecord;
using devices_test::Link;
using devices_test::PagedMouse;
using devices_test::Settle;
namespace sc = shoot_control;

// The mouse page as the main window builds it (its real skin, with the pattern editor in it); boxes and
// file dialogs are answered by the test.
class ShootControlUiTest : public testing::TestWithParam<Link> {
 protected:
  static void SetUpTestSuite() {
    static constexpr std::array<ControlClass, 2> kEditor{{
        {CShootControlUI::kContainerClass, nullptr, CShootControlUI::kSkinFile},
        {ShootPathView::kClassName, &MakeControl<ShootPathView>},
    }};
    RegistControls(kEditor);
  }

  ShootControlUiTest() : paged_(GetParam()) {}

  void SetUp() override {
    ASSERT_TRUE(paged_.Ready());
    paged_.Device().SyncFromDevice();
    ASSERT_TRUE(Settle(paged_.Device()));
    editor_.BindControls();
  }

  template <typename T = QWidget>
  T* Control(const QString& name) {
    return qobject_cast<T*>(FindControl(paged_.Page(), name));
  }
  template <typename T = QWidget>
  T* Control(const char* name) {
    return Control<T>(QLatin1String(name));
  }
  bool Notify(NotifyType type, const QString& sender, std::intptr_t wParam = 0) {
    TNotifyUI msg{type, sender, FindControl(paged_.Page(), sender), wParam, 0};
    const bool handled = editor_.HandleNotification(msg);
    Settle(paged_.Device());
    return handled;
  }
  bool Notify(NotifyType type, const char* sender, std::intptr_t wParam = 0) {
    return Notify(type, QLatin1String(sender), wParam);
  }
  // What a user's click on an option does: it toggles, then says so.
  void Choose(const QString& option) {
    auto* button = Control<QAbstractButton>(option);
    ASSERT_NE(button, nullptr) << option.toStdString();
    button->setChecked(!button->isChecked());
    Notify(notify::kSelectChanged, option, button->isChecked() ? 1 : 0);
  }
  void Type(const char* edit, const QString& text) {
    Control<QLineEdit>(edit)->setText(text);
    Notify(notify::kTextChanged, edit);
  }
  QString Shown(const char* edit) { return Control<QLineEdit>(edit)->text(); }
  ShootBullet Stored(int pattern, int bullet) {
    return paged_.Device().ShootPatterns().Bullet(pattern, bullet);
  }
  ShootBullet Factory(int pattern, int bullet) {
    return ReadBullet(ReadJsonFile(DefaultDataFolder() + ShootPatternFileName(pattern)), bullet);
  }
  std::string PatternPath(int pattern) { return paged_.Device().ShootPatterns().PathOf(pattern); }

  PagedMouse paged_;
  QTemporaryDir files_;
  std::vector<QString> shown_;
  QString importPath_;
  QString exportPath_;
  CShootControlUI editor_{
      paged_.Device(),
      {[this](QWidget*, const ProfileMessage& message) {
         shown_.push_back(message.textId);
         return true;
       },
       [this](QWidget*) { return importPath_; }, [this](QWidget*, const QString&) { return exportPath_; }}};
};

TEST_P(ShootControlUiTest, TheFirstStartCopiesTheFactoryPatternsAndShowsPatternOneBulletOne) {
  for (int n = 0; n < kShootPatternCount; ++n) EXPECT_TRUE(std::filesystem::exists(PatternPath(n))) << n;
  EXPECT_TRUE(Control<QAbstractButton>("shoot_gun_op_0")->isChecked());
  EXPECT_TRUE(Control<QAbstractButton>("bullet_op_0")->isChecked());
  EXPECT_EQ(Control<QLabel>(sc::kBulletIndex)->text(), QStringLiteral("1"));
  const ShootBullet first = Factory(0, 0);
  EXPECT_EQ(Shown(sc::kVerticalEdit), QString::number(first.vertical));
  EXPECT_EQ(Shown(sc::kDelayEdit), QString::number(first.delay));
  EXPECT_EQ(Control<QAbstractButton>(sc::kVerticalSwitch)->isChecked(), first.up);
}

TEST_P(ShootControlUiTest, BulletsStepWithoutWrappingAndAnotherWeaponKeepsTheBulletNumber) {
  Notify(notify::kClick, sc::kPreviousBullet);
  EXPECT_EQ(editor_.CurrentBullet(), 0);
  Choose(QStringLiteral("bullet_op_29"));
  Notify(notify::kClick, sc::kNextBullet);
  EXPECT_EQ(editor_.CurrentBullet(), 29);
  EXPECT_EQ(Control<QLabel>(sc::kBulletIndex)->text(), QStringLiteral("30"));
  Notify(notify::kClick, sc::kPreviousBullet);
  EXPECT_EQ(editor_.CurrentBullet(), 28);

  Choose(QStringLiteral("shoot_gun_op_2"));
  EXPECT_EQ(editor_.CurrentPattern(), 2);
  EXPECT_EQ(editor_.CurrentBullet(), 28);
  EXPECT_FALSE(Control<QAbstractButton>("shoot_gun_op_0")->isChecked());
  EXPECT_EQ(Control<QStackedWidget>(sc::kPictureSwitch)->currentIndex(), 2);
  EXPECT_EQ(Shown(sc::kVerticalEdit), QString::number(Factory(2, 28).vertical));
  // A click on the chosen option again keeps it chosen.
  Choose(QStringLiteral("shoot_gun_op_2"));
  EXPECT_TRUE(Control<QAbstractButton>("shoot_gun_op_2")->isChecked());
}

TEST_P(ShootControlUiTest, TypedValuesAreKeptWhenTheFieldIsLeftOrAnotherBulletIsChosen) {
  const struct {
    const char* typed;
    int stored;
    const char* shownAfter;
  } kCases[] = {{"12", 12, "12"}, {"12ab", 12, "12"}, {"ab", 0, "0"}, {"", 0, "0"}, {"999", 255, "255"}};
  for (const auto& c : kCases) {
    Type(sc::kHorizontalEdit, QString::fromLatin1(c.typed));
    Notify(notify::kKillFocus, sc::kHorizontalEdit);
    EXPECT_EQ(Stored(0, 0).horizontal, c.stored) << c.typed;
    EXPECT_EQ(Shown(sc::kHorizontalEdit), QLatin1String(c.shownAfter)) << c.typed;
  }
  Type(sc::kDelayEdit, QStringLiteral("99999"));
  Notify(notify::kKillFocus, sc::kDelayEdit);
  EXPECT_EQ(Stored(0, 0).delay, kMaxShootDelay);

  // A click on an option does not take the focus from the field: what was typed is kept all the same.
  Type(sc::kVerticalEdit, QStringLiteral("7"));
  Choose(QStringLiteral("bullet_op_4"));
  EXPECT_EQ(Stored(0, 0).vertical, 7);
  Type(sc::kVerticalEdit, QStringLiteral("8"));
  Choose(QStringLiteral("shoot_gun_op_1"));
  EXPECT_EQ(Stored(0, 4).vertical, 8);
  EXPECT_EQ(Stored(1, 4), Factory(1, 4));
}

TEST_P(ShootControlUiTest, AChangedDirectionIsKeptAtOnceAndNamedOnItsSwitch) {
  const ShootBullet before = Stored(0, 0);
  Choose(QLatin1String(sc::kHorizontalSwitch));
  EXPECT_EQ(Stored(0, 0).left, !before.left);
  EXPECT_EQ(
      Control<QAbstractButton>(sc::kHorizontalSwitch)->property(CResourceManager::kTextIdProperty).toString(),
      QLatin1String(before.left ? "mouse_move_to_right_text" : "mouse_move_to_left_text"));
  Choose(QStringLiteral("bullet_op_1"));
  Choose(QStringLiteral("bullet_op_0"));
  EXPECT_EQ(Control<QAbstractButton>(sc::kHorizontalSwitch)->isChecked(), !before.left);
}

TEST_P(ShootControlUiTest, ResetAndImportReplaceOnlyTheCurrentPatternAndAFailedOneLeavesIt) {
  Choose(QStringLiteral("shoot_gun_op_3"));
  Type(sc::kHorizontalEdit, QStringLiteral("33"));
  Notify(notify::kKillFocus, sc::kHorizontalEdit);
  Choose(QStringLiteral("shoot_gun_op_1"));
  Type(sc::kHorizontalEdit, QStringLiteral("11"));
  Notify(notify::kKillFocus, sc::kHorizontalEdit);

  // Export pattern 2 (the extension is added), then import it over pattern 2 after a change.
  exportPath_ = files_.filePath(QStringLiteral("exported"));
  Notify(notify::kClick, sc::kExportButton);
  importPath_ = exportPath_ + QStringLiteral(".shoot");
  const std::array<ShootBullet, kShootBulletCount> exported = paged_.Device().ShootPatterns().Bullets(1);
  Type(sc::kHorizontalEdit, QStringLiteral("12"));
  Notify(notify::kKillFocus, sc::kHorizontalEdit);
  Notify(notify::kClick, sc::kImportButton);
  EXPECT_EQ(paged_.Device().ShootPatterns().Bullets(1), exported);
  EXPECT_EQ(Shown(sc::kHorizontalEdit), QStringLiteral("11"));

  // A file that is no pattern is refused and said so; a cancelled dialog does nothing.
  const std::string refused = files_.filePath(QStringLiteral("refused.shoot")).toStdString();
  ASSERT_TRUE(WriteJsonFile(refused, Json::Value(Json::arrayValue)));
  importPath_ = QString::fromStdString(refused);
  Notify(notify::kClick, sc::kImportButton);
  importPath_.clear();
  Notify(notify::kClick, sc::kImportButton);
  EXPECT_EQ(shown_, (std::vector<QString>{QStringLiteral("shoot_not_a_pattern_text")}));
  EXPECT_EQ(Stored(1, 0).horizontal, 11);

  Notify(notify::kClick, sc::kResetButton);
  for (int b = 0; b < kShootBulletCount; ++b) EXPECT_EQ(Stored(1, b), Factory(1, b)) << b;
  EXPECT_EQ(Stored(3, 0).horizontal, 33);
}

TEST_P(ShootControlUiTest, SaveSendsTheFourPatternsToTheMouseInReportsItsLinkCarries) {
  Choose(QStringLiteral("bullet_op_9"));
  Type(sc::kVerticalEdit, QStringLiteral("42"));
  paged_.Mouse().ClearRequests();
  // The edit still has the focus when the button is clicked.
  Notify(notify::kClick, sc::kSaveButton);
  ASSERT_TRUE(Settle(paged_.Device()));
  EXPECT_EQ(Stored(0, 9).vertical, 42);

  std::vector<MacroRecord> expected;
  for (const std::vector<MacroEvent>& events : paged_.Device().ShootPatterns().EventsOfAllPatterns())
    expected.push_back(ImageRecord(events));
  ASSERT_EQ(expected[0].size(), kMaxShootEvents);
  EXPECT_EQ(paged_.Mouse().ShootPatterns(), expected);
  EXPECT_TRUE(shown_.empty());

  // By cable the data goes in full reports; through the receiver in the receiver's chunks.
  std::vector<std::size_t> chunks;
  for (const emulator::ReceivedRequest& request : paged_.Mouse().Requests()) {
    if (request.bytes[3] == ToByte(CommandCode::WriteShootData)) chunks.push_back(request.bytes[4]);
  }
  ASSERT_GT(chunks.size(), 1u);
  const std::size_t chunk = GetParam() == Link::Cable ? kShootDataChunkSize : kReceiverChunkSize;
  EXPECT_TRUE(std::all_of(chunks.begin(), chunks.end() - 1, [&](std::size_t c) { return c == chunk; }));
}

TEST_P(ShootControlUiTest, AMouseThatDoesNotTakeThePatternsIsSaidSo) {
  if (GetParam() == Link::Receiver) {
    paged_.Mouse().SetLinked(false);
  } else {
    const std::vector<emulator::Fault> refused(64, emulator::Fault::WriteFails);
    paged_.Mouse().InjectFaults(refused);
  }
  Notify(notify::kClick, sc::kSaveButton);
  ASSERT_TRUE(Settle(paged_.Device()));
  EXPECT_EQ(shown_, (std::vector<QString>{QStringLiteral("shoot_not_written_text")}));
}

TEST_P(ShootControlUiTest, AButtonBoundToAPatternIsDescribedByThePatternsName) {
  constexpr int kRightButton = 3;
  paged_.Device().SetSlotAssignment(kRightButton, KeyCode::FromValue(0, 0x720100));
  ASSERT_TRUE(Settle(paged_.Device()));
  const auto* info =
      Control<QLabel>(QLatin1String(mouse_keys_control::kKeyInfo) + QString::number(kRightButton));
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->text(), CResourceManager::Instance().Text(QStringLiteral("gun_2_txt")));
  EXPECT_EQ(paged_.Mouse().KeyAssignments().at(paged_.Device().KeyMap()[kRightButton]),
            (AssignmentCode{0x72, 1, 0}));
}

INSTANTIATE_TEST_SUITE_P(ByLink, ShootControlUiTest, ::testing::Values(Link::Cable, Link::Receiver));

}  // namespace
}  // namespace nimbel
