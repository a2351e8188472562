#include "editors/light_control_ui.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QGraphicsOpacityEffect>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QStackedWidget>
#include <algorithm>
#include <array>

#include "editors/colour_option_ui.h"
#include "editors/colour_palette.h"
#include "editors/colour_palette_ui.h"
#include "editors/light_mode_layout.h"
#include "platform/trace.h"
#include "ui/find_control.h"
#include "ui/resource_manager.h"

namespace nimbel {
namespace {

using namespace light_control;

constexpr int kTopLevel = 4;
constexpr QRgb kOpaque = 0xFF000000;
// A swatch's colour in the skin, as "#RRGGBB".
constexpr const char* kSwatchColourProperty = "swatch";
constexpr int kSwatchCount = 8;
constexpr qreal kDisabledOpacity = 0.4;

// Without these the panel cannot show a record: a skin that lacks one leaves the panel inert.
constexpr std::array kRequiredControls = {kModeList,       kBrightnessSlider, kSpeedSlider,  kDirectionLeft,
                                          kDirectionRight, kMultiColour,      kRedEdit,      kGreenEdit,
                                          kBlueEdit,       kPalette,          kColourDisplay};

QRgb ColourOf(const LightInfo& info) {
  return qRgb(info.red, info.green, info.blue);
}

}  // namespace

bool CLightControlUI::IsOffered(const LightPresets& presets, int index) const {
  // Sound-reactive lighting needs the sound link, which the program does not have yet.
  return presets.modes[static_cast<std::size_t>(index)].visible &&
         !ModeLayoutOf(device_.kind, index).audioModeShown;
}

bool CLightControlUI::IsModeOffered(int index) const {
  const auto* modes = Control<QComboBox>(kModeList);
  return modes != nullptr && modes->findData(index) >= 0;
}

CLightControlUI::CLightControlUI(std::function<QWidget*()> page, LightPanelDevice device)
    : page_(std::move(page)), device_(std::move(device)) {}

QWidget* CLightControlUI::Panel() const {
  QWidget* page = page_ ? page_() : nullptr;
  return page != nullptr ? FindControl<QWidget>(page, QLatin1String(kPanel)) : nullptr;
}

template <typename T>
T* CLightControlUI::Control(const QString& name) const {
  QWidget* panel = Panel();
  // dynamic_cast: the colour controls are plain widgets without a meta-object of their own.
  return panel != nullptr ? dynamic_cast<T*>(FindControl<QWidget>(panel, name)) : nullptr;
}

void CLightControlUI::Bind(const LightPresets& presets) {
  bound_ = false;
  if (Panel() == nullptr) return;
  for (const char* name : kRequiredControls) {
    if (Control(name) == nullptr) {
      Trace(std::string("lighting panel: the skin lacks ") + name + ", the panel stays inert");
      return;
    }
  }
  bound_ = true;
  auto* modes = Control<QComboBox>(kModeList);
  {
    const ScopedNotifyBlocker quiet;
    modes->clear();
    QStringList ids;
    // Each entry carries its mode index: the list leaves out the modes it does not offer, so that
    // neither the keyboard nor the wheel can reach them.
    for (int index = 0; index < static_cast<int>(presets.modes.size()); ++index) {
      if (!IsOffered(presets, index)) continue;
      ids.append(QString::fromStdString(presets.modes[static_cast<std::size_t>(index)].nameId));
      modes->addItem(CResourceManager::Instance().Text(ids.back()), index);
    }
    modes->setProperty(CResourceManager::kItemTextIdsProperty, ids);
  }
  for (const char* slider : {kBrightnessSlider, kSpeedSlider})
    Control<QAbstractSlider>(slider)->setRange(0, kTopLevel);
  for (const char* edit : {kRedEdit, kGreenEdit, kBlueEdit}) {
    auto* field = Control<QLineEdit>(edit);
    field->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), field));
  }
  // The colour display only shows the colour; a click on it would do nothing.
  if (auto* display = Control<CColorOptionUI>(kColourDisplay)) {
    display->setAttribute(Qt::WA_TransparentForMouseEvents);
    display->setFocusPolicy(Qt::NoFocus);
  }
  for (int n = 0; n < kSwatchCount; ++n) {
    if (auto* swatch = Control<CColorOptionUI>(QLatin1String(kSwatch) + QString::number(n))) {
      const QColor colour(swatch->property(kSwatchColourProperty).toString());
      if (colour.isValid()) swatch->SetSwatch(colour.rgb());
    }
  }
  ShowLightInfo(device_.lightInfo());
}

void CLightControlUI::ShowLightInfo(const LightInfo& info) {
  if (!bound_) return;
  SelectMode(info.selectItem);
  {
    const ScopedNotifyBlocker quiet;
    Control<QAbstractSlider>(kBrightnessSlider)->setValue(info.light);
    Control<QAbstractSlider>(kSpeedSlider)->setValue(info.speed);
  }
  ShowComponents(info);
  SetPaletteColour(ColourOf(info));
  SetMultiColour(info.multiColour != 0);
  SetDirection(info.fx != 0);
  ApplyModeLayout(info.selectItem);
}

void CLightControlUI::ShowComponents(const LightInfo& info) {
  Control<QLineEdit>(kRedEdit)->setText(QString::number(info.red));
  Control<QLineEdit>(kGreenEdit)->setText(QString::number(info.green));
  Control<QLineEdit>(kBlueEdit)->setText(QString::number(info.blue));
}

void CLightControlUI::SelectMode(int index) {
  if (!bound_) return;
  auto* modes = Control<QComboBox>(kModeList);
  {
    const ScopedNotifyBlocker quiet;
    // A record from another program's profile may name a mode this list lacks: nothing is selected
    // rather than a neighbour that would be written back in its place.
    modes->setCurrentIndex(modes->findData(index));
  }
  ApplyModeLayout(index);
}

int CLightControlUI::GetSelectedMode() const {
  const auto* modes = Control<QComboBox>(kModeList);
  return modes != nullptr && modes->currentIndex() >= 0 ? modes->currentData().toInt() : -1;
}

void CLightControlUI::ApplyModeLayout(int index) {
  if (!bound_) return;
  const LightModeLayout layout = ModeLayoutOf(device_.kind, index);
  const auto enable = [this](const char* name, bool enabled) {
    QWidget* group = Control(name);
    if (group == nullptr || group->isEnabled() == enabled) return;
    group->setEnabled(enabled);
    // The palette and the swatches paint their colours whatever their state: a group the mode does not
    // use is dimmed so that it does not look as if it could be chosen.
    if (enabled) {
      group->setGraphicsEffect(nullptr);
    } else {
      auto* dim = new QGraphicsOpacityEffect(group);
      dim->setOpacity(kDisabledOpacity);
      group->setGraphicsEffect(dim);
    }
  };
  const auto show = [this](const char* name, bool shown) {
    if (QWidget* group = Control(name)) group->setVisible(shown);
  };
  enable(kEffectGroup, layout.effect);
  enable(kMultiColour, layout.multiColour);
  enable(kColourGroup, layout.colour);
  enable(kPaletteGroup, layout.palette);
  enable(kBrightnessGroup, layout.brightness);
  enable(kSpeedGroup, layout.speed);
  enable(kDirectionGroup, layout.direction);
  show(kSpeedGroup, layout.speedShown);
  show(kAudioModeGroup, layout.audioModeShown);
  // Synchronisation of several devices is not offered yet, so its button never shows.
  show(kSameMode, false);
  if (layout.colourPage) {
    if (auto* pages = Control<QStackedWidget>(kColourPages))
      pages->setCurrentIndex(std::min(*layout.colourPage, pages->count() - 1));
  }
  if (layout.directionTexts) {
    CResourceManager::Instance().SetTextId(Control(kDirectionLeft),
                                           QString::fromLatin1(layout.directionTexts->left));
    CResourceManager::Instance().SetTextId(Control(kDirectionRight),
                                           QString::fromLatin1(layout.directionTexts->right));
  }
}

void CLightControlUI::SetDirection(bool left) {
  if (!bound_) return;
  const ScopedNotifyBlocker quiet;
  Control<QAbstractButton>(kDirectionLeft)->setChecked(left);
  Control<QAbstractButton>(kDirectionRight)->setChecked(!left);
}

void CLightControlUI::SetMultiColour(bool on) {
  if (!bound_) return;
  const ScopedNotifyBlocker quiet;
  Control<QAbstractButton>(kMultiColour)->setChecked(on);
}

void CLightControlUI::SetPaletteColour(QRgb colour) {
  if (!bound_) return;
  Control<CColorPaletteUI>(kPalette)->SelectColour(QColor::fromRgb(colour));
  SetColourDisplay(colour);
}

void CLightControlUI::SetColourDisplay(QRgb colour) {
  if (auto* display = Control<CColorOptionUI>(kColourDisplay)) display->SetSwatch(colour | kOpaque);
}

void CLightControlUI::Store(const LightInfo& info) {
  if (device_.storeAndWrite) device_.storeAndWrite(info);
}

void CLightControlUI::TakeColour(QRgb colour, bool fromPalette) {
  LightInfo info = device_.lightInfo();
  info.red = static_cast<std::uint8_t>(qRed(colour));
  info.green = static_cast<std::uint8_t>(qGreen(colour));
  info.blue = static_cast<std::uint8_t>(qBlue(colour));
  info.multiColour = 0;
  ShowComponents(info);
  SetMultiColour(false);
  if (fromPalette)
    SetColourDisplay(colour);
  else
    SetPaletteColour(colour);
  Store(info);
}

void CLightControlUI::TakeComponent(const char* edit, std::uint8_t LightInfo::*component) {
  LightInfo info = device_.lightInfo();
  info.*component = static_cast<std::uint8_t>(ReadColourComponent(*Control<QLineEdit>(edit)));
  info.multiColour = 0;
  SetMultiColour(false);
  SetPaletteColour(ColourOf(info));
  Store(info);
}

bool CLightControlUI::HandleNotification(const TNotifyUI& msg) {
  QWidget* panel = bound_ ? Panel() : nullptr;
  if (panel == nullptr || msg.pSender == nullptr || !panel->isAncestorOf(msg.pSender)) return false;
  const QString& name = msg.senderName;
  const auto is = [&name](const char* wanted) {
    return name.compare(QLatin1String(wanted), Qt::CaseInsensitive) == 0;
  };
  LightInfo info = device_.lightInfo();
  if (msg.sType == notify::kItemSelect && is(kModeList)) {
    const int index = GetSelectedMode();
    if (index < 0 || !IsModeOffered(index)) {
      SelectMode(info.selectItem);
      return true;
    }
    SelectMode(index);
    info.selectItem = static_cast<std::uint8_t>(index);
    Store(info);
    return true;
  }
  // A drag sends its steps as "movevaluechanged"; the mouse is written once, for the value let go at.
  if (msg.sType == notify::kValueChanged && (is(kBrightnessSlider) || is(kSpeedSlider))) {
    const auto level = static_cast<std::uint8_t>(std::clamp<std::intptr_t>(msg.wParam, 0, kTopLevel));
    (is(kBrightnessSlider) ? info.light : info.speed) = level;
    Store(info);
    return true;
  }
  if (msg.sType == notify::kSelectChanged && (is(kDirectionLeft) || is(kDirectionRight))) {
    // The pair acts as one choice: a click on a side chooses it, a second click on the chosen side too.
    const bool left = is(kDirectionLeft);
    SetDirection(left);
    info.fx = left ? 1 : 0;
    Store(info);
    return true;
  }
  if (msg.sType == notify::kSelectChanged && is(kMultiColour)) {
    info.multiColour = msg.wParam != 0 ? 1 : 0;
    SetMultiColour(info.multiColour != 0);
    Store(info);
    return true;
  }
  if (msg.sType == notify::kColorChanged && is(kPalette)) {
    TakeColour(Control<CColorPaletteUI>(kPalette)->Colour().rgb(), true);
    return true;
  }
  if (msg.sType == notify::kMoveColorChanged && is(kPalette)) {
    // The display follows the drag; the record waits for the colour the user settles on.
    SetColourDisplay(Control<CColorPaletteUI>(kPalette)->Colour().rgb());
    return true;
  }
  if (msg.sType == notify::kKillFocus) {
    const struct {
      const char* edit;
      std::uint8_t LightInfo::*component;
    } kComponents[] = {
        {kRedEdit, &LightInfo::red}, {kGreenEdit, &LightInfo::green}, {kBlueEdit, &LightInfo::blue}};
    for (const auto& [edit, component] : kComponents) {
      if (is(edit)) {
        TakeComponent(edit, component);
        return true;
      }
    }
  }
  if (msg.sType == notify::kClick && name.startsWith(QLatin1String(kSwatch))) {
    if (const auto* swatch = dynamic_cast<CColorOptionUI*>(msg.pSender.data()); swatch && swatch->Swatch()) {
      TakeColour(*swatch->Swatch(), false);
      return true;
    }
  }
  return false;
}

}  // namespace nimbel
