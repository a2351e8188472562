#include "editors/colour_palette.h"

#include <gtest/gtest.h>
#include <json/value.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <cerrno>
#include <filesystem>
#include <functional>

#include "editors/colour_option_file.h"
#include "editors/colour_option_ui.h"
#include "editors/colour_palette_ui.h"
#include "profiles/file_io.h"
#include "profiles/json_file.h"
#include "tests/profiles/profile_test_support.h"
#include "ui/find_control.h"
#include "ui/resource_manager.h"
#include "ui/skin_attributes.h"

namespace nimbel {
namespace {

using testing::ReadText;
using testing::WriteText;

constexpr const char* kFactoryFile = NIMBEL_SOURCE_DIR "/DefaultData/color_option_info.config";
constexpr std::uint32_t kGreen = 0xFF00FF00;
constexpr int kAnswerBoundMs = 20000;

TEST(ColourTextTest, WritesEightUpperCaseDigitsAndReadsBaseSixteen) {
  EXPECT_EQ(FormatColourText(kGreen), "FF00FF00");
  EXPECT_EQ(FormatColourText(0x0000000A), "0000000A");
  const struct {
    const char* text;
    std::optional<std::uint32_t> colour;
  } cases[] = {
      {"FF00FF00", kGreen},       {"ff00ff00", kGreen},
      {"Ff00fF00", kGreen},       {"0", 0u},
      {"", std::nullopt},         {"FF00FF001", std::nullopt},
      {"GG00FF00", std::nullopt}, {" FF00FF00", std::nullopt},
      {"+FF", std::nullopt},      {"0xFF", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseColourText(c.text), c.colour) << '"' << c.text << '"';
}

class ColourOptionFileTest : public testing::DataFoldersTest {
 protected:
  void InstallFactoryCopy() const {
    std::filesystem::copy_file(kFactoryFile, FactoryFolder() + "color_option_info.config");
  }
  static Json::Value UserDocument() { return ReadJsonFile(ColourOptionFile()); }
  static Json::Value CollectedEntry(int index) {
    return UserDocument()["coloroptioninfo"]["palletDialogcollectcoloroption"][index];
  }
};

TEST_F(ColourOptionFileTest, UnusableUserFileIsReplacedByTheFactoryCopy) {
  InstallFactoryCopy();
  const Json::Value factory = ReadJsonFile(kFactoryFile);
  const struct {
    const char* name;
    const char* text;  // nullptr: no user file
  } cases[] = {{"missing", nullptr},
               {"not JSON", "{ \"coloroptioninfo\": "},
               {"an array", "[1, 2]"},
               {"info of the wrong type", "{ \"coloroptioninfo\": 5 }"}};
  for (const auto& c : cases) {
    std::filesystem::remove(ColourOptionFile());
    if (c.text != nullptr) WriteText(ColourOptionFile(), c.text);
    const ColourOptions options = LoadColourOptions();
    EXPECT_EQ(options.presets[0], 0xFFFF0000u) << c.name;
    EXPECT_EQ(options.presetSelected, kInitialPresetIndex) << c.name;
    EXPECT_FALSE(options.collected[0].HoldsColour()) << c.name;
    EXPECT_EQ(UserDocument(), factory) << c.name;
  }
}

TEST_F(ColourOptionFileTest, WithoutAnyUsableFileTheOptionsAreBlankAndNothingIsWritten) {
  WriteText(FactoryFolder() + "color_option_info.config", "broken");
  const ColourOptions options = LoadColourOptions();
  EXPECT_EQ(options.presets[7], kBlankOptionColour);
  EXPECT_FALSE(options.collected[7].HoldsColour());
  EXPECT_FALSE(std::filesystem::exists(ColourOptionFile()));
}

TEST_F(ColourOptionFileTest, NonsenseEntriesReadAsTheirBlankDefaults) {
  WriteText(ColourOptionFile(), R"({ "coloroptioninfo": {
      "palletDialogcoloroption": [ { "color": "ff102030" }, { "color": 7 } ],
      "palletDialogcoloroption_selectitem": 99,
      "palletDialogcollectcoloroption": [ { "color": "zz", "UserData": "1" }, { "color": "FF00FF00", "UserData": "1" },
                                          "not an object", { "color": "FF112233", "UserData": 1 } ],
      "palletDialogcollectcoloroption_selectitem": "three" } })");
  const ColourOptions options = LoadColourOptions();
  EXPECT_EQ(options.presets[0], 0xFF102030u);
  EXPECT_EQ(options.presets[1], kBlankOptionColour);
  EXPECT_EQ(options.presetSelected, kInitialPresetIndex);
  EXPECT_FALSE(options.collected[0].HoldsColour()) << "a held colour that cannot be read";
  EXPECT_TRUE(options.collected[1].HoldsColour());
  EXPECT_EQ(options.collected[1].colour, kGreen);
  EXPECT_FALSE(options.collected[2].HoldsColour());
  EXPECT_FALSE(options.collected[3].HoldsColour()) << "UserData must be the text \"1\"";
  EXPECT_EQ(options.collectedSelected, kInitialCollectedIndex);
}

TEST_F(ColourOptionFileTest, SaveKeepsOtherContentAndWritesEveryEntry) {
  WriteText(ColourOptionFile(), R"({ "coloroptioninfo": { "note": "kept" }, "other": [1] })");
  ColourOptions options;
  options.collected[19] = {kGreen, "1"};
  options.collectedSelected = -1;
  ASSERT_TRUE(SaveColourOptions(options));
  const Json::Value saved = UserDocument();
  EXPECT_EQ(saved["other"][0].asInt(), 1);
  EXPECT_EQ(saved["coloroptioninfo"]["note"].asString(), "kept");
  EXPECT_EQ(saved["coloroptioninfo"]["palletDialogcoloroption"].size(), kColourOptionCount);
  EXPECT_EQ(CollectedEntry(19)["color"].asString(), "FF00FF00");
  EXPECT_EQ(CollectedEntry(19)["UserData"].asString(), "1");
  EXPECT_EQ(saved["coloroptioninfo"]["palletDialogcollectcoloroption_selectitem"].asInt(), -1);
  EXPECT_EQ(LoadColourOptions().collected[19].colour, kGreen);
}

// The dialog on the program's own skin, shown without a modal loop so a test can drive it step by step.
class ColourPaletteTest : public ColourOptionFileTest {
 protected:
  ColourPaletteTest() { InstallFactoryCopy(); }

  static std::unique_ptr<CColorSelectWnd> Open(QColor initial = QColor(0x12, 0x34, 0x56)) {
    auto wnd = std::make_unique<CColorSelectWnd>(nullptr);
    EXPECT_TRUE(wnd->IsBuilt());
    wnd->SetColour(initial);
    wnd->Dialog()->show();
    wnd->Dialog()->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(wnd->Dialog()));
    return wnd;
  }
  template <typename T = QWidget>
  static T* Control(const CColorSelectWnd& wnd, const QString& name) {
    T* control = FindControl<T>(wnd.Dialog(), name);
    EXPECT_NE(control, nullptr) << name.toStdString();
    return control;
  }
  static CColorOptionUI* Collected(const CColorSelectWnd& wnd, int index) {
    return dynamic_cast<CColorOptionUI*>(Control(wnd, QStringLiteral("collect_color_option_%1").arg(index)));
  }
  static void Click(const CColorSelectWnd& wnd, const QString& name) {
    QTest::mouseClick(Control(wnd, name), Qt::LeftButton);
  }
  // Types into an edit and leaves it with Tab (Return would also press the dialog's default button).
  static void Type(const CColorSelectWnd& wnd, const QString& name, const QString& text) {
    auto* edit = Control<QLineEdit>(wnd, name);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Tab);
  }
  static std::string Shown(const CColorSelectWnd& wnd) {
    return GetSkinAttribute(Control(wnd, QStringLiteral("color_show_btn")), SkinAttribute::kBkColor)
        .toStdString();
  }
  static std::string Text(const CColorSelectWnd& wnd, const char* edit) {
    return Control<QLineEdit>(wnd, QLatin1String(edit))->text().toStdString();
  }
};

TEST_F(ColourPaletteTest, CollectedColoursPersistBetweenOpenings) {
  {
    const auto wnd = Open();
    Click(*wnd, QStringLiteral("color_option_6"));
    EXPECT_NE(CollectedEntry(3)["UserData"].asString(), "1") << "no slot collects until one is selected";
    EXPECT_EQ(Shown(*wnd), "0xFF00FF00");

    Click(*wnd, QStringLiteral("collect_color_option_3"));
    Click(*wnd, QStringLiteral("color_option_6"));
    EXPECT_EQ(CollectedEntry(3)["color"].asString(), "FF00FF00");
    EXPECT_EQ(CollectedEntry(3)["UserData"].asString(), "1");
    EXPECT_EQ(UserDocument()["coloroptioninfo"]["palletDialogcoloroption_selectitem"].asInt(), 6);
  }
  const auto again = Open();
  EXPECT_EQ(Collected(*again, 3)->Swatch(), std::optional<QRgb>(kGreen));
  EXPECT_EQ(Collected(*again, 4)->Swatch(), std::nullopt);
  for (int i = 0; i < static_cast<int>(kColourOptionCount); ++i)
    EXPECT_FALSE(Collected(*again, i)->isChecked()) << "no slot is selected on opening: " << i;
  EXPECT_EQ(Shown(*again), "0xFF123456");
  Click(*again, QStringLiteral("collect_color_option_3"));
  EXPECT_EQ(Shown(*again), "0xFF00FF00");
  EXPECT_EQ(Text(*again, "color_edit_g"), "255");
}

TEST_F(ColourPaletteTest, EditsClampEmptyAndLargeValues) {
  const auto wnd = Open();
  Click(*wnd, QStringLiteral("collect_color_option_0"));
  Type(*wnd, QStringLiteral("color_edit_r"), QStringLiteral("300"));
  Type(*wnd, QStringLiteral("color_edit_g"), QString());
  EXPECT_EQ(Text(*wnd, "color_edit_r"), "255");
  EXPECT_EQ(Text(*wnd, "color_edit_g"), "0");
  EXPECT_EQ(Shown(*wnd), "0xFFFF0056");
  EXPECT_EQ(CollectedEntry(0)["color"].asString(), "FFFF0056");

  Type(*wnd, QStringLiteral("color_edit_hex"), QStringLiteral("#0a0B0c"));
  EXPECT_EQ(Shown(*wnd), "0xFF0A0B0C");
  EXPECT_EQ(Text(*wnd, "color_edit_b"), "12");
  Type(*wnd, QStringLiteral("color_edit_hex"), QStringLiteral("#12"));
  EXPECT_EQ(Text(*wnd, "color_edit_hex"), "#0A0B0C") << "an incomplete colour is not taken";
}

TEST_F(ColourPaletteTest, PaletteDragCollectsOnlyTheColourItEndsOn) {
  const auto wnd = Open();
  Click(*wnd, QStringLiteral("collect_color_option_5"));
  auto* palette = dynamic_cast<CColorPaletteUI*>(Control(*wnd, QStringLiteral("Pallet")));
  QWidget* field = Control(*wnd, QStringLiteral("Pallet_field"));
  const std::string before = ReadText(ColourOptionFile());

  // Top edge = full saturation; a third of the way across = green.
  const QPoint start(field->width() / 10, 5);
  const QPoint end(field->width() / 3, 4);
  QTest::mousePress(field, Qt::LeftButton, {}, start);
  QTest::mouseMove(field, end);
  EXPECT_EQ(ReadText(ColourOptionFile()), before) << "nothing is saved while dragging";
  EXPECT_EQ(Collected(*wnd, 5)->Swatch(), std::nullopt);
  QTest::mouseRelease(field, Qt::LeftButton, {}, end);

  const QColor picked = palette->Colour();
  EXPECT_NEAR(picked.hsvHue(), 120, 6);
  EXPECT_EQ(picked.hsvSaturation(), 255);
  EXPECT_EQ(Collected(*wnd, 5)->Swatch(), std::optional<QRgb>(picked.rgba()));
  EXPECT_EQ(CollectedEntry(5)["UserData"].asString(), "1");
  EXPECT_EQ(Control<QLineEdit>(*wnd, QStringLiteral("color_edit_g"))->text(),
            QString::number(picked.green()));

  // The value bar: its bottom is black, whatever the hue.
  QWidget* bar = Control(*wnd, QStringLiteral("Pallet_value"));
  QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2, bar->height() - 1));
  EXPECT_EQ(Shown(*wnd), "0xFF000000");
}

TEST_F(ColourPaletteTest, PaletteFollowsTheKeyboard) {
  const auto wnd = Open(QColor(0xFF, 0, 0));
  QWidget* bar = Control(*wnd, QStringLiteral("Pallet_value"));
  QTest::keyClick(bar, Qt::Key_PageDown);
  EXPECT_EQ(Text(*wnd, "color_edit_r"), "230");
  QTest::keyClick(bar, Qt::Key_Home);
  QWidget* field = Control(*wnd, QStringLiteral("Pallet_field"));
  QTest::keyClick(field, Qt::Key_Down, Qt::ShiftModifier);
  const QRgb lessSaturated = QColor::fromHsvF(0, 0.9F, 1).rgba();
  EXPECT_EQ(Shown(*wnd), "0x" + FormatColourText(lessSaturated));
}

TEST_F(ColourPaletteTest, AFailedSaveIsShown) {
  const auto wnd = Open();
  auto* warning = Control<QLabel>(*wnd, QStringLiteral("color_save_error"));
  EXPECT_TRUE(warning->isHidden());
  {
    const ScopedFileWriteCall failing([](int, std::span<const char>) -> ssize_t {
      errno = ENOSPC;
      return -1;
    });
    Click(*wnd, QStringLiteral("color_option_1"));
  }
  EXPECT_FALSE(warning->isHidden());
  Click(*wnd, QStringLiteral("color_option_2"));
  EXPECT_TRUE(warning->isHidden());
}

TEST_F(ColourPaletteTest, EveryTextOfTheDialogIsTranslated) {
  const auto wnd = Open();
  CResourceManager& resources = CResourceManager::Instance();
  for (const char* language : {"lan_cn.json", "lan_en.json"}) {
    ASSERT_TRUE(resources.LoadLanguage(QLatin1String(language)));
    for (QWidget* widget : wnd->Dialog()->findChildren<QWidget*>()) {
      for (const char* property : {CResourceManager::kTextIdProperty, CResourceManager::kToolTipIdProperty}) {
        const QString id = widget->property(property).toString();
        if (!id.isEmpty()) {
          EXPECT_NE(resources.Text(id), id) << language << ": " << id.toStdString();
        }
      }
    }
  }
}

// ChooseColour runs its own modal loop; the user's answer comes from a timer inside it.
class ChooseColourTest : public ColourPaletteTest {
 protected:
  static std::optional<QColor> ChooseAnswering(QColor initial, std::function<void(QDialog&)> answer) {
    // Failure bound only: a dialog the answer did not close must not hang the run.
    QTimer bound;
    bound.setSingleShot(true);
    QObject::connect(&bound, &QTimer::timeout, [] {
      ADD_FAILURE() << "the palette dialog was still open";
      if (auto* open = qobject_cast<QDialog*>(QApplication::activeModalWidget())) open->reject();
    });
    bound.start(kAnswerBoundMs);
    QTimer::singleShot(0, [answer] {
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      answer(*dialog);
    });
    return ChooseColour(nullptr, initial);
  }
  static void ClickIn(QDialog& dialog, const char* name) {
    auto* button = FindControl<QAbstractButton>(&dialog, QLatin1String(name));
    ASSERT_NE(button, nullptr) << name;
    button->click();
  }
};

TEST_F(ChooseColourTest, OkReturnsTheColourAndEveryOtherWayOutReturnsNothing) {
  const QColor initial(0x20, 0x40, 0x60);
  EXPECT_EQ(ChooseAnswering(initial, [](QDialog& d) { ClickIn(d, "okbtn"); }), initial);
  EXPECT_EQ(ChooseAnswering(initial, [](QDialog& d) { ClickIn(d, "laterbtn"); }), std::nullopt);
  EXPECT_EQ(ChooseAnswering(initial, [](QDialog& d) { ClickIn(d, "closebtn"); }), std::nullopt);
  EXPECT_EQ(ChooseAnswering(initial, [](QDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); }), std::nullopt);
}

TEST_F(ChooseColourTest, OkTakesAnEntryStillBeingTyped) {
  const auto chosen = ChooseAnswering(QColor(0x20, 0x40, 0x60), [](QDialog& d) {
    auto* red = FindControl<QLineEdit>(&d, QStringLiteral("color_edit_r"));
    red->setFocus();
    red->selectAll();
    QTest::keyClicks(red, QStringLiteral("200"));
    ClickIn(d, "okbtn");
  });
  EXPECT_EQ(chosen, QColor(200, 0x40, 0x60));
}

TEST_F(ChooseColourTest, ASecondPaletteIsRefusedWhileOneIsOpen) {
  std::optional<QColor> nested = QColor(Qt::white);
  ChooseAnswering(Qt::red, [&nested](QDialog& d) {
    nested = ChooseColour(nullptr, Qt::blue);
    ClickIn(d, "laterbtn");
  });
  EXPECT_EQ(nested, std::nullopt);
}

TEST_F(ChooseColourTest, TheMulticolourOptionIsHidden) {
  ChooseAnswering(Qt::red, [](QDialog& d) {
    EXPECT_TRUE(FindControl<QWidget>(&d, QStringLiteral("7color_layout"))->isHidden());
    ClickIn(d, "laterbtn");
  });
}

}  // namespace
}  // namespace nimbel
