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
#include <cstring>
#include <optional>
#include <span>

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
// The same for the audio section, which a skin without them leaves inert on its own.
constexpr std::array kRequiredAudioControls = {kAudioModeList,   kAudioColourDisplay, kAudioMultiColour,
                                               kAudioBackground, kAudioForeground,    kAudioRedEdit,
                                               kAudioGreenEdit,  kAudioBlueEdit,      kAudioPalette};

constexpr std::array kColourEdits = {kRedEdit, kGreenEdit, kBlueEdit};
// In component order: red, green, blue.
constexpr std::array kAudioEdits = {kAudioRedEdit, kAudioGreenEdit, kAudioBlueEdit};

// The rainbow music effect brings its own colours, so the colour controls have nothing to set.
constexpr std::uint8_t kAudioModeWithoutColours = 3;

// One colour of the audio record as its red, green and blue fields.
using AudioColour = std::array<std::uint8_t AudioLightInfo::*, 3>;
constexpr AudioColour kBackground = {&AudioLightInfo::bkColourR, &AudioLightInfo::bkColourG,
                                     &AudioLightInfo::bkColourB};
constexpr AudioColour kForeground = {&AudioLightInfo::fgColourR, &AudioLightInfo::fgColourG,
                                     &AudioLightInfo::fgColourB};

QRgb ColourOf(const LightInfo& info) {
  return qRgb(info.red, info.green, info.blue);
}

const AudioColour& EditedColour(const AudioLightInfo& info) {
  return info.colourTypeFlags != 0 ? kForeground : kBackground;
}

QRgb ColourOf(const AudioLightInfo& info, const AudioColour& colour) {
  return qRgb(info.*colour[0], info.*colour[1], info.*colour[2]);
}

void SetColour(AudioLightInfo& info, const AudioColour& colour, QRgb value) {
  info.*colour[0] = static_cast<std::uint8_t>(qRed(value));
  info.*colour[1] = static_cast<std::uint8_t>(qGreen(value));
  info.*colour[2] = static_cast<std::uint8_t>(qBlue(value));
}

bool IsNamed(const TNotifyUI& msg, const char* name) {
  return msg.senderName.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

// N of an indexed control's name "prefix" N.
std::optional<int> IndexOf(const QString& name, const char* prefix) {
  if (!name.startsWith(QLatin1String(prefix), Qt::CaseInsensitive)) return std::nullopt;
  bool ok = false;
  const int index = name.mid(static_cast<qsizetype>(std::strlen(prefix))).toInt(&ok);
  return ok ? std::optional(index) : std::nullopt;
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

bool CLightControlUI::HasAll(std::span<const char* const> names, const char* part) const {
  for (const char* name : names) {
    if (Control(name) == nullptr) {
      Trace(std::string("lighting panel: the skin lacks ") + name + ", " + part + " stays inert");
      return false;
    }
  }
  return true;
}

void CLightControlUI::Bind(const LightPresets& presets) {
  bound_ = false;
  audioBound_ = false;
  if (Panel() == nullptr) return;
  BindAudio();
  BindLight(presets);
}

void CLightControlUI::BindAudio() {
  if (!HasAll(kRequiredAudioControls, "the audio section")) return;
  audioBound_ = true;
  LimitToDigits(kAudioEdits);
  MakeDisplayOnly(kAudioColourDisplay);
  ShowSwatches(kAudioSwatch);
  SetAudioLightInfo(device_.audioLightInfo ? device_.audioLightInfo() : audio_);
}

void CLightControlUI::BindLight(const LightPresets& presets) {
  if (!HasAll(kRequiredControls, "the panel")) return;
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
  LimitToDigits(kColourEdits);
  MakeDisplayOnly(kColourDisplay);
  ShowSwatches(kSwatch);
  ShowLightInfo(device_.lightInfo());
}

void CLightControlUI::LimitToDigits(std::span<const char* const> edits) {
  for (const char* edit : edits) {
    if (auto* field = Control<QLineEdit>(edit))
      field->setValidator(
          new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), field));
  }
}

void CLightControlUI::MakeDisplayOnly(const char* display) {
  // A colour display only shows the colour; a click on it would do nothing.
  if (auto* control = Control<CColorOptionUI>(display)) {
    control->setAttribute(Qt::WA_TransparentForMouseEvents);
    control->setFocusPolicy(Qt::NoFocus);
  }
}

void CLightControlUI::ShowSwatches(const char* prefix) {
  for (int n = 0; n < kSwatchCount; ++n) {
    if (auto* swatch = Control<CColorOptionUI>(QLatin1String(prefix) + QString::number(n))) {
      const QColor colour(swatch->property(kSwatchColourProperty).toString());
      if (colour.isValid()) swatch->SetSwatch(colour.rgb());
    }
  }
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
  const auto show = [this](const char* name, bool shown) {
    if (QWidget* group = Control(name)) group->setVisible(shown);
  };
  EnableGroup(kEffectGroup, layout.effect);
  EnableGroup(kMultiColour, layout.multiColour);
  EnableGroup(kColourGroup, layout.colour);
  EnableGroup(kPaletteGroup, layout.palette);
  EnableGroup(kBrightnessGroup, layout.brightness);
  EnableGroup(kSpeedGroup, layout.speed);
  EnableGroup(kDirectionGroup, layout.direction);
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

void CLightControlUI::EnableGroup(const char* name, bool enabled) {
  QWidget* group = Control(name);
  // Its own state, not isEnabled(): a control inside a disabled group reads disabled whatever it was set to.
  if (group == nullptr || group->testAttribute(Qt::WA_Disabled) != enabled) return;
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
  QWidget* panel = bound_ || audioBound_ ? Panel() : nullptr;
  if (panel == nullptr || msg.pSender == nullptr || !panel->isAncestorOf(msg.pSender)) return false;
  return (audioBound_ && HandleAudioNotification(msg)) || (bound_ && HandleLightNotification(msg));
}

bool CLightControlUI::HandleLightNotification(const TNotifyUI& msg) {
  const QString& name = msg.senderName;
  const auto is = [&msg](const char* wanted) { return IsNamed(msg, wanted); };
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
    constexpr std::array kComponents = {&LightInfo::red, &LightInfo::green, &LightInfo::blue};
    for (std::size_t i = 0; i < kColourEdits.size(); ++i) {
      if (is(kColourEdits[i])) {
        TakeComponent(kColourEdits[i], kComponents[i]);
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

void CLightControlUI::SetAudioLightInfo(const AudioLightInfo& info) {
  audio_ = info;
  if (!audioBound_) {
    Trace(" SetAudioLightInfo control is NULL");
    return;
  }
  auto* modes = Control<QComboBox>(kAudioModeList);
  // A record from another program may name an effect this skin does not list: the first one stands in
  // for it, so that what is shown is what is kept.
  if (audio_.audioMode >= modes->count()) audio_.audioMode = 0;
  const bool foreground = audio_.colourTypeFlags != 0;
  const AudioColour& shown = EditedColour(audio_);
  const QRgb colour = ColourOf(audio_, shown);
  {
    const ScopedNotifyBlocker quiet;
    modes->setCurrentIndex(audio_.audioMode);
    // The chosen option first: an exclusive option refuses to be cleared while it is the checked one.
    Control<QAbstractButton>(foreground ? kAudioForeground : kAudioBackground)->setChecked(true);
    Control<QAbstractButton>(foreground ? kAudioBackground : kAudioForeground)->setChecked(false);
    // The colour cycle belongs to the foreground; while the background is edited its check shows the
    // flag greyed, so that reading the controls back gives the flag kept.
    Control<QAbstractButton>(kAudioMultiColour)->setChecked(audio_.sevenColourFlags != 0);
    for (std::size_t i = 0; i < kAudioEdits.size(); ++i)
      Control<QLineEdit>(kAudioEdits[i])->setText(QString::number(audio_.*shown[i]));
  }
  EnableGroup(kAudioMultiColour, foreground);
  Control<CColorPaletteUI>(kAudioPalette)->SelectColour(QColor::fromRgb(colour));
  Control<CColorOptionUI>(kAudioColourDisplay)->SetSwatch(colour);
  const bool coloured = audio_.audioMode != kAudioModeWithoutColours;
  EnableGroup(kAudioColourGroup, coloured);
  EnableGroup(kAudioPaletteGroup, coloured);
}

AudioLightInfo CLightControlUI::GetAudioLightInfo(TakeDisplayColour take) {
  if (!audioBound_) {
    Trace("GetAudioLightInfo control is NULL");
    return audio_;
  }
  const auto checked = [this](const char* name) { return Control<QAbstractButton>(name)->isChecked(); };
  // An empty list selects nothing; the first effect stands in for it.
  audio_.audioMode =
      static_cast<std::uint8_t>(std::max(0, Control<QComboBox>(kAudioModeList)->currentIndex()));
  audio_.sevenColourFlags = checked(kAudioMultiColour) ? 1 : 0;
  const bool background = checked(kAudioBackground);
  const bool foreground = checked(kAudioForeground);
  // Options that both read as chosen mean a click on the one that was not current: that one wins.
  audio_.colourTypeFlags = background && (audio_.colourTypeFlags != 0 || !foreground) ? 0 : 1;
  if (take == TakeDisplayColour::kYes) {
    if (const std::optional<QRgb> shown = Control<CColorOptionUI>(kAudioColourDisplay)->Swatch())
      SetColour(audio_, EditedColour(audio_), *shown);
  }
  return audio_;
}

QRgb CLightControlUI::GetLightAudioColor(int n) const {
  const QString name = QLatin1String(kAudioSwatch) + QString::number(n);
  Trace(name.toStdString() + " GetLightAudioColor");
  const auto* swatch = Control<CColorOptionUI>(name);
  return swatch != nullptr ? swatch->Swatch().value_or(0) : 0;
}

QRgb CLightControlUI::GetAudioPaletteColour() const {
  const auto* palette = Control<CColorPaletteUI>(kAudioPalette);
  return palette != nullptr ? palette->Colour().rgb() : kOpaque;
}

QLineEdit* CLightControlUI::AudioEdit(int index) const {
  if (index < 0 || index >= static_cast<int>(kAudioEdits.size())) return nullptr;
  auto* edit = Control<QLineEdit>(kAudioEdits[static_cast<std::size_t>(index)]);
  if (edit == nullptr) Trace("GetLightAudioColor control is NULL");
  return edit;
}

QString CLightControlUI::GetAudioColourText(int index) const {
  const QLineEdit* edit = AudioEdit(index);
  return edit != nullptr ? edit->text() : QString();
}

void CLightControlUI::StoreAudio(const AudioLightInfo& info) {
  if (device_.storeAudio) device_.storeAudio(info);
  SetAudioLightInfo(info);
}

void CLightControlUI::TakeAudioColour(QRgb colour, CycleEnd cycleEnd) {
  AudioLightInfo info = GetAudioLightInfo(TakeDisplayColour::kYes);
  const AudioColour& edited = EditedColour(info);
  // One foreground colour ends its colour cycle. From the palette only a new colour does: it settles on
  // the colour it shows too (a release where the drag began), which leaves the cycle running.
  const bool changed = ColourOf(info, edited) != (colour | kOpaque);
  if (info.colourTypeFlags != 0 && (cycleEnd == CycleEnd::kAlways || changed)) info.sevenColourFlags = 0;
  SetColour(info, edited, colour);
  StoreAudio(info);
}

void CLightControlUI::TakeAudioComponent(int index) {
  const int value = ReadColourComponent(*AudioEdit(index));
  AudioLightInfo info = GetAudioLightInfo(TakeDisplayColour::kNo);
  if (info.colourTypeFlags != 0) info.sevenColourFlags = 0;
  info.*EditedColour(info)[static_cast<std::size_t>(index)] = static_cast<std::uint8_t>(value);
  StoreAudio(info);
}

bool CLightControlUI::HandleAudioNotification(const TNotifyUI& msg) {
  if (msg.sType == notify::kItemSelect && IsNamed(msg, kAudioModeList)) {
    StoreAudio(GetAudioLightInfo(TakeDisplayColour::kYes));
    return true;
  }
  if (msg.sType == notify::kSelectChanged &&
      (IsNamed(msg, kAudioMultiColour) || IsNamed(msg, kAudioBackground) || IsNamed(msg, kAudioForeground))) {
    StoreAudio(GetAudioLightInfo(TakeDisplayColour::kNo));
    return true;
  }
  // Only the colour the palette settles on: the display keeps the stored colour during a drag, since
  // the settled colour is compared with it.
  if (msg.sType == notify::kColorChanged && IsNamed(msg, kAudioPalette)) {
    TakeAudioColour(GetAudioPaletteColour(), CycleEnd::kWhenChanged);
    return true;
  }
  if (msg.sType == notify::kClick && IsNamed(msg, kAudioBackgroundOff)) {
    AudioLightInfo info = GetAudioLightInfo(TakeDisplayColour::kYes);
    SetColour(info, kBackground, qRgb(0, 0, 0));
    StoreAudio(info);
    return true;
  }
  if (msg.sType == notify::kClick) {
    if (const std::optional<int> n = IndexOf(msg.senderName, kAudioSwatch)) {
      TakeAudioColour(GetLightAudioColor(*n), CycleEnd::kAlways);
      return true;
    }
  }
  if (msg.sType == notify::kKillFocus) {
    for (std::size_t i = 0; i < kAudioEdits.size(); ++i) {
      if (IsNamed(msg, kAudioEdits[i])) {
        TakeAudioComponent(static_cast<int>(i));
        return true;
      }
    }
  }
  return false;
}

}  // namespace nimbel
