// Edits of the DPI stages on the mouse page.

#include <algorithm>

#include "devices/mouse_device.h"

namespace nimbel {
namespace {

namespace mc = mouse_control;

QString Control(const char* prefix, int stage) {
  return MousePageView::Indexed(prefix, stage);
}

}  // namespace

bool CVelquorMouseDevice::HasStage(int stage) const {
  return variant_ && stage >= 0 &&
         static_cast<std::size_t>(stage) < std::min(stages_.size(), kMouseStageCount);
}

void CVelquorMouseDevice::StoreStagesAndWrite() {
  profile_.SetDpiStages(stages_, variant_->index);
  SaveProfile();
  WriteSettings(0, 0);
}

std::optional<bool> CVelquorMouseDevice::GetStageEnabled(int stage) const {
  return View().IsChecked(Control(mc::kStageEnable, stage));
}

void CVelquorMouseDevice::SetStageEnabled(int stage, bool enabled) {
  if (!HasStage(stage)) return;
  const auto inCycle =
      std::count_if(stages_.begin(), stages_.end(), [](const DpiStage& s) { return s.enabled != 0; });
  const bool lastInCycle = stages_[static_cast<std::size_t>(stage)].enabled != 0 && inCycle == 1;
  if (!enabled && (stage == activeStage_ || lastInCycle)) {
    ShowStages();
    return;
  }
  stages_[static_cast<std::size_t>(stage)].enabled = enabled ? 1 : 0;
  StoreStagesAndWrite();
  ShowStages();
}

std::optional<int> CVelquorMouseDevice::GetStageSlider(int stage) const {
  return View().SliderValue(Control(mc::kStageSlider, stage));
}

void CVelquorMouseDevice::MoveStageSlider(int stage, int value) {
  if (HasStage(stage)) View().ShowStageDpi(stage, ShownDpi(*variant_, value));
}

void CVelquorMouseDevice::SetStageSlider(int stage, int value) {
  if (!HasStage(stage)) return;
  // A value that did not come from the slider (a script) moves it too: SetActiveStage takes the
  // stages' values from the sliders.
  View().SetSliderValue(Control(mc::kStageSlider, stage), value);
  stages_[static_cast<std::size_t>(stage)].dpiX = static_cast<std::uint16_t>(value);
  View().ShowStageDpi(stage, ShownDpi(*variant_, value));
  StoreStagesAndWrite();
}

std::optional<int> CVelquorMouseDevice::GetStageEdit(int stage) const {
  const std::optional<QString> text = View().EditText(Control(mc::kStageEdit, stage));
  if (!variant_ || !text) return std::nullopt;
  return StageValueFromText(*variant_, text->toStdString());
}

void CVelquorMouseDevice::CommitStageEdit(int stage) {
  if (!HasStage(stage)) return;
  DpiStage& values = stages_[static_cast<std::size_t>(stage)];
  const std::optional<QString> text = View().EditText(Control(mc::kStageEdit, stage));
  // Only digits are a DPI; an emptied box gives the stage's value back.
  if (!text || !IsTypedDpi(text->toStdString())) {
    View().ShowStageDpi(stage, ShownDpi(*variant_, values.dpiX));
    return;
  }
  // The slider's range is the sensor's: a value beyond it (a stepped sensor with fewer steps than the
  // conversion knows) is taken as far as the slider goes.
  const int typed = StageValueFromText(*variant_, text->toStdString());
  const int value = View().SetSliderValue(Control(mc::kStageSlider, stage), typed).value_or(typed);
  View().ShowStageDpi(stage, ShownDpi(*variant_, value));
  if (value == values.dpiX) return;
  values.dpiX = static_cast<std::uint16_t>(value);
  StoreStagesAndWrite();
}

std::optional<QColor> CVelquorMouseDevice::GetStageColour(int stage) const {
  return View().OptionColour(Control(mc::kStageColour, stage));
}

void CVelquorMouseDevice::SetStageColour(int stage, QColor colour) {
  if (!HasStage(stage)) return;
  DpiStage& values = stages_[static_cast<std::size_t>(stage)];
  values.red = static_cast<std::uint8_t>(colour.red());
  values.green = static_cast<std::uint8_t>(colour.green());
  values.blue = static_cast<std::uint8_t>(colour.blue());
  View().SetOptionColour(Control(mc::kStageColour, stage), colour);
  StoreStagesAndWrite();
}

void CVelquorMouseDevice::ChooseStageColour(int stage) {
  if (!HasStage(stage) || !chooseColour_) return;
  const DpiStage& values = stages_[static_cast<std::size_t>(stage)];
  const QColor initial = GetStageColour(stage).value_or(QColor(values.red, values.green, values.blue));
  // The page owns the palette, so that it closes with the device's tab.
  if (const std::optional<QColor> chosen = chooseColour_(Page(), initial)) SetStageColour(stage, *chosen);
}

void CVelquorMouseDevice::SetActiveStage(int stage) {
  if (!variant_ || stage < 0 || static_cast<std::size_t>(stage) >= kMouseStageCount) return;
  // The sliders of stages the list lacks were never set from a stage: those stages come in as the
  // mouse holds them (zero until its record was read).
  const std::size_t shown = std::min(stages_.size(), kMouseStageCount);
  for (std::size_t i = stages_.size(); i < kMouseStageCount; ++i) {
    const auto bytes =
        std::span<const std::uint8_t>(mirror_).subspan(settings_byte::kFirstStage + i * DpiStage::kSize);
    stages_.push_back(DpiStage::FromBytes(bytes.first<DpiStage::kSize>()));
  }
  for (std::size_t i = 0; i < shown; ++i) {
    if (const std::optional<int> value = GetStageSlider(static_cast<int>(i))) {
      stages_[i].dpiX = static_cast<std::uint16_t>(*value);
    }
  }
  activeStage_ = stage;
  profile_.SetActiveStage(activeStage_, variant_->index);
  StoreStagesAndWrite();
  ShowStages();
}

}  // namespace nimbel
