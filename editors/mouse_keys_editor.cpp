#include "editors/mouse_keys_editor.h"

#include <algorithm>

#include "devices/mouse_device.h"
#include "devices/mouse_keys_page.h"
#include "profiles/text.h"

namespace nimbel {
namespace {

using namespace key_set_control;

constexpr const char* kRestoreDefaultsButton = "default_btn";
constexpr const char* kAskRestoreDefaults = "message_text_22";

// The panel's drop-downs and number fields: a change is stored at once.
constexpr const char* kStoredOnChange[] = {
    kMouseButtonCombo, kSwingCombo,     kWheelCombo,     kSensitivityCombo, kMediaCombo,
    kSystemCombo,      kMacroCombo,     kPatternCombo,   kCombinationCombo, kSwingCountEdit,
    kSwingDelayEdit,   kSwingSpeedEdit, kWheelCountEdit, kWheelDelayEdit,   kWheelSpeedEdit,
    kFireIntervalEdit, kFireCountEdit,  kMacroCountEdit,
};

bool IsNamed(const QString& name, const char* wanted) {
  return name.compare(QLatin1String(wanted), Qt::CaseInsensitive) == 0;
}

// The number of `name` when it is `prefix` followed by decimal digits.
std::optional<int> IndexAfter(const QString& name, const char* prefix) {
  const std::optional<IndexedName> split = SplitIndexedName(name.toStdString());
  if (!split || !IsNamed(QString::fromStdString(split->prefix), prefix)) return std::nullopt;
  return split->number;
}

}  // namespace

MouseKeysEditor::MouseKeysEditor(CVelquorMouseDevice& mouse, Confirm confirm)
    : mouse_(mouse), confirm_(std::move(confirm)) {
  QObject::connect(&panel_, &CKeySetControlUI::KeyCaptured, this, [this] { Save(); });
}

void MouseKeysEditor::Bind() {
  panel_.BindControls(mouse_.Page());
}

bool MouseKeysEditor::HandleNotification(const TNotifyUI& msg) {
  QWidget* page = mouse_.Page();
  if (page == nullptr || msg.pSender == nullptr || !page->isAncestorOf(msg.pSender)) return false;
  if (msg.sType == notify::kClick) return HandleClick(msg.senderName);
  return HandleFieldChange(msg);
}

bool MouseKeysEditor::HandleClick(const QString& name) {
  if (const std::optional<int> slot = IndexAfter(name, mouse_keys_control::kKeyButton)) {
    SelectKey(*slot);
    return true;
  }
  if (IsNamed(name, kSaveButton)) {
    Save();
  } else if (IsNamed(name, kDefaultButton)) {
    ShowDefault();
  } else if (IsNamed(name, kCancelButton)) {
    panel_.ShowCurrent();
  } else if (IsNamed(name, kWriteAllButton)) {
    mouse_.WriteMacrosAndKeys();
  } else if (IsNamed(name, kRestoreDefaultsButton)) {
    RestoreDefaults();
  } else {
    return false;
  }
  return true;
}

bool MouseKeysEditor::HandleFieldChange(const TNotifyUI& msg) {
  const QString& name = msg.senderName;
  if (msg.sType == notify::kSelectChanged) {
    const std::optional<int> option = IndexAfter(name, kModifierOption);
    if (!option) return false;
    panel_.SetModifier(msg.wParam != 0 ? *option : -1);
    Save();
    return true;
  }
  if (msg.sType == notify::kItemSelect && IsNamed(name, kFunctionCombo)) {
    panel_.CategoryChosen();
    Save();
    return true;
  }
  if (msg.sType == notify::kItemSelect && IsNamed(name, kMacroRepeatCombo)) {
    panel_.RepeatModeChosen();
    Save();
    return true;
  }
  if (msg.sType != notify::kItemSelect && msg.sType != notify::kKillFocus) return false;
  const bool stored = std::any_of(std::begin(kStoredOnChange), std::end(kStoredOnChange),
                                  [&name](const char* field) { return IsNamed(name, field); });
  if (stored) Save();
  return stored;
}

void MouseKeysEditor::ProfileApplied() {
  panel_.ResetFields();
  if (const std::optional<KeyAssignment> entry = mouse_.SlotAssignment(mouse_.SelectedKey())) {
    panel_.OpenKeyEditor(*entry);
    panel_.EnableSaveButtons(false);
  }
}

void MouseKeysEditor::LanguageChanged() {
  mouse_.ShowKeys();
  panel_.Retranslate();
}

void MouseKeysEditor::SelectKey(int slot) {
  const std::optional<KeyAssignment> entry = mouse_.SlotAssignment(slot);
  if (!entry || !mouse_.SlotHasButton(slot)) return;
  mouse_.SelectKey(slot);
  panel_.OpenKeyEditor(*entry);
  panel_.EnableSaveButtons(false);
}

void MouseKeysEditor::Save() {
  const int slot = mouse_.SelectedKey();
  const std::optional<KeyAssignment> entry = mouse_.SlotAssignment(slot);
  if (!entry || !panel_.IsEditorShown()) return;
  panel_.ShowClampedFields();
  const KeyAssignment built = panel_.BuildAssignment();
  panel_.EnableSaveButtons(true);
  // A field left without a change, or a keyboard key not pressed yet, sends nothing to the mouse.
  if (built.current == entry->current || !panel_.IsCompleteChoice()) return;
  mouse_.SetSlotAssignment(slot, built.current);
}

void MouseKeysEditor::ShowDefault() {
  panel_.ShowDefault();
  panel_.EnableSaveButtons(true);
}

void MouseKeysEditor::RestoreDefaults() {
  if (!confirm_ ||
      !confirm_(mouse_.Page(),
                {QString::fromLatin1(kAskRestoreDefaults), {}, MessageBoxButtons::kConfirmCancel})) {
    return;
  }
  mouse_.RestoreDefaultKeys();
  if (const std::optional<KeyAssignment> entry = mouse_.SlotAssignment(mouse_.SelectedKey()))
    panel_.OpenKeyEditor(*entry);
}

}  // namespace nimbel
