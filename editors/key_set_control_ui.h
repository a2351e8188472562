#pragma once

// The key assignment panel: the user picks one of the function categories for the key being edited and
// fills in that category's fields; the panel turns them into the key's new assignment code, and a code
// back into fields to show the current or the default assignment. The panel works on the named controls
// of the page it is bound to; the device stores what it builds.

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <optional>

#include "editors/key_set_fields.h"
#include "profiles/profile_records.h"

class QComboBox;
class QKeyEvent;

namespace nimbel {

namespace key_set_control {
inline constexpr const char* kLayout = "keyset_layout";
inline constexpr const char* kFunctionCombo = "keyset_function_combo";
inline constexpr const char* kPages = "function_switch_tablayout";
inline constexpr const char* kMouseButtonCombo = "keyset_mousekey_combo";
inline constexpr const char* kSwingCombo = "keyset_mouseswing_combo";
inline constexpr const char* kSwingCountEdit = "keyset_mouseswing_num_edit";
inline constexpr const char* kSwingDelayEdit = "keyset_mouseswing_delay_edit";
inline constexpr const char* kSwingSpeedEdit = "keyset_mouseswing_speed_edit";
inline constexpr const char* kWheelCombo = "keyset_mousewheel_combo";
inline constexpr const char* kWheelCountEdit = "keyset_mousewheel_num_edit";
inline constexpr const char* kWheelDelayEdit = "keyset_mousewheel_delay_edit";
inline constexpr const char* kWheelSpeedEdit = "keyset_mousewheel_speed_edit";
inline constexpr const char* kSensitivityCombo = "keyset_mousedpi_combo";
inline constexpr const char* kFireIntervalEdit = "keyset_mousefire_interval_edit";
inline constexpr const char* kFireCountEdit = "keyset_mousefire_num_edit";
inline constexpr const char* kKeyEdit = "keyset_keyboard_text_edit";
inline constexpr const char* kModifierOption = "key_ComBox_check_";
inline constexpr const char* kMediaCombo = "keyset_media_combo";
inline constexpr const char* kSystemCombo = "keyset_system_combo";
inline constexpr const char* kCombinationCombo = "keyset_combokey_combo";
inline constexpr const char* kMacroCombo = "keyset_macro_combo";
inline constexpr const char* kMacroRepeatCombo = "keyset_macro_over_combo";
inline constexpr const char* kMacroCountLayout = "keyset_macro_cycle_layout";
inline constexpr const char* kMacroCountEdit = "keyset_macro_cycle_edit";
inline constexpr const char* kPatternCombo = "keyset_gunkey_combo";
inline constexpr const char* kSaveButton = "key_butt_keysave";
inline constexpr const char* kDefaultButton = "key_butt_keydefalut";
inline constexpr const char* kCancelButton = "key_butt_keycancel";
inline constexpr const char* kWriteAllButton = "key_butt_prosave";
}  // namespace key_set_control

class CKeySetControlUI : public QObject {
  Q_OBJECT

 public:
  // A page places the panel with a control of this class, which holds the panel's skin.
  static constexpr const char* kContainerClass = "KeySetControlUI";
  static constexpr const char* kSkinFile = "XML/CustomControlXML/KeySetControl.ui";

  // Finds the panel's controls under `root` and fills its drop-downs.
  void BindControls(QWidget* root);
  // The macro category lists these, in library order; without macros it is not offered.
  void FillMacroList(const QStringList& names);
  // The shooting-pattern category lists these, as language text ids; without patterns it is not offered.
  void FillPatternList(const QStringList& nameIds);

  // The key to edit: both halves kept, the current one shown.
  void OpenKeyEditor(const KeyAssignment& assignment);
  void ShowAssignment(const KeyCode& half);
  void ShowDefault();
  void ShowCurrent();
  // The fields as the new current half; a code the user did not change comes back as it was.
  KeyAssignment BuildAssignment();
  void ResetFields();
  void SelectCategoryPage(KeyFunction function);
  // The user chose another category: its page is shown; the keyboard-key page starts empty.
  void CategoryChosen();
  // The user chose a macro repeat mode: the repeat count is asked for only for the counted mode.
  void RepeatModeChosen();
  // Option 0-4 (none, Ctrl, Shift, Alt, Win), or -1 for none selected.
  void SetModifier(int option);
  int GetModifier() const;
  // A key pressed in the key field; true when the keyboard-key page took it (the fields changed).
  bool CaptureKey(ScanCode scan);
  void ShowEditor(bool shown);
  // The captured key's name in the language now chosen.
  void Retranslate() { ShowKeyName(keyRow_); }
  bool IsEditorShown() const;
  // False while the keyboard-key page has neither a key nor a modifier: the user has not pressed one yet.
  bool IsCompleteChoice() const;
  // Save, cancel and write-all are offered once there is something to save or undo.
  void EnableSaveButtons(bool enabled);
  // The numbers of the edits held to what the mouse stores, shown as they now are.
  void ShowClampedFields();

  // Emitted when the user pressed a key in the key field and the panel took it, so it is saved.
  Q_SIGNAL void KeyCaptured();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  KeySetFields ReadFields() const;
  void ShowFields(const KeySetFields& fields);
  void FillCategories();
  QComboBox* Combo(const char* name) const;
  int ComboRow(const char* name) const;
  void SelectComboRow(const char* name, int row) const;
  int EditNumber(const char* name) const;
  void SetEditNumber(const char* name, int value) const;
  void ShowKeyName(const std::optional<std::size_t>& row) const;
  void ShowMacroCountRow(int repeatMode) const;

  QPointer<QWidget> root_;
  KeyAssignment assignment_;
  // What the panel last showed and for which code: saving unchanged fields keeps that code as it was.
  KeySetFields shownFields_;
  KeyCode shownCode_;
  // The keyboard-key page's captured key (its usage and row), kept apart from the key field's text.
  std::uint8_t keyUsage_ = 0;
  std::optional<std::size_t> keyRow_;
  int macroCount_ = 0;
  int patternCount_ = 0;
};

}  // namespace nimbel
