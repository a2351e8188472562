#include "editors/mouse_keys_editor.h"

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <array>

#include "devices/mouse_page.h"
#include "tests/devices/mouse_page_fixture.h"
#include "ui/control_factory.h"
#include "ui/resource_manager.h"

namespace nimbel {
namespace {

using devices_test::Link;
using devices_test::PagedMouse;
using devices_test::Settle;
namespace kc = key_set_control;

constexpr int kLeftButton = 1;

// The mouse page as the main window builds it (its real skin, with the panel in it) and the editor that
// the main window routes the page's notifications to.
class MouseKeysEditorTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    static constexpr std::array<ControlClass, 1> kPanel{
        {{CKeySetControlUI::kContainerClass, nullptr, CKeySetControlUI::kSkinFile}}};
    RegistControls(kPanel);
  }

  void SetUp() override {
    ASSERT_TRUE(paged_.Ready());
    paged_.Device().SyncFromDevice();
    ASSERT_TRUE(Settle(paged_.Device()));
    editor_.Bind();
  }

  QWidget* Control(const char* name) { return FindControl(paged_.Page(), QLatin1String(name)); }
  template <typename T>
  T* Control(const char* name) {
    return qobject_cast<T*>(Control(name));
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

  void ChooseCategory(KeyFunction function) {
    auto* combo = Control<QComboBox>(kc::kFunctionCombo);
    combo->setCurrentIndex(combo->findData(QString::number(static_cast<int>(function))));
    Notify(notify::kItemSelect, kc::kFunctionCombo);
  }

  // A key pressed in the key field as X11 and Wayland report it: the kernel's code moved by 8.
  void PressKey(std::uint16_t evdevCode) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, evdevCode + kEvdevToNativeScanCode, 0,
                    0);
    QApplication::sendEvent(Control(kc::kKeyEdit), &press);
    Settle(paged_.Device());
  }

  AssignmentCode OnMouse(int slot) {
    return paged_.Mouse().KeyAssignments().at(paged_.Device().KeyMap()[static_cast<std::size_t>(slot)]);
  }

  PagedMouse paged_{Link::Cable};
  MouseKeysEditor editor_{paged_.Device(), [this](QWidget*, const ProfileMessage& message) {
                            asked_.push_back(message.textId);
                            return confirm_;
                          }};
  std::vector<QString> asked_;
  bool confirm_ = true;
};

TEST_F(MouseKeysEditorTest, AButtonOpensThePanelOnItsAssignment) {
  EXPECT_TRUE(Control(kc::kLayout)->isHidden());
  EXPECT_TRUE(Notify(notify::kClick, QStringLiteral("key_%1").arg(kLeftButton)));
  EXPECT_FALSE(Control(kc::kLayout)->isHidden());
  EXPECT_EQ(paged_.Device().SelectedKey(), kLeftButton);
  // The factory assignment shows as the factory function, and nothing is offered to save yet.
  EXPECT_EQ(Control<QComboBox>(kc::kFunctionCombo)->currentData().toString(), QStringLiteral("0"));
  EXPECT_FALSE(Control(kc::kSaveButton)->isEnabled());
  EXPECT_TRUE(Control<QAbstractButton>(QStringLiteral("key_%1").arg(kLeftButton).toLatin1())->isChecked());
}

TEST_F(MouseKeysEditorTest, KeysCapturedInTheFieldBuildTheCodeThatReachesTheMouse) {
  Notify(notify::kClick, QStringLiteral("key_%1").arg(kLeftButton));
  ChooseCategory(KeyFunction::kKeyboardKey);
  // Choosing the page sends nothing: no key was pressed yet.
  EXPECT_EQ(OnMouse(kLeftButton), (AssignmentCode{0x10, 0x01, 0x00}));

  PressKey(KEY_RIGHTSHIFT);
  EXPECT_TRUE(Control<QAbstractButton>("key_ComBox_check_2")->isChecked());
  EXPECT_TRUE(Control<QLineEdit>(kc::kKeyEdit)->text().isEmpty());
  PressKey(KEY_A);
  EXPECT_EQ(Control<QLineEdit>(kc::kKeyEdit)->text(), QStringLiteral("A"));
  EXPECT_EQ(OnMouse(kLeftButton), (AssignmentCode{0x20, 0x02, 0x04}));
  EXPECT_EQ(paged_.StoredProfile()["KeyList"][kLeftButton]["Assignment"].asInt64(), 0x200204);
  // The button now says what it does.
  EXPECT_EQ(Control<QLabel>("key_info_1")->toolTip(), QStringLiteral("Left Shift+A"));
}

TEST_F(MouseKeysEditorTest, SavingACodeTheUserDidNotChangeKeepsItExactly) {
  // Right Alt + A has no option of its own, and 0x20 0x03 carries two modifiers: shown and saved again,
  // each stays what it was.
  for (const std::uint32_t value : {0x204004u, 0x200304u, 0x2000E9u}) {
    paged_.Device().SetSlotAssignment(kLeftButton, KeyCode::FromValue(0, value));
    ASSERT_TRUE(Settle(paged_.Device()));
    Notify(notify::kClick, QStringLiteral("key_%1").arg(kLeftButton));
    Notify(notify::kClick, kc::kSaveButton);
    EXPECT_EQ(paged_.Device().SlotAssignment(kLeftButton)->current.Value(), value);
    EXPECT_EQ(OnMouse(kLeftButton), (AssignmentCode{0x20, static_cast<std::uint8_t>(value >> 8),
                                                    static_cast<std::uint8_t>(value)}));
  }
}

TEST_F(MouseKeysEditorTest, NumbersBeyondWhatTheMouseStoresAreClampedAndShownClamped) {
  struct Case {
    KeyFunction function;
    const char* edit;
    const char* typed;
    const char* shown;
    AssignmentCode code;
  };
  // Swing right is direction 1; wheel down with count 1 is 0xFF; fire interval 50 by default.
  const std::array<Case, 4> cases{{
      {KeyFunction::kSwing, kc::kSwingCountEdit, "200", "127", {0x11, 0x00, 0x7F}},
      {KeyFunction::kWheel, kc::kWheelCountEdit, "0", "1", {0x12, 0x00, 0x01}},
      {KeyFunction::kRapidFire, kc::kFireCountEdit, "300", "255", {0x14, 50, 0xFF}},
      {KeyFunction::kRapidFire, kc::kFireIntervalEdit, "-4", "0", {0x14, 0, 0xFF}},
  }};
  Notify(notify::kClick, QStringLiteral("key_%1").arg(kLeftButton));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.edit);
    ChooseCategory(c.function);
    Control<QLineEdit>(c.edit)->setText(QLatin1String(c.typed));
    Notify(notify::kKillFocus, c.edit);
    EXPECT_EQ(Control<QLineEdit>(c.edit)->text(), QLatin1String(c.shown));
    EXPECT_EQ(OnMouse(kLeftButton), c.code);
  }
}

TEST_F(MouseKeysEditorTest, RestoringAllAsksFirstAndBringsTheFactoryCodesBack) {
  paged_.Device().SetSlotAssignment(kLeftButton, KeyCode::FromValue(0, 0x200004));
  ASSERT_TRUE(Settle(paged_.Device()));
  confirm_ = false;
  Notify(notify::kClick, "default_btn");
  EXPECT_EQ(OnMouse(kLeftButton), (AssignmentCode{0x20, 0x00, 0x04}));
  confirm_ = true;
  Notify(notify::kClick, "default_btn");
  EXPECT_EQ(asked_,
            (std::vector<QString>{QStringLiteral("message_text_22"), QStringLiteral("message_text_22")}));
  EXPECT_EQ(OnMouse(kLeftButton), (AssignmentCode{0x10, 0x01, 0x00}));
}

TEST_F(MouseKeysEditorTest, WithoutMacrosOrPatternsTheirCategoriesAreNotOffered) {
  const QComboBox* categories = Control<QComboBox>(kc::kFunctionCombo);
  EXPECT_EQ(categories->findData(QString::number(static_cast<int>(KeyFunction::kMacro))), -1);
  EXPECT_EQ(categories->findData(QString::number(static_cast<int>(KeyFunction::kShootPattern))), -1);
  // A key that holds a macro from another machine's profile, or a function only the firmware gives, shows
  // no category; saved, it keeps its code, and another function can still be chosen for it.
  for (const std::uint32_t value : {0x700000u, 0xA01B00u}) {
    paged_.Device().SetSlotAssignment(kLeftButton, KeyCode::FromValue(0, value));
    ASSERT_TRUE(Settle(paged_.Device()));
    Notify(notify::kClick, QStringLiteral("key_%1").arg(kLeftButton));
    EXPECT_FALSE(Control(kc::kLayout)->isHidden());
    EXPECT_EQ(categories->currentIndex(), -1);
    Notify(notify::kClick, kc::kSaveButton);
    EXPECT_EQ(paged_.Device().SlotAssignment(kLeftButton)->current.Value(), value);
  }
  ChooseCategory(KeyFunction::kMouseButton);
  EXPECT_EQ(OnMouse(kLeftButton), (AssignmentCode{0x10, 0x01, 0x00}));
}

TEST_F(MouseKeysEditorTest, APatternKeyFiresTheFirstPatternUnlessAnotherIsChosen) {
  editor_.Panel().FillPatternList({QStringLiteral("gun_1_txt"), QStringLiteral("gun_2_txt")});
  Notify(notify::kClick, QStringLiteral("key_%1").arg(kLeftButton));
  ChooseCategory(KeyFunction::kShootPattern);
  EXPECT_EQ(Control<QComboBox>(kc::kPatternCombo)->currentText(),
            CResourceManager::Instance().Text(QStringLiteral("gun_1_txt")));
  Notify(notify::kClick, kc::kSaveButton);
  EXPECT_EQ(OnMouse(kLeftButton), (AssignmentCode{0x72, 0x00, 0x00}));
  // The macro library changing while the key is edited keeps what is being chosen for it.
  Notify(notify::kClick, QStringLiteral("key_%1").arg(kLeftButton));
  Control<QComboBox>(kc::kPatternCombo)->setCurrentIndex(1);
  editor_.Panel().FillMacroList({QStringLiteral("new macro")});
  Notify(notify::kClick, kc::kSaveButton);
  EXPECT_EQ(OnMouse(kLeftButton), (AssignmentCode{0x72, 0x01, 0x00}));
}

}  // namespace
}  // namespace nimbel
