#include "editors/colour_palette.h"

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <algorithm>

#include "editors/colour_option_ui.h"
#include "editors/colour_palette_ui.h"
#include "platform/trace.h"
#include "ui/find_control.h"
#include "ui/message_box.h"
#include "ui/skin_attributes.h"

namespace nimbel {
namespace {

constexpr const char* kPaletteName = "Pallet";
constexpr const char* kDisplayName = "color_show_btn";
constexpr std::array<const char*, 3> kComponentEditNames = {"color_edit_r", "color_edit_g", "color_edit_b"};
constexpr std::array<int, 3> kComponentShifts = {16, 8, 0};
constexpr const char* kHexEditName = "color_edit_hex";
constexpr const char* kPresetPrefix = "color_option_";
constexpr const char* kCollectedPrefix = "collect_color_option_";
constexpr const char* kMulticolourName = "7color";
constexpr const char* kMulticolourLayoutName = "7color_layout";
constexpr const char* kSaveErrorName = "color_save_error";
constexpr const char* kOkButton = "okbtn";
constexpr const char* kCloseButton = "closebtn";
constexpr const char* kLaterButton = "laterbtn";
constexpr const char* kMulticolourImage = "file='common/base1.png'";
constexpr const char* kPaletteClass = CColorPaletteUI::kClassName;
constexpr const char* kOptionClass = CColorOptionUI::kClassName;
constexpr QRgb kOpaque = 0xFF000000;
constexpr int kComponentMax = 255;
constexpr int kComponentDigits = 3;
constexpr int kHexDigits = 6;

// The skin's colour attribute ("0xFFFF0000", "#FF0000") as a colour; six digits mean opaque.
std::optional<QRgb> SkinColour(const QString& attribute) {
  QString digits = attribute.trimmed();
  if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
    digits.remove(0, 2);
  } else if (digits.startsWith(QLatin1Char('#'))) {
    digits.remove(0, 1);
  }
  if (digits.size() == kHexDigits) digits.prepend(QLatin1String("FF"));
  if (digits.size() != 2 + kHexDigits) return std::nullopt;
  return ParseColourText(digits.toStdString());
}

QString SkinColourText(QRgb colour) {
  return QStringLiteral("0x") + QString::fromStdString(FormatColourText(colour));
}

QString HexText(QRgb colour) {
  return QStringLiteral("#%1").arg(colour & ~kOpaque, kHexDigits, 16, QLatin1Char('0')).toUpper();
}

template <typename Control>
Control* FindOwnControl(QWidget* root, const QString& name) {
  return dynamic_cast<Control*>(FindControl<QWidget>(root, name));
}

std::optional<int> IndexOf(const std::array<CColorOptionUI*, kColourOptionCount>& options,
                           const QWidget* sender) {
  const auto found = std::find(options.begin(), options.end(), sender);
  if (sender == nullptr || found == options.end()) return std::nullopt;
  return static_cast<int>(found - options.begin());
}

// Only one palette dialog may be open; it is refused, not stacked, while another runs.
class OpenPaletteGuard {
 public:
  OpenPaletteGuard() { open_ = true; }
  ~OpenPaletteGuard() { open_ = false; }
  OpenPaletteGuard(const OpenPaletteGuard&) = delete;
  OpenPaletteGuard& operator=(const OpenPaletteGuard&) = delete;
  static bool IsOpen() { return open_; }

 private:
  static inline bool open_ = false;
};

}  // namespace

int ReadColourComponent(QLineEdit& edit) {
  bool ok = false;
  const int typed = edit.text().trimmed().toInt(&ok);
  const int component = ok ? std::clamp(typed, 0, kComponentMax) : 0;
  if (!ok || component != typed) edit.setText(QString::number(component));
  return component;
}

CColorSelectWnd::CColorSelectWnd(QWidget* owner) {
  dialog_ = LoadSkinDialog(QLatin1String(kSkinFile), owner, this);
  if (dialog_ == nullptr) return;
  // The skin draws its own title bar and close button.
  dialog_->setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
  FindControls();
  pump_ = std::make_unique<CNotifyPump>(this);
  pump_->Attach(dialog_.get());
  options_ = LoadColourOptions();
  ShowStoredOptions();
}

CColorSelectWnd::~CColorSelectWnd() = default;

QWidget* CColorSelectWnd::CreateControl(const QString& tagName, QWidget* parent) {
  if (tagName.compare(QLatin1String(kPaletteClass), Qt::CaseInsensitive) == 0)
    return new CColorPaletteUI(parent);
  if (tagName.compare(QLatin1String(kOptionClass), Qt::CaseInsensitive) == 0)
    return new CColorOptionUI(parent);
  return nullptr;
}

void CColorSelectWnd::FindControls() {
  QWidget* root = dialog_.get();
  palette_ = FindOwnControl<CColorPaletteUI>(root, QLatin1String(kPaletteName));
  display_ = FindControl<QWidget>(root, QLatin1String(kDisplayName));
  // Digits only; the range is settled when the edit is left, where a too-large value becomes 255.
  static const QRegularExpression componentForm(QStringLiteral("[0-9]{0,%1}").arg(kComponentDigits));
  for (std::size_t i = 0; i < componentEdits_.size(); ++i) {
    componentEdits_[i] = FindControl<QLineEdit>(root, QLatin1String(kComponentEditNames[i]));
    if (componentEdits_[i] != nullptr)
      componentEdits_[i]->setValidator(new QRegularExpressionValidator(componentForm, componentEdits_[i]));
  }
  hexEdit_ = FindControl<QLineEdit>(root, QLatin1String(kHexEditName));
  if (hexEdit_ != nullptr) {
    static const QRegularExpression hexForm(QStringLiteral("#?[0-9A-Fa-f]{0,%1}").arg(kHexDigits));
    hexEdit_->setValidator(new QRegularExpressionValidator(hexForm, hexEdit_));
  }
  for (std::size_t i = 0; i < kColourOptionCount; ++i) {
    presets_[i] = FindOwnControl<CColorOptionUI>(root, QLatin1String(kPresetPrefix) + QString::number(i));
    collected_[i] =
        FindOwnControl<CColorOptionUI>(root, QLatin1String(kCollectedPrefix) + QString::number(i));
  }
  multicolourCheck_ = FindControl<QCheckBox>(root, QLatin1String(kMulticolourName));
  multicolourLayout_ = FindControl<QWidget>(root, QLatin1String(kMulticolourLayoutName));
  saveError_ = FindControl<QLabel>(root, QLatin1String(kSaveErrorName));
  if (saveError_ != nullptr) saveError_->hide();
  // The palette, not the first button, has the keyboard when the dialog opens.
  if (palette_ != nullptr) palette_->setFocus();
}

void CColorSelectWnd::ShowStoredOptions() {
  // The presets are the skin's colours; the file's copy only stands in where the skin gives none.
  presetIndex_ = options_.presetSelected;
  for (std::size_t i = 0; i < kColourOptionCount; ++i) {
    if (presets_[i] == nullptr) continue;
    if (const auto colour = SkinColour(GetSkinAttribute(presets_[i], SkinAttribute::kBkColor)))
      options_.presets[i] = *colour;
    presets_[i]->SetSwatch(options_.presets[i]);
  }
  for (std::size_t i = 0; i < kColourOptionCount; ++i) {
    CollectedColour& slot = options_.collected[i];
    if (!slot.HoldsColour()) slot.colour = kBlankOptionColour;
    if (collected_[i] != nullptr)
      collected_[i]->SetSwatch(slot.HoldsColour() ? std::optional<QRgb>(slot.colour) : std::nullopt);
  }
  // Nothing collects until the user picks a slot.
  collectedIndex_ = -1;
}

void CColorSelectWnd::SetColour(QColor colour) {
  current_ = colour.rgba();
  ShowColour(current_);
  if (palette_ != nullptr) palette_->SelectColour(colour);
  ShowComponents(current_);
}

void CColorSelectWnd::HideMulticolour() {
  if (multicolourCheck_ != nullptr) {
    const QSignalBlocker quiet(multicolourCheck_);
    multicolourCheck_->setChecked(false);
    multicolourCheck_->setEnabled(false);
  }
  if (multicolourLayout_ != nullptr) multicolourLayout_->hide();
  if (display_ != nullptr) SetBkImage(display_, {});
}

int CColorSelectWnd::DoModal() {
  if (dialog_ == nullptr) return kColourSelectClosed;
  return dialog_->exec();
}

void CColorSelectWnd::Notify(TNotifyUI& msg) {
  // Closing takes the focus from an edit; that is not the user finishing an entry.
  if (dialog_ == nullptr || !dialog_->isVisible()) return;
  const QString& name = msg.senderName;
  if (msg.sType == notify::kClick) {
    if (name == QLatin1String(kOkButton)) return OnOk();
    if (name == QLatin1String(kCloseButton) || name == QLatin1String(kLaterButton))
      return Close(kColourSelectClosed);
    if (const auto preset = IndexOf(presets_, msg.pSender)) return OnPresetSelected(*preset);
    if (const auto slot = IndexOf(collected_, msg.pSender)) return OnCollectedSelected(*slot);
  } else if (msg.sType == notify::kColorChanged && name == QLatin1String(kPaletteName)) {
    OnPaletteColour(true);
  } else if (msg.sType == notify::kMoveColorChanged && name == QLatin1String(kPaletteName)) {
    OnPaletteColour(false);
  } else if (msg.sType == notify::kKillFocus) {
    if (std::find(componentEdits_.begin(), componentEdits_.end(), msg.pSender) != componentEdits_.end())
      return OnComponentsEdited();
    if (msg.pSender == hexEdit_) return OnHexEdited();
  } else if (msg.sType == notify::kSelectChanged && name == QLatin1String(kMulticolourName)) {
    OnMulticolour(msg.wParam != 0);
  }
}

// A click on an option always leaves it selected (the options of a row are exclusive), so a click on
// the selected one takes its colour again.
void CColorSelectWnd::OnPresetSelected(int index) {
  presetIndex_ = index;
  TakeColour(options_.presets[static_cast<std::size_t>(index)]);
  SaveOptions();
}

void CColorSelectWnd::OnCollectedSelected(int index) {
  collectedIndex_ = index;
  const CollectedColour& slot = options_.collected[static_cast<std::size_t>(index)];
  if (!slot.HoldsColour()) return;
  current_ = slot.colour;
  ShowColour(current_);
  if (palette_ != nullptr) palette_->SelectColour(QColor::fromRgba(current_));
  ShowComponents(current_);
  SaveOptions();
}

// While the palette is dragged only the display and the edits follow; the colour is collected and saved
// once the user settles on it.
void CColorSelectWnd::OnPaletteColour(bool settled) {
  current_ = palette_->Colour().rgba();
  ShowComponents(current_);
  if (!settled) return ShowColour(current_);
  if (StoreInCollectedSlot()) SaveOptions();
}

void CColorSelectWnd::OnComponentsEdited() {
  QRgb colour = kOpaque;
  for (std::size_t i = 0; i < componentEdits_.size(); ++i) {
    if (componentEdits_[i] == nullptr) continue;
    colour |= static_cast<QRgb>(ReadColourComponent(*componentEdits_[i])) << kComponentShifts[i];
  }
  if (TakeColour(colour)) SaveOptions();
}

void CColorSelectWnd::OnHexEdited() {
  QString digits = hexEdit_->text().trimmed();
  if (digits.startsWith(QLatin1Char('#'))) digits.remove(0, 1);
  bool ok = false;
  const QRgb rgb = digits.toUInt(&ok, 16);
  if (!ok || digits.size() != kHexDigits) return ShowComponents(current_);
  if (TakeColour(kOpaque | rgb)) SaveOptions();
}

void CColorSelectWnd::OnMulticolour(bool on) {
  if (display_ != nullptr) SetBkImage(display_, on ? QLatin1String(kMulticolourImage) : QString());
}

void CColorSelectWnd::OnOk() {
  // The OK button does not take the focus, so an entry still being typed has not been left yet.
  const bool componentTyped = std::any_of(componentEdits_.begin(), componentEdits_.end(),
                                          [](const QLineEdit* edit) { return edit && edit->isModified(); });
  if (componentTyped) OnComponentsEdited();
  if (hexEdit_ != nullptr && hexEdit_->isModified()) OnHexEdited();
  if (palette_ == nullptr) return Close(kColourSelectNoPalette);
  result_ = current_;
  Close(kColourSelectChosen);
}

void CColorSelectWnd::Close(int result) {
  dialog_->done(result);
}

// The current colour from a preset or an edit: shown everywhere and collected. True when a collected
// slot took it.
bool CColorSelectWnd::TakeColour(QRgb colour) {
  current_ = colour;
  if (palette_ != nullptr) palette_->SelectColour(QColor::fromRgba(current_));
  ShowComponents(current_);
  return StoreInCollectedSlot();
}

bool CColorSelectWnd::StoreInCollectedSlot() {
  ShowColour(current_);
  const bool slotSelected = collectedIndex_ >= 0 && collectedIndex_ < static_cast<int>(kColourOptionCount);
  CColorOptionUI* option = slotSelected ? collected_[static_cast<std::size_t>(collectedIndex_)] : nullptr;
  if (option == nullptr || !option->isChecked()) return false;
  options_.collected[static_cast<std::size_t>(collectedIndex_)] = {current_,
                                                                   std::string(kCollectedHoldsColour)};
  option->SetSwatch(current_);
  return true;
}

// The display shows one colour: choosing it ends the multicolour choice.
void CColorSelectWnd::ShowColour(QRgb colour) {
  if (multicolourCheck_ != nullptr) {
    const QSignalBlocker quiet(multicolourCheck_);
    multicolourCheck_->setChecked(false);
  }
  if (display_ == nullptr) return;
  SetBkColor(display_, SkinColourText(colour));
  SetBkImage(display_, {});
}

void CColorSelectWnd::ShowComponents(QRgb colour) {
  for (std::size_t i = 0; i < componentEdits_.size(); ++i) {
    if (componentEdits_[i] != nullptr)
      componentEdits_[i]->setText(QString::number((colour >> kComponentShifts[i]) & kComponentMax));
  }
  if (hexEdit_ != nullptr) hexEdit_->setText(HexText(colour));
}

void CColorSelectWnd::SaveOptions() {
  options_.presetSelected = presetIndex_;
  options_.collectedSelected = collectedIndex_;
  const bool saved = SaveColourOptions(options_);
  if (!saved) Trace("colour options not saved: " + ColourOptionFile());
  if (saveError_ != nullptr) saveError_->setVisible(!saved);
}

std::optional<QColor> ChooseColour(QWidget* parent, QColor initial) {
  if (OpenPaletteGuard::IsOpen()) return std::nullopt;
  const OpenPaletteGuard guard;
  CColorSelectWnd dialog(parent);
  if (!dialog.IsBuilt()) return std::nullopt;
  dialog.HideMulticolour();
  dialog.SetColour(initial);
  if (dialog.DoModal() != kColourSelectChosen) return std::nullopt;
  return dialog.ResultColour();
}

}  // namespace nimbel
