#include "editors/key_set_control_ui.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStackedWidget>
#include <array>

#include "devices/mouse_keys.h"
#include "ui/find_control.h"
#include "ui/notify_pump.h"
#include "ui/resource_manager.h"

namespace nimbel {
namespace {

using namespace key_set_control;

struct Category {
  KeyFunction function;
  const char* textId;
};
constexpr std::array<Category, kKeyFunctionCount> kCategories{{
    {KeyFunction::kDefault, "key_function_default"},
    {KeyFunction::kMouseButton, "key_function_mouse"},
    {KeyFunction::kKeyboardKey, "key_function_keyboard"},
    {KeyFunction::kCombinationKey, "key_function_combination"},
    {KeyFunction::kMedia, "key_function_media"},
    {KeyFunction::kSensitivity, "key_function_dpi"},
    {KeyFunction::kRapidFire, "key_function_fire"},
    {KeyFunction::kSwing, "key_function_swing"},
    {KeyFunction::kWheel, "key_function_wheel"},
    {KeyFunction::kSystem, "key_function_system"},
    {KeyFunction::kMacro, "key_function_macro"},
    {KeyFunction::kShootPattern, "key_function_pattern"},
}};

constexpr std::array<const char*, 2> kSwingDirections{"mouse_key_left_Swing", "mouse_key_right_Swing"};
constexpr std::array<const char*, 2> kWheelDirections{"mouse_key_up_Swing", "mouse_key_down_Swing"};
constexpr std::array<const char*, kMacroRepeatCountMode + 1> kMacroRepeatModes{
    "macro_repeat_mode_0", "macro_repeat_mode_1", "macro_repeat_mode_2", "macro_repeat_mode_3",
    "macro_repeat_mode_count"};

QString IdText(std::string_view id) {
  return QString::fromLatin1(id.data(), static_cast<qsizetype>(id.size()));
}

QString Indexed(const char* prefix, int index) {
  return QLatin1String(prefix) + QString::number(index);
}

// Items named by text ids, kept in the combo so that a language change names them again.
void FillNamedItems(QComboBox* combo, const QStringList& ids) {
  if (combo == nullptr) return;
  const ScopedNotifyBlocker quiet;
  combo->clear();
  for (const QString& id : ids) combo->addItem(CResourceManager::Instance().Text(id));
  combo->setProperty(CResourceManager::kItemTextIdsProperty, ids);
}

QStringList IdsOf(std::span<const NamedCode> table) {
  QStringList ids;
  for (const NamedCode& row : table) ids.append(IdText(row.nameId));
  return ids;
}

template <std::size_t N>
QStringList IdsOf(const std::array<const char*, N>& names) {
  QStringList ids;
  for (const char* name : names) ids.append(QLatin1String(name));
  return ids;
}

}  // namespace

void CKeySetControlUI::BindControls(QWidget* root) {
  root_ = root;
  FillCategories();
  FillNamedItems(Combo(kMouseButtonCombo), IdsOf(MouseButtonTable()));
  FillNamedItems(Combo(kSwingCombo), IdsOf(kSwingDirections));
  FillNamedItems(Combo(kWheelCombo), IdsOf(kWheelDirections));
  FillNamedItems(Combo(kSensitivityCombo), IdsOf(SensitivityTable()));
  FillNamedItems(Combo(kMediaCombo), IdsOf(MediaTable()));
  FillNamedItems(Combo(kSystemCombo), IdsOf(SystemTable()));
  FillNamedItems(Combo(kCombinationCombo), IdsOf(CombinationKeyTable()));
  FillNamedItems(Combo(kMacroRepeatCombo), IdsOf(kMacroRepeatModes));
  for (int option = 0; option < kModifierOptionCount; ++option) {
    // "None" is one of the options, and no option at all is a state of its own: the group is not
    // exclusive by itself.
    if (auto* button = FindControl<QAbstractButton>(root_, Indexed(kModifierOption, option)))
      button->setAutoExclusive(false);
  }
  if (auto* keyEdit = FindControl<QLineEdit>(root_, QLatin1String(kKeyEdit))) {
    keyEdit->setReadOnly(true);
    keyEdit->installEventFilter(this);
  }
  ResetFields();
  EnableSaveButtons(false);
  ShowEditor(false);
}

void CKeySetControlUI::FillCategories() {
  QComboBox* combo = Combo(kFunctionCombo);
  if (combo == nullptr) return;
  const ScopedNotifyBlocker quiet;
  // A list that changes while a key is edited (a macro added, another language) keeps the key's category.
  const QVariant chosen = combo->currentData();
  combo->clear();
  QStringList ids;
  for (const Category& category : kCategories) {
    if (category.function == KeyFunction::kMacro && macroCount_ == 0) continue;
    if (category.function == KeyFunction::kShootPattern && patternCount_ == 0) continue;
    ids.append(QLatin1String(category.textId));
    combo->addItem(CResourceManager::Instance().Text(ids.back()),
                   QString::number(static_cast<int>(category.function)));
  }
  combo->setProperty(CResourceManager::kItemTextIdsProperty, ids);
  if (chosen.isValid()) combo->setCurrentIndex(combo->findData(chosen));
}

void CKeySetControlUI::FillMacroList(const QStringList& names) {
  macroCount_ = static_cast<int>(names.size());
  if (QComboBox* combo = Combo(kMacroCombo)) {
    const ScopedNotifyBlocker quiet;
    combo->clear();
    combo->addItems(names);
  }
  FillCategories();
}

void CKeySetControlUI::FillPatternList(const QStringList& nameIds) {
  patternCount_ = static_cast<int>(nameIds.size());
  FillNamedItems(Combo(kPatternCombo), nameIds);
  FillCategories();
}

void CKeySetControlUI::OpenKeyEditor(const KeyAssignment& assignment) {
  assignment_ = assignment;
  ShowAssignment(assignment_.current);
}

void CKeySetControlUI::ShowAssignment(const KeyCode& half) {
  const std::optional<KeySetFields> fields =
      FieldsOfCode(CodeOf(half), CodeOf(assignment_.factory), ReadFields());
  // A code that no offered category makes (a function of the firmware's own, a macro while there is no
  // macro list) is shown with no category chosen: saved as it is, it stays as it is, and the user can
  // still choose another function for the key.
  KeySetFields shown = fields.value_or(ReadFields());
  if (!fields) shown.function = KeyFunction{kKeyFunctionCount};
  ShowFields(shown);
  shownFields_ = ReadFields();
  shownCode_ = half;
  ShowEditor(true);
}

void CKeySetControlUI::ShowDefault() {
  ShowAssignment(assignment_.factory);
}

void CKeySetControlUI::ShowCurrent() {
  ShowAssignment(assignment_.current);
  EnableSaveButtons(false);
}

KeyAssignment CKeySetControlUI::BuildAssignment() {
  const KeySetFields fields = ReadFields();
  const auto build = [this](const KeySetFields& from) {
    return CodeOfFields(from, CodeOf(assignment_.current), CodeOf(assignment_.factory), macroCount_);
  };
  // Fields of the shown category that make what the shown fields made stand for the code they were shown
  // from: building it again could turn a right-hand modifier into a left-hand one, or a code without a
  // row into another key.
  const AssignmentCode built = build(fields);
  const bool unchanged = fields.function == shownFields_.function && built == build(shownFields_);
  const AssignmentCode code = unchanged ? CodeOf(shownCode_) : built;
  assignment_.current = WithCode(assignment_.current, code);
  shownFields_ = fields;
  shownCode_ = assignment_.current;
  return assignment_;
}

void CKeySetControlUI::ShowClampedFields() {
  const KeySetFields fields = ReadFields();
  const KeySetFields clamped = ClampFields(fields);
  if (clamped != fields) ShowFields(clamped);
}

void CKeySetControlUI::ResetFields() {
  for (const char* combo : {kMouseButtonCombo, kSensitivityCombo, kMediaCombo, kSystemCombo, kMacroCombo,
                            kMacroRepeatCombo, kPatternCombo, kCombinationCombo}) {
    SelectComboRow(combo, 0);
  }
  SetEditNumber(kFireIntervalEdit, KeySetFields{}.fireInterval);
  SetEditNumber(kFireCountEdit, KeySetFields{}.fireCount);
  SetEditNumber(kMacroCountEdit, KeySetFields{}.macroRepeatCount);
  ShowMacroCountRow(ComboRow(kMacroRepeatCombo));
}

void CKeySetControlUI::SelectCategoryPage(KeyFunction function) {
  QComboBox* categories = Combo(kFunctionCombo);
  const int item =
      categories != nullptr ? categories->findData(QString::number(static_cast<int>(function))) : -1;
  if (categories != nullptr) {
    const ScopedNotifyBlocker quiet;
    categories->setCurrentIndex(item);
  }
  auto* pages = FindControl<QStackedWidget>(root_, QLatin1String(kPages));
  if (pages == nullptr) return;
  pages->setVisible(item >= 0);
  if (item >= 0) pages->setCurrentIndex(static_cast<int>(function));
}

void CKeySetControlUI::CategoryChosen() {
  const KeyFunction function = ReadFields().function;
  SelectCategoryPage(function);
  if (function != KeyFunction::kKeyboardKey) return;
  SetModifier(-1);
  keyUsage_ = 0;
  keyRow_.reset();
  ShowKeyName(keyRow_);
}

void CKeySetControlUI::RepeatModeChosen() {
  ShowMacroCountRow(ComboRow(kMacroRepeatCombo));
}

void CKeySetControlUI::SetModifier(int option) {
  const ScopedNotifyBlocker quiet;
  for (int index = 0; index < kModifierOptionCount; ++index) {
    if (auto* button = FindControl<QAbstractButton>(root_, Indexed(kModifierOption, index)))
      button->setChecked(index == option);
  }
}

int CKeySetControlUI::GetModifier() const {
  for (int index = 0; index < kModifierOptionCount; ++index) {
    const auto* button = FindControl<QAbstractButton>(root_, Indexed(kModifierOption, index));
    if (button != nullptr && button->isChecked()) return index;
  }
  return -1;
}

bool CKeySetControlUI::CaptureKey(ScanCode scan) {
  if (!IsEditorShown() || ReadFields().function != KeyFunction::kKeyboardKey) return false;
  const std::optional<std::size_t> row = ScanCodeRowOf(scan);
  if (!row || KeyCodeTable()[*row].code.type != assignment_type::kKeyboard) return false;
  if (*row < kModifierRows) {
    SetModifier(1 + static_cast<int>(*row % (kModifierRows / 2)));
    keyUsage_ = 0;
    keyRow_.reset();
  } else {
    if (GetModifier() < 0) SetModifier(0);
    keyUsage_ = KeyCodeTable()[*row].code.p2;
    keyRow_ = row;
  }
  ShowKeyName(keyRow_);
  return true;
}

void CKeySetControlUI::ShowEditor(bool shown) {
  if (auto* layout = FindControl(root_, QLatin1String(kLayout))) layout->setVisible(shown);
}

bool CKeySetControlUI::IsEditorShown() const {
  const auto* layout = FindControl(root_, QLatin1String(kLayout));
  return layout != nullptr && !layout->isHidden();
}

bool CKeySetControlUI::IsCompleteChoice() const {
  const KeySetFields fields = ReadFields();
  return fields.function != KeyFunction::kKeyboardKey || fields.keyUsage != 0 || fields.modifierOption >= 0;
}

void CKeySetControlUI::EnableSaveButtons(bool enabled) {
  for (const char* name : {kSaveButton, kCancelButton, kWriteAllButton}) {
    if (auto* button = FindControl(root_, QLatin1String(name))) button->setEnabled(enabled);
  }
}

bool CKeySetControlUI::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
  const auto* key = static_cast<QKeyEvent*>(event);
  // The field takes every key while it has the focus, Tab included: any key may be what the button is
  // to send. A key the tables do not know is swallowed too rather than typed into the field.
  const quint32 native = key->nativeScanCode();
  if (native >= kEvdevToNativeScanCode) {
    const std::optional<PcKey> pcKey =
        PcKeyOfEvdev(static_cast<std::uint16_t>(native - kEvdevToNativeScanCode));
    if (pcKey && CaptureKey(pcKey->scan)) emit KeyCaptured();
  }
  return true;
}

KeySetFields CKeySetControlUI::ReadFields() const {
  KeySetFields fields;
  if (const QComboBox* categories = Combo(kFunctionCombo)) {
    bool isNumber = false;
    const int number = categories->currentData().toString().toInt(&isNumber);
    fields.function = static_cast<KeyFunction>(isNumber ? number : 0);
  }
  fields.mouseButtonRow = ComboRow(kMouseButtonCombo);
  fields.swing = {ComboRow(kSwingCombo), EditNumber(kSwingCountEdit), EditNumber(kSwingDelayEdit),
                  EditNumber(kSwingSpeedEdit)};
  fields.wheel = {ComboRow(kWheelCombo), EditNumber(kWheelCountEdit), EditNumber(kWheelDelayEdit),
                  EditNumber(kWheelSpeedEdit)};
  fields.sensitivityRow = ComboRow(kSensitivityCombo);
  fields.fireInterval = EditNumber(kFireIntervalEdit);
  fields.fireCount = EditNumber(kFireCountEdit);
  fields.modifierOption = GetModifier();
  fields.keyUsage = keyUsage_;
  fields.keyRow = keyRow_;
  fields.mediaRow = ComboRow(kMediaCombo);
  fields.systemRow = ComboRow(kSystemCombo);
  fields.macroItem = ComboRow(kMacroCombo);
  fields.macroRepeatMode = ComboRow(kMacroRepeatCombo);
  fields.macroRepeatCount = EditNumber(kMacroCountEdit);
  fields.patternItem = ComboRow(kPatternCombo);
  fields.combinationRow = ComboRow(kCombinationCombo);
  return fields;
}

void CKeySetControlUI::ShowFields(const KeySetFields& fields) {
  SelectCategoryPage(fields.function);
  SelectComboRow(kMouseButtonCombo, fields.mouseButtonRow);
  SelectComboRow(kSwingCombo, fields.swing.direction);
  SetEditNumber(kSwingCountEdit, fields.swing.count);
  SetEditNumber(kSwingDelayEdit, fields.swing.delay);
  SetEditNumber(kSwingSpeedEdit, fields.swing.speed);
  SelectComboRow(kWheelCombo, fields.wheel.direction);
  SetEditNumber(kWheelCountEdit, fields.wheel.count);
  SetEditNumber(kWheelDelayEdit, fields.wheel.delay);
  SetEditNumber(kWheelSpeedEdit, fields.wheel.speed);
  SelectComboRow(kSensitivityCombo, fields.sensitivityRow);
  SetEditNumber(kFireIntervalEdit, fields.fireInterval);
  SetEditNumber(kFireCountEdit, fields.fireCount);
  SetModifier(fields.modifierOption);
  keyUsage_ = fields.keyUsage;
  keyRow_ = fields.keyRow;
  ShowKeyName(keyRow_);
  SelectComboRow(kMediaCombo, fields.mediaRow);
  SelectComboRow(kSystemCombo, fields.systemRow);
  SelectComboRow(kMacroCombo, fields.macroItem);
  SelectComboRow(kMacroRepeatCombo, fields.macroRepeatMode);
  SetEditNumber(kMacroCountEdit, fields.macroRepeatCount);
  ShowMacroCountRow(fields.macroRepeatMode);
  SelectComboRow(kPatternCombo, fields.patternItem);
  SelectComboRow(kCombinationCombo, fields.combinationRow);
}

QComboBox* CKeySetControlUI::Combo(const char* name) const {
  return FindControl<QComboBox>(root_, QLatin1String(name));
}

int CKeySetControlUI::ComboRow(const char* name) const {
  const QComboBox* combo = Combo(name);
  return combo != nullptr ? combo->currentIndex() : -1;
}

void CKeySetControlUI::SelectComboRow(const char* name, int row) const {
  QComboBox* combo = Combo(name);
  if (combo == nullptr) return;
  const ScopedNotifyBlocker quiet;
  combo->setCurrentIndex(row < combo->count() ? row : -1);
}

int CKeySetControlUI::EditNumber(const char* name) const {
  const auto* edit = FindControl<QLineEdit>(root_, QLatin1String(name));
  // Text that is no number reads 0, as a cleared field does.
  return edit != nullptr ? edit->text().trimmed().toInt() : 0;
}

void CKeySetControlUI::SetEditNumber(const char* name, int value) const {
  auto* edit = FindControl<QLineEdit>(root_, QLatin1String(name));
  if (edit == nullptr) return;
  const ScopedNotifyBlocker quiet;
  edit->setText(QString::number(value));
}

void CKeySetControlUI::ShowKeyName(const std::optional<std::size_t>& row) const {
  auto* edit = FindControl<QLineEdit>(root_, QLatin1String(kKeyEdit));
  if (edit == nullptr) return;
  const ScopedNotifyBlocker quiet;
  edit->setText(row ? CResourceManager::Instance().Text(IdText(KeyCodeTable()[*row].nameId)) : QString());
}

void CKeySetControlUI::ShowMacroCountRow(int repeatMode) const {
  if (auto* row = FindControl(root_, QLatin1String(kMacroCountLayout)))
    row->setVisible(repeatMode == kMacroRepeatCountMode);
}

}  // namespace nimbel
