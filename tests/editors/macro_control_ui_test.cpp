#include "editors/macro_control_ui.h"

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>
#include <linux/input.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>

#include "devices/mouse_keys.h"
#include "tests/devices/mouse_page_fixture.h"
#include "tests/support/input_event_pipe.h"

namespace nimbel {
namespace {

using devices_test::Link;
using devices_test::PagedMouse;
using devices_test::Settle;
namespace mc = macro_control;

// The mouse page as the main window builds it with its macro editor; boxes and file dialogs are
// answered by the test.
class MacroControlUiTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(paged_.Ready());
    paged_.Device().SyncFromDevice();
    ASSERT_TRUE(Settle(paged_.Device()));
    editor_.Bind();
  }

  bool Click(const char* name) {
    TNotifyUI msg{notify::kClick, QLatin1String(name), FindControl(paged_.Page(), QLatin1String(name)), 0, 0};
    const bool handled = editor_.HandleNotification(msg);
    Settle(paged_.Device());
    return handled;
  }
  void NewMacros(int count) {
    for (int i = 0; i < count; ++i) Click(mc::kAddButton);
  }
  QListWidget* List() { return FindControl<QListWidget>(paged_.Page(), QLatin1String(mc::kEventList)); }
  void SetText(const char* name, const QString& text) {
    FindControl<QLineEdit>(paged_.Page(), QLatin1String(name))->setText(text);
  }
  std::vector<MacroEvent> Stored(std::size_t index) { return paged_.Device().Macros().ReadEvents(index); }

  PagedMouse paged_{Link::Cable};
  std::vector<QString> asked_;
  bool confirm_ = true;
  QString importPath_;
  QString exportPath_;
  CMacroControlUI editor_{
      paged_.Device(),
      {[this](QWidget*, const ProfileMessage& message) {
         asked_.push_back(message.textId);
         return confirm_;
       },
       [this](QWidget*) { return importPath_; }, [this](QWidget*, const QString&) { return exportPath_; }}};
};

TEST_F(MacroControlUiTest, EventsAreInsertedMovedAndDeletedAndEachEditIsSaved) {
  NewMacros(1);
  ASSERT_EQ(editor_.GetSelectedMacroIndex(), 0);
  SetText(mc::kFixedDelayEdit, QStringLiteral("5"));  // below the least: held to 10 and shown so
  editor_.InsertMouseEvent(0x01, CMacroControlUI::MouseButtonEvent::kClick);
  EXPECT_EQ(FindControl<QLineEdit>(paged_.Page(), QLatin1String(mc::kFixedDelayEdit))->text(),
            QStringLiteral("10"));
  SetText(mc::kMoveUpEdit, QStringLiteral("300"));  // more than a byte: held to 255
  Click(mc::kMoveUpButton);
  const MacroEvent down{macro_event_type::kMouseButton, 0x01, true, 10};
  const MacroEvent up{macro_event_type::kMouseButton, 0x01, false, 10};
  const MacroEvent move{macro_event_type::kVerticalMove, 255, true, 10};
  EXPECT_EQ(Stored(0), (std::vector<MacroEvent>{down, up, move}));
  EXPECT_EQ(List()->count(), 3);

  List()->setCurrentRow(2);
  Click(mc::kTopButton);
  EXPECT_EQ(Stored(0), (std::vector<MacroEvent>{move, down, up}));
  // A delay typed in a row is kept when the next edit saves.
  auto* delay = List()->itemWidget(List()->item(1))->findChild<QLineEdit*>(QLatin1String(mc::kDelayEdit));
  delay->setText(QStringLiteral("70000"));
  List()->setCurrentRow(1);
  Click(mc::kDownButton);
  EXPECT_EQ(Stored(0), (std::vector<MacroEvent>{move, up, {down.type, down.button, true, 65535}}));
  Click(mc::kDeleteEventButton);
  EXPECT_EQ(Stored(0).size(), 2u);
  Click(mc::kDeleteAllButton);
  EXPECT_TRUE(Stored(0).empty());
}

TEST_F(MacroControlUiTest, AMacroHoldsAtMostThirtyEvents) {
  NewMacros(1);
  for (int i = 0; i < 15; ++i) editor_.InsertMouseEvent(0x02, CMacroControlUI::MouseButtonEvent::kClick);
  ASSERT_EQ(Stored(0).size(), 30u);
  asked_.clear();
  editor_.InsertMouseEvent(0x02, CMacroControlUI::MouseButtonEvent::kDown);
  EXPECT_EQ(Stored(0).size(), 30u);
  EXPECT_EQ(asked_, (std::vector<QString>{QStringLiteral("message_text_32")}));
}

TEST_F(MacroControlUiTest, DeletingAMacroRenumbersTheKeysOfTheMouseAndOfEveryProfile) {
  NewMacros(3);
  CVelquorMouseDevice& mouse = paged_.Device();
  // Slot 1 plays the third macro, slot 3 the second.
  mouse.SetSlotAssignment(1, KeyCode::FromValue(0, 0x700200));
  mouse.SetSlotAssignment(3, KeyCode::FromValue(0, 0x710105));
  ASSERT_TRUE(Settle(mouse));
  // Another profile of the kind binds slot 4 to the third macro.
  const std::string other = ProfileFile("mouse", "2026_01_01_00_00_00_000");
  Json::Value document = ReadJsonFile(paged_.ProfilePath());
  document["Device"][0]["KeyList"][4]["Assignment"] = 0x700200;
  ASSERT_TRUE(WriteJsonFile(other, document));

  FindControl<QComboBox>(paged_.Page(), QLatin1String(mc::kNameList))->setCurrentIndex(1);
  editor_.SelectMacro(1);
  asked_.clear();
  Click(mc::kDeleteButton);
  // Asked first, and again because a key plays it.
  EXPECT_EQ(asked_,
            (std::vector<QString>{QStringLiteral("message_text_4"), QStringLiteral("message_text_2")}));
  EXPECT_EQ(mouse.Macros().Count(), 2u);
  EXPECT_EQ(mouse.SlotAssignment(1)->current.Value(), 0x700100u);
  EXPECT_EQ(mouse.SlotAssignment(3)->current.Value(), 0x100200u);  // back to its default
  EXPECT_EQ(ReadJsonFile(other)["Device"][0]["KeyList"][4]["Assignment"].asInt64(), 0x700100);
  EXPECT_EQ(paged_.StoredProfile()["KeyList"][1]["Assignment"].asInt64(), 0x700100);
  // The mouse holds the renumbered table: the macro it plays is record 0 of its image.
  const std::size_t leftButton = mouse.KeyMap()[1];
  EXPECT_EQ(paged_.Mouse().KeyAssignments().at(leftButton), (AssignmentCode{0x70, 0, 0}));
}

TEST_F(MacroControlUiTest, AnImportThatIsNoMacroIsRefusedAndNothingIsAdded) {
  QTemporaryDir folder;
  importPath_ = folder.filePath(QStringLiteral("bad.mac"));
  QFile file(importPath_);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(R"({"Events": [{"Type": 10, "Button": 4, "Action": "down", "Delay": "99999"}]})");
  file.close();
  Click(mc::kImportButton);
  EXPECT_EQ(asked_, (std::vector<QString>{QStringLiteral("message_text_32")}));
  EXPECT_EQ(paged_.Device().Macros().Count(), 0u);
}

TEST_F(MacroControlUiTest, NamesAreCheckedBeforeTheyAreTaken) {
  NewMacros(2);
  struct Case {
    const char* typed;
    const char* refusal;
  };
  for (const Case& c : {Case{"macro_1", "message_text_5"}, Case{" x", "message_text_5_2"},
                        Case{"", "message_text_5_1"}, Case{"MACRO_2", "message_text_5"}}) {
    asked_.clear();
    SetText(mc::kNameEdit, QString::fromUtf8(c.typed));
    Click(mc::kRenameButton);
    EXPECT_EQ(asked_, (std::vector<QString>{QLatin1String(c.refusal)})) << c.typed;
    // The edit shows the name the macro keeps.
    EXPECT_EQ(FindControl<QLineEdit>(paged_.Page(), QLatin1String(mc::kNameEdit))->text(),
              QStringLiteral("macro_2"));
  }
  SetText(mc::kNameEdit, QStringLiteral("Grenade"));
  Click(mc::kRenameButton);
  EXPECT_EQ(editor_.MacroNames(), (QStringList{QStringLiteral("macro_1"), QStringLiteral("Grenade")}));
}

TEST_F(MacroControlUiTest, RecordingTakesTheWindowsKeysAndButtonsButNotTheStopClick) {
  NewMacros(1);
  FindControl<QComboBox>(paged_.Page(), QLatin1String(mc::kRecordDelayCombo))
      ->setCurrentIndex(2);  // no delay
  Click(mc::kRecordButton);
  ASSERT_TRUE(editor_.IsRecording());
  QWidget* list = List();
  const auto key = [&](QEvent::Type type, std::uint16_t evdev, bool repeat = false) {
    QKeyEvent event(type, Qt::Key_unknown, Qt::NoModifier, evdev + kEvdevToNativeScanCode, 0, 0, QString(),
                    repeat);
    QApplication::sendEvent(list, &event);
  };
  const auto mouse = [&](QWidget* target, QEvent::Type type, Qt::MouseButton button) {
    QMouseEvent event(type, QPointF(2, 2), target->mapToGlobal(QPointF(2, 2)), button, button,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &event);
  };
  key(QEvent::KeyPress, KEY_LEFTSHIFT);
  key(QEvent::KeyPress, KEY_A);
  key(QEvent::KeyPress, KEY_A, true);  // held: the repeat is not a press
  key(QEvent::KeyRelease, KEY_A);
  key(QEvent::KeyRelease, KEY_LEFTSHIFT);
  mouse(list, QEvent::MouseButtonPress, Qt::BackButton);
  mouse(list, QEvent::MouseButtonRelease, Qt::BackButton);
  mouse(list, QEvent::MouseButtonDblClick, Qt::BackButton);  // a double click's second press
  mouse(list, QEvent::MouseButtonRelease, Qt::BackButton);
  auto* stop = FindControl<QPushButton>(paged_.Page(), QLatin1String(mc::kStopButton));
  mouse(stop, QEvent::MouseButtonPress, Qt::LeftButton);
  mouse(stop, QEvent::MouseButtonRelease, Qt::LeftButton);
  Click(mc::kStopButton);
  EXPECT_FALSE(editor_.IsRecording());
  EXPECT_EQ(Stored(0), (std::vector<MacroEvent>{{macro_event_type::kModifier, 0x02, true, 0},
                                                {macro_event_type::kKey, 0x04, true, 0},
                                                {macro_event_type::kKey, 0x04, false, 0},
                                                {macro_event_type::kModifier, 0x02, false, 0},
                                                {macro_event_type::kMouseButton, 0x08, true, 0},
                                                {macro_event_type::kMouseButton, 0x08, false, 0},
                                                {macro_event_type::kMouseButton, 0x08, true, 0},
                                                {macro_event_type::kMouseButton, 0x08, false, 0}}));
  // The editor takes clicks again.
  EXPECT_TRUE(FindControl(paged_.Page(), QLatin1String(mc::kActionLayout))->isEnabled());
}

// Every keyboard and mouse, read from pipes that stand for the computer's input nodes.
class SystemRecordingTest : public MacroControlUiTest {
 protected:
  SystemInputSource Source() {
    return {[this] {
              // The capture owns what it is given: copies of the pipes' reading ends.
              return std::vector<InputNode>{{dup(keyboard_.Reader()), true, "keyboard"},
                                            {dup(mouse_.Reader()), false, "mouse"}};
            },
            [this](int, bool on) {
              grabs_.push_back(on);
              return true;
            }};
  }

  test_support::InputEventPipe keyboard_;
  test_support::InputEventPipe mouse_;
  std::vector<bool> grabs_;
  CMacroControlUI system_{
      paged_.Device(), {[](QWidget*, const ProfileMessage&) { return true; }, {}, {}}, Source()};
};

TEST_F(SystemRecordingTest, KeysOfAnyKeyboardAreRecordedWhileGrabbedAndTheStopClickIsLeftOut) {
  system_.Bind();
  auto* sources = FindControl<QComboBox>(paged_.Page(), QLatin1String(mc::kRecordSourceCombo));
  ASSERT_FALSE(sources->isHidden());
  sources->setCurrentIndex(1);
  FindControl<QComboBox>(paged_.Page(), QLatin1String(mc::kRecordDelayCombo))
      ->setCurrentIndex(0);  // as pressed
  system_.NewMacro();
  system_.StartRecording();
  ASSERT_TRUE(system_.IsRecording());
  EXPECT_EQ(grabs_, (std::vector<bool>{true}));
  keyboard_.Send(EV_KEY, KEY_B, 1, 5000);
  keyboard_.Send(EV_KEY, KEY_B, 2, 5100);  // held
  keyboard_.Send(EV_KEY, KEY_B, 0, 5300);
  mouse_.Send(EV_KEY, BTN_LEFT, 1, 5400);  // the click on Stop
  mouse_.Send(EV_KEY, BTN_LEFT, 0, 5450);
  ASSERT_TRUE(devices_test::ProcessEventsUntil([&] { return system_.Events().size() == 4; }));
  system_.StopRecording();
  EXPECT_EQ(grabs_, (std::vector<bool>{true, false}));
  EXPECT_EQ(Stored(0), (std::vector<MacroEvent>{{macro_event_type::kKey, 0x05, true, 300},
                                                {macro_event_type::kKey, 0x05, false, 100}}));
}

}  // namespace
}  // namespace nimbel
