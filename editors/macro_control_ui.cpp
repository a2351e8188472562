#include "editors/macro_control_ui.h"

#include <linux/input-event-codes.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <algorithm>
#include <array>
#include <filesystem>

#include "devices/mouse_device.h"
#include "devices/mouse_keys.h"
#include "platform/folders.h"
#include "profiles/profile_paths.h"
#include "ui/find_control.h"
#include "ui/message_box.h"
#include "ui/resource_manager.h"

namespace nimbel {
namespace {

using namespace macro_control;

constexpr const char* kAskNew = "message_text_28";
constexpr const char* kAskDelete = "message_text_4";
constexpr const char* kAskDeleteBound = "message_text_2";
constexpr const char* kNameInUse = "message_text_5";
constexpr const char* kNameBlank = "message_text_5_1";
constexpr const char* kNameStartsWithSpace = "message_text_5_2";
constexpr const char* kCannot = "message_text_32";
constexpr const char* kMacroFull = "message_text_17";
constexpr const char* kCaptureRefused = "macro_capture_refused_text";
// Items of the recording source: this window, or every keyboard and mouse.
constexpr int kSystemSource = 1;
constexpr int kHeartbeatMs = 250;
constexpr int kLeftButtonBit = 0x01;
constexpr const char* kNotWritten = "macro_not_written_text";
constexpr const char* kFileFilter = "Macro Files(*.mac)";
constexpr const char* kImportTitle = "macro_import_text";
constexpr const char* kExportTitle = "macro_export_text";

// The delay an inserted event waits, and the bounds the fixed delay is held to.
constexpr std::uint16_t kDefaultFixedDelay = 50;
constexpr int kMinFixedDelay = 10;
constexpr int kMaxDelay = 65535;
constexpr int kMaxDelayDigits = 5;
constexpr int kMaxMoveDistance = 255;
// Tall enough for the delay edit with its frame.
constexpr int kRowHeight = 36;
constexpr int kDelayEditWidth = 60;

// Row looks.
constexpr const char* kKeyStyle = "macroKey";
constexpr const char* kMouseStyle = "macroMouse";
constexpr const char* kDownStyle = "macroDown";
constexpr const char* kUpStyle = "macroUp";
constexpr const char* kDistanceStyle = "macroDistance";
constexpr const char* kStyleClassProperty = "styleClass";

struct MouseButtonName {
  int bit;
  const char* textId;
};
constexpr std::array<MouseButtonName, 5> kMouseButtons{{
    {0x01, "mouse_key_left"},
    {0x02, "mouse_key_right"},
    {0x04, "mouse_key_middle"},
    {0x10, "mouse_key_forward"},
    {0x08, "mouse_key_back"},
}};

bool IsLockKey(int key) {
  return key == Qt::Key_CapsLock || key == Qt::Key_NumLock || key == Qt::Key_ScrollLock;
}

// The mouse-button table's bit of a Qt button; 0 for a button it has none for.
int MouseButtonBit(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton:
      return 0x01;
    case Qt::RightButton:
      return 0x02;
    case Qt::MiddleButton:
      return 0x04;
    case Qt::BackButton:
      return 0x08;
    case Qt::ForwardButton:
      return 0x10;
    default:
      return 0;
  }
}

QString Text(const char* id) {
  return CResourceManager::Instance().Text(QLatin1String(id));
}

QString IdText(std::string_view id) {
  return CResourceManager::Instance().Text(QString::fromLatin1(id.data(), static_cast<qsizetype>(id.size())));
}

// What the row of an event says: its key or button, and which way.
QString EventName(const MacroEvent& event) {
  switch (event.type) {
    case macro_event_type::kKey:
    case macro_event_type::kModifier: {
      const bool modifier = event.type == macro_event_type::kModifier;
      for (const KeyCodeRow& row : KeyCodeTable()) {
        if (row.code.type != assignment_type::kKeyboard) continue;
        const bool match = modifier ? row.code.p1 == event.button && row.code.p2 == 0
                                    : row.code.p1 == 0 && row.code.p2 == event.button;
        if (match) return IdText(row.nameId);
      }
      return QString::number(event.button);
    }
    case macro_event_type::kMouseButton:
      for (const MouseButtonName& button : kMouseButtons) {
        if (button.bit == event.button) return Text(button.textId);
      }
      return QString::number(event.button);
    case macro_event_type::kHorizontalMove:
      return Text(event.down ? "mouse_move_to_left_text" : "mouse_move_to_right_text");
    default:
      return Text(event.down ? "mouse_move_to_up_text" : "mouse_move_to_down_text");
  }
}

bool IsMove(const MacroEvent& event) {
  return event.type == macro_event_type::kHorizontalMove || event.type == macro_event_type::kVerticalMove;
}

QLabel* StyledLabel(const QString& text, const char* style, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setProperty(kStyleClassProperty, QLatin1String(style));
  return label;
}

QWidget* EventRow(const MacroEvent& event, QWidget* parent) {
  auto* row = new QWidget(parent);
  row->setObjectName(QStringLiteral("macro_action"));
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(8, 2, 8, 2);
  layout->setSpacing(8);
  const bool key = event.type == macro_event_type::kKey || event.type == macro_event_type::kModifier;
  QLabel* name = StyledLabel(EventName(event), key ? kKeyStyle : kMouseStyle, row);
  // A long name gives way to the direction and the delay.
  name->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  layout->addWidget(name, 1);
  if (IsMove(event)) {
    layout->addWidget(StyledLabel(QString::number(event.button), kDistanceStyle, row));
  } else {
    layout->addWidget(StyledLabel(Text(event.down ? "macro_down_text" : "macro_up_text"),
                                  event.down ? kDownStyle : kUpStyle, row));
  }
  auto* delay = new QLineEdit(QString::number(event.delay), row);
  delay->setObjectName(QLatin1String(kDelayEdit));
  delay->setProperty(kStyleClassProperty, QStringLiteral("number"));
  delay->setMaxLength(kMaxDelayDigits + 1);
  delay->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,5}")), delay));
  delay->setFixedWidth(kDelayEditWidth);
  delay->setToolTip(Text("macro_delay_tip"));
  layout->addWidget(delay);
  return row;
}

// Every profile file of the kind: a removed macro renumbers the keys of each.
std::vector<std::string> ProfileFilesOfKind(const std::string& kindName) {
  std::vector<std::string> paths;
  std::error_code error;
  for (const auto& file : std::filesystem::directory_iterator(DeviceDataFolder(kindName), error)) {
    if (file.is_regular_file(error) && file.path().extension() == kProfileExtension)
      paths.push_back(file.path().string());
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

}  // namespace

MacroDialogs DesktopMacroDialogs() {
  return DesktopFileDialogs(kFileFilter, kImportTitle, kExportTitle);
}

CMacroControlUI::CMacroControlUI(CVelquorMouseDevice& mouse, MacroDialogs dialogs,
                                 SystemInputSource systemInput)
    : mouse_(mouse), dialogs_(std::move(dialogs)), systemInput_(std::move(systemInput)) {
  // Well inside the capture's watchdog period, so that only a UI thread that stopped answering lets the
  // keyboards go.
  heartbeat_.setInterval(kHeartbeatMs);
  connect(&heartbeat_, &QTimer::timeout, this, [this] {
    if (capture_) capture_->Heartbeat();
  });
}

void CMacroControlUI::Bind() {
  if (QListWidget* list = EventList()) list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  if (auto* fixed = FindControl<QLineEdit>(mouse_.Page(), QLatin1String(kFixedDelayEdit))) {
    fixed->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,5}")), fixed));
    if (fixed->text().isEmpty()) fixed->setText(QString::number(kDefaultFixedDelay));
  }
  for (const char* name : {kMoveLeftEdit, kMoveRightEdit, kMoveUpEdit, kMoveDownEdit}) {
    if (auto* edit = FindControl<QLineEdit>(mouse_.Page(), QLatin1String(name)))
      edit->setValidator(
          new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), edit));
  }
  FillInsertMenu();
  // Whether this user may read any keyboard or mouse; nothing stays open.
  std::vector<InputNode> nodes = systemInput_.open();
  systemInputReadable_ = !nodes.empty();
  for (const InputNode& node : nodes) close(node.fd);
  ShowRecordSource();
  LoadLibrary();
}

void CMacroControlUI::ShowRecordSource() {
  QWidget* page = mouse_.Page();
  auto* sources = FindControl<QComboBox>(page, QLatin1String(kRecordSourceCombo));
  // Every keyboard and mouse is offered only to a user who may read them; the label says why not.
  if (sources != nullptr) sources->setVisible(systemInputReadable_);
  if (QWidget* title = FindControl(page, QLatin1String(kRecordSourceTitle)))
    title->setVisible(systemInputReadable_);
  const bool system = systemInputReadable_ && sources != nullptr && sources->currentIndex() == kSystemSource;
  const char* textId = system                 ? "macro_record_system_text"
                       : systemInputReadable_ ? "macro_record_window_text"
                                              : "macro_record_window_only_text";
  if (auto* label = FindControl<QLabel>(page, QLatin1String(kRecordSourceLabel)))
    CResourceManager::Instance().SetTextId(label, QLatin1String(textId));
}

bool CMacroControlUI::StartSystemCapture() {
  std::vector<InputNode> nodes = systemInput_.open();
  if (nodes.empty()) return false;
  QPointer<CMacroControlUI> self(this);
  capture_ = std::make_unique<SystemInputCapture>(
      std::move(nodes),
      [self](const CapturedInput& input) {
        QMetaObject::invokeMethod(
            self,
            [self, input] {
              if (self) self->TakeSystemInput(input);
            },
            Qt::QueuedConnection);
      },
      [self] {
        QMetaObject::invokeMethod(
            self,
            [self] {
              if (self) self->StopRecording();
            },
            Qt::QueuedConnection);
      },
      systemInput_.grab);
  if (!capture_->Start()) {
    capture_.reset();
    return false;
  }
  heartbeat_.start();
  return true;
}

void CMacroControlUI::TakeSystemInput(const CapturedInput& input) {
  if (!IsRecording()) return;
  if (input.kind == CapturedInput::Kind::kMouseButton) {
    constexpr std::array<std::pair<std::uint16_t, int>, 5> kButtons{
        {{BTN_LEFT, 0x01}, {BTN_RIGHT, 0x02}, {BTN_MIDDLE, 0x04}, {BTN_SIDE, 0x08}, {BTN_EXTRA, 0x10}}};
    for (const auto& [code, bit] : kButtons) {
      if (code == input.code) Recorded(recorder_->RecordMouseButton(bit, input.down, input.timeMs));
    }
    return;
  }
  if (const std::optional<PcKey> key = PcKeyOfEvdev(input.code))
    Recorded(recorder_->RecordKey(key->scan, input.down, input.timeMs));
}

void CMacroControlUI::FillInsertMenu() {
  auto* button = FindControl<QPushButton>(mouse_.Page(), QLatin1String(kInsertButton));
  if (button == nullptr) return;
  auto* menu = new QMenu(button);
  // Made on every opening, so that it speaks the language chosen since.
  connect(menu, &QMenu::aboutToShow, this, [this, menu] {
    menu->clear();
    for (const MouseButtonName& mouseButton : kMouseButtons) {
      QMenu* events = menu->addMenu(Text(mouseButton.textId));
      const std::array<std::pair<const char*, MouseButtonEvent>, 3> kinds{{
          {"macro_insert_click_text", MouseButtonEvent::kClick},
          {"macro_insert_down_text", MouseButtonEvent::kDown},
          {"macro_insert_up_text", MouseButtonEvent::kUp},
      }};
      for (const auto& [textId, kind] : kinds) {
        connect(events->addAction(Text(textId)), &QAction::triggered, this,
                [this, bit = mouseButton.bit, event = kind] { InsertMouseEvent(bit, event); });
      }
    }
  });
  button->setMenu(menu);
}

QComboBox* CMacroControlUI::NameList() const {
  return FindControl<QComboBox>(mouse_.Page(), QLatin1String(kNameList));
}

QListWidget* CMacroControlUI::EventList() const {
  return FindControl<QListWidget>(mouse_.Page(), QLatin1String(kEventList));
}

void CMacroControlUI::LoadLibrary() {
  MacroLibrary& library = mouse_.Macros();
  library.Load();
  if (QComboBox* names = NameList()) {
    const ScopedNotifyBlocker quiet;
    const int kept = names->currentIndex();
    names->clear();
    for (const MacroEntry& entry : library.Entries())
      names->addItem(QString::fromStdString(entry.name), QString::fromStdString(entry.guid));
    names->setCurrentIndex(kept >= 0 && kept < names->count() ? kept : (names->count() > 0 ? 0 : -1));
  }
  SelectMacro(GetSelectedMacroIndex());
}

int CMacroControlUI::GetSelectedMacroIndex() const {
  const QComboBox* names = NameList();
  return names != nullptr ? names->currentIndex() : -1;
}

QStringList CMacroControlUI::MacroNames() const {
  QStringList names;
  for (const MacroEntry& entry : mouse_.Macros().Entries()) names.append(QString::fromStdString(entry.name));
  return names;
}

void CMacroControlUI::SelectMacro(int index) {
  const bool selected = index >= 0 && static_cast<std::size_t>(index) < mouse_.Macros().Count();
  if (QComboBox* names = NameList(); names != nullptr && selected) {
    const ScopedNotifyBlocker quiet;
    names->setCurrentIndex(index);
  }
  EnableMacroControls(selected);
  events_ =
      selected ? mouse_.Macros().ReadEvents(static_cast<std::size_t>(index)) : std::vector<MacroEvent>{};
  if (auto* name = FindControl<QLineEdit>(mouse_.Page(), QLatin1String(kNameEdit))) {
    const ScopedNotifyBlocker quiet;
    name->setText(
        selected ? QString::fromStdString(mouse_.Macros().Entries()[static_cast<std::size_t>(index)].name)
                 : QString());
  }
  ShowEvents();
}

void CMacroControlUI::EnableMacroControls(bool enabled) {
  for (const char* name :
       {kActionLayout, kMoveLayout, kExportButton, kDeleteButton, kRenameButton, kRecordButton}) {
    if (QWidget* control = FindControl(mouse_.Page(), QLatin1String(name))) control->setEnabled(enabled);
  }
}

void CMacroControlUI::ShowEvents() {
  QListWidget* list = EventList();
  if (list == nullptr) return;
  const int selected = list->currentRow();
  list->clear();
  for (const MacroEvent& event : events_) {
    auto* item = new QListWidgetItem(list);
    QWidget* row = EventRow(event, list);
    // The row takes the list's width; only its height is its own.
    item->setSizeHint(QSize(1, std::max(row->sizeHint().height(), kRowHeight)));
    list->setItemWidget(item, row);
  }
  SelectRow(std::min(selected, static_cast<int>(events_.size()) - 1));
}

void CMacroControlUI::SelectRow(int row) {
  if (QListWidget* list = EventList(); list != nullptr && row >= 0 && row < list->count()) {
    list->setCurrentRow(row);
    list->scrollToItem(list->item(row));
  }
}

int CMacroControlUI::SelectedRow() const {
  const QListWidget* list = EventList();
  return list != nullptr ? list->currentRow() : -1;
}

void CMacroControlUI::ReadDelays() {
  QListWidget* list = EventList();
  if (list == nullptr) return;
  for (int row = 0; row < list->count() && static_cast<std::size_t>(row) < events_.size(); ++row) {
    const auto* edit = list->itemWidget(list->item(row))->findChild<QLineEdit*>(QLatin1String(kDelayEdit));
    if (edit == nullptr) continue;
    // An emptied delay waits 0; the edit takes digits only, and the mouse stores 16 bits.
    const int delay = std::clamp(edit->text().toInt(), 0, kMaxDelay);
    events_[static_cast<std::size_t>(row)].delay = static_cast<std::uint16_t>(delay);
  }
}

void CMacroControlUI::SaveMacro() {
  ReadDelays();
  StoreEvents();
}

void CMacroControlUI::StoreEvents() {
  const int index = GetSelectedMacroIndex();
  if (index < 0) return;
  const MacroResult result = mouse_.Macros().SaveEvents(static_cast<std::size_t>(index), events_);
  if (result != MacroResult::kDone) {
    Report(result);
    return;
  }
  ShowEvents();
  emit LibraryChanged();
}

void CMacroControlUI::ReloadMacro() {
  SelectMacro(GetSelectedMacroIndex());
}

void CMacroControlUI::MoveUp() {
  const int row = SelectedRow();
  if (row <= 0 || static_cast<std::size_t>(row) >= events_.size()) return;
  ReadDelays();
  std::swap(events_[static_cast<std::size_t>(row)], events_[static_cast<std::size_t>(row - 1)]);
  StoreEvents();
  SelectRow(row - 1);
}

void CMacroControlUI::MoveDown() {
  const int row = SelectedRow();
  if (row < 0 || static_cast<std::size_t>(row) + 1 >= events_.size()) return;
  ReadDelays();
  std::swap(events_[static_cast<std::size_t>(row)], events_[static_cast<std::size_t>(row + 1)]);
  StoreEvents();
  SelectRow(row + 1);
}

void CMacroControlUI::MoveToTop() {
  const int row = SelectedRow();
  if (row <= 0 || static_cast<std::size_t>(row) >= events_.size()) return;
  ReadDelays();
  std::rotate(events_.begin(), events_.begin() + row, events_.begin() + row + 1);
  StoreEvents();
  SelectRow(0);
}

void CMacroControlUI::MoveToBottom() {
  const int row = SelectedRow();
  if (row < 0 || static_cast<std::size_t>(row) + 1 >= events_.size()) return;
  ReadDelays();
  std::rotate(events_.begin() + row, events_.begin() + row + 1, events_.end());
  StoreEvents();
  SelectRow(static_cast<int>(events_.size()) - 1);
}

void CMacroControlUI::DeleteEvent() {
  const int row = SelectedRow();
  if (row < 0 || static_cast<std::size_t>(row) >= events_.size()) return;
  ReadDelays();
  events_.erase(events_.begin() + row);
  StoreEvents();
}

void CMacroControlUI::DeleteAllEvents() {
  events_.clear();
  StoreEvents();
}

std::uint16_t CMacroControlUI::FixedDelay() {
  auto* edit = FindControl<QLineEdit>(mouse_.Page(), QLatin1String(kFixedDelayEdit));
  if (edit == nullptr) return kDefaultFixedDelay;
  const int typed = edit->text().toInt();
  const int delay = std::clamp(typed, kMinFixedDelay, kMaxDelay);
  // The user sees the delay that was used.
  if (delay != typed || edit->text().isEmpty()) edit->setText(QString::number(delay));
  return static_cast<std::uint16_t>(delay);
}

bool CMacroControlUI::Insert(std::vector<MacroEvent> inserted) {
  if (GetSelectedMacroIndex() < 0) return false;
  if (events_.size() + inserted.size() > kMaxMacroEvents) {
    Report(MacroResult::kNotAMacro);
    return false;
  }
  ReadDelays();
  const int selected = SelectedRow();
  const auto at = selected >= 0 ? events_.begin() + selected + 1 : events_.begin();
  const auto position = at - events_.begin();
  events_.insert(at, inserted.begin(), inserted.end());
  StoreEvents();
  SelectRow(static_cast<int>(position + static_cast<std::ptrdiff_t>(inserted.size())) - 1);
  return true;
}

void CMacroControlUI::InsertMouseEvent(int buttonBit, MouseButtonEvent event) {
  const std::uint16_t delay = FixedDelay();
  const MacroEvent down{macro_event_type::kMouseButton, buttonBit, true, delay};
  const MacroEvent up{macro_event_type::kMouseButton, buttonBit, false, delay};
  switch (event) {
    case MouseButtonEvent::kDown:
      Insert({down});
      break;
    case MouseButtonEvent::kUp:
      Insert({up});
      break;
    case MouseButtonEvent::kClick:
      Insert({down, up});
      break;
  }
}

void CMacroControlUI::InsertMove(int type, bool down, const char* distanceEdit) {
  auto* edit = FindControl<QLineEdit>(mouse_.Page(), QLatin1String(distanceEdit));
  if (edit == nullptr) return;
  const int typed = edit->text().toInt();
  const int distance = std::clamp(typed, 1, kMaxMoveDistance);
  if (distance != typed) edit->setText(QString::number(distance));
  Insert({{type, distance, down, FixedDelay()}});
}

void CMacroControlUI::NewMacro() {
  if (!Ask(kAskNew)) return;
  ShowAddedMacro(mouse_.Macros().NewMacro());
}

void CMacroControlUI::ShowAddedMacro(MacroResult result) {
  if (result != MacroResult::kDone) {
    Report(result);
    return;
  }
  LoadLibrary();
  SelectMacro(static_cast<int>(mouse_.Macros().Count()) - 1);
  emit LibraryChanged();
}

void CMacroControlUI::RenameMacro() {
  const int index = GetSelectedMacroIndex();
  auto* edit = FindControl<QLineEdit>(mouse_.Page(), QLatin1String(kNameEdit));
  if (index < 0 || edit == nullptr) return;
  const MacroResult result =
      mouse_.Macros().RenameMacro(static_cast<std::size_t>(index), edit->text().toStdString());
  if (result != MacroResult::kDone) {
    Report(result);
    // The edit shows the name the macro keeps.
    edit->setText(QString::fromStdString(mouse_.Macros().Entries()[static_cast<std::size_t>(index)].name));
    return;
  }
  LoadLibrary();
  emit LibraryChanged();
}

void CMacroControlUI::DeleteMacro() {
  const int index = GetSelectedMacroIndex();
  if (index < 0 || !Ask(kAskDelete)) return;
  const bool bound =
      std::any_of(mouse_.KeyList().begin(), mouse_.KeyList().end(), [index](const KeyAssignment& key) {
        return IsMacroCode(CodeOf(key.current)) && key.current.middle == index;
      });
  if (bound && !Ask(kAskDeleteBound)) return;
  const MacroResult result =
      mouse_.Macros().DeleteMacro(static_cast<std::size_t>(index), ProfileFilesOfKind(mouse_.KindName()));
  if (result != MacroResult::kDone) Report(result);
  // Whatever part was done, the keys and the list show the files as they now are.
  mouse_.ReloadKeysAfterMacroRemoval();
  if (QComboBox* names = NameList()) {
    const ScopedNotifyBlocker quiet;
    names->setCurrentIndex(0);
  }
  LoadLibrary();
  emit LibraryChanged();
}

void CMacroControlUI::ImportMacro() {
  if (!dialogs_.chooseImportFile) return;
  const QString path = dialogs_.chooseImportFile(mouse_.Page());
  if (path.isEmpty()) return;
  ShowAddedMacro(mouse_.Macros().ImportMacro(QDir::toNativeSeparators(path).toStdString()));
}

void CMacroControlUI::ExportMacro() {
  const int index = GetSelectedMacroIndex();
  if (index < 0 || !dialogs_.chooseExportFile) return;
  const QString name =
      QString::fromStdString(mouse_.Macros().Entries()[static_cast<std::size_t>(index)].name);
  const QString path = dialogs_.chooseExportFile(mouse_.Page(), name + QLatin1String(kMacroExtension));
  if (path.isEmpty()) return;
  Report(mouse_.Macros().ExportMacro(static_cast<std::size_t>(index), path.toStdString()));
}

void CMacroControlUI::StartRecording() {
  if (GetSelectedMacroIndex() < 0 || IsRecording()) return;
  ReadDelays();
  const auto* delayCombo = FindControl<QComboBox>(mouse_.Page(), QLatin1String(kRecordDelayCombo));
  const auto* placeCombo = FindControl<QComboBox>(mouse_.Page(), QLatin1String(kRecordPlaceCombo));
  const int delayItem = delayCombo != nullptr ? std::max(delayCombo->currentIndex(), 0) : 0;
  const int placeItem = placeCombo != nullptr ? std::max(placeCombo->currentIndex(), 0) : 0;
  constexpr std::array<RecordDelay, 3> kDelays{RecordDelay::kMeasured, RecordDelay::kFixed,
                                               RecordDelay::kNone};
  constexpr std::array<RecordPlacement, 4> kPlaces{RecordPlacement::kAppend, RecordPlacement::kBefore,
                                                   RecordPlacement::kAfter, RecordPlacement::kReplace};
  // Replacing an event takes the new one's place and keeps the old delay.
  const RecordPlacement place = kPlaces[static_cast<std::size_t>(std::min(placeItem, 3))];
  const RecordDelay delay = place == RecordPlacement::kReplace
                                ? RecordDelay::kNone
                                : kDelays[static_cast<std::size_t>(std::min(delayItem, 2))];
  const auto* sources = FindControl<QComboBox>(mouse_.Page(), QLatin1String(kRecordSourceCombo));
  const bool system = systemInputReadable_ && sources != nullptr && sources->currentIndex() == kSystemSource;
  // The kernel stamps input with the wall clock; this window's input is timed by the program's own.
  const auto wallClockMs = static_cast<std::uint64_t>(QDateTime::currentMSecsSinceEpoch());
  recordClock_.start();
  recorder_.emplace(events_, SelectedRow(), delay, place, FixedDelay(), system ? wallClockMs : 0);
  if (system && !StartSystemCapture()) {
    recorder_.reset();
    if (dialogs_.showMessage)
      dialogs_.showMessage(mouse_.Page(), {QLatin1String(kCaptureRefused), {}, MessageBoxButtons::kConfirm});
    return;
  }
  ShowRecording(true);
  // This window's input is taken here in either case: with the whole computer recorded, it is already in
  // the capture and must do nothing else.
  qApp->installEventFilter(this);
}

void CMacroControlUI::StopRecording() {
  if (!IsRecording()) return;
  qApp->removeEventFilter(this);
  heartbeat_.stop();
  if (capture_) {
    capture_.reset();
    // The click on Stop came through the capture too: its press and release are not part of the macro.
    DropTrailingLeftClick();
  }
  const bool overflowed = recorder_->Overflowed();
  recorder_.reset();
  ShowRecording(false);
  StoreEvents();
  if (overflowed && dialogs_.showMessage)
    dialogs_.showMessage(mouse_.Page(), {QLatin1String(kMacroFull), {}, MessageBoxButtons::kConfirm});
}

void CMacroControlUI::ShowRecording(bool recording) {
  QWidget* page = mouse_.Page();
  if (QWidget* record = FindControl(page, QLatin1String(kRecordButton))) record->setVisible(!recording);
  if (QWidget* stop = FindControl(page, QLatin1String(kStopButton))) stop->setVisible(recording);
  // While recording, only Stop takes a click: the rest of the editor would change what is being recorded.
  for (const char* name :
       {kNameList, kNameEdit, kAddButton, kDeleteButton, kRenameButton, kExportButton, kImportButton,
        kRecordDelayCombo, kRecordPlaceCombo, kRecordSourceCombo, kActionLayout}) {
    if (QWidget* control = FindControl(page, QLatin1String(name))) control->setEnabled(!recording);
  }
}

bool CMacroControlUI::eventFilter(QObject* watched, QEvent* event) {
  if (IsRecording() && RecordInput(watched, event)) return true;
  return QObject::eventFilter(watched, event);
}

bool CMacroControlUI::RecordInput(QObject* watched, QEvent* event) {
  auto* target = qobject_cast<QWidget*>(watched);
  QWidget* page = mouse_.Page();
  // Only what is meant for this program's window, which has the focus; other windows keep their input.
  if (target == nullptr || page == nullptr || target->window() != page->window()) return false;
  const auto now = static_cast<std::uint64_t>(recordClock_.elapsed());
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
      const auto* key = static_cast<QKeyEvent*>(event);
      // The lock keys keep working for the user; they are not recorded.
      if (IsLockKey(key->key())) return false;
      // A held key's repeats are one press.
      if (!key->isAutoRepeat() && key->nativeScanCode() >= kEvdevToNativeScanCode) {
        const auto evdev = static_cast<std::uint16_t>(key->nativeScanCode() - kEvdevToNativeScanCode);
        if (const std::optional<PcKey> pcKey = PcKeyOfEvdev(evdev))
          Recorded(recorder_->RecordKey(pcKey->scan, event->type() == QEvent::KeyPress, now));
      }
      return true;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      // The click that ends the recording is not part of it.
      if (target == FindControl(page, QLatin1String(kStopButton)) && mouse->button() == Qt::LeftButton)
        return false;
      // A double click comes as press, release, double click, release: the double click is the second press.
      if (const int bit = MouseButtonBit(mouse->button()); bit != 0)
        Recorded(recorder_->RecordMouseButton(bit, event->type() != QEvent::MouseButtonRelease, now));
      return true;
    }
    default:
      return false;
  }
}

void CMacroControlUI::DropTrailingLeftClick() {
  int row = recorder_->LastRecordedRow();
  const auto isLeft = [this](int at, bool down) {
    if (at < 0 || static_cast<std::size_t>(at) >= events_.size()) return false;
    const MacroEvent& event = events_[static_cast<std::size_t>(at)];
    return event.type == macro_event_type::kMouseButton && event.button == kLeftButtonBit &&
           event.down == down;
  };
  // The release when it came before the click was handled, then the press.
  if (isLeft(row, false)) events_.erase(events_.begin() + row--);
  if (isLeft(row, true)) events_.erase(events_.begin() + row);
}

void CMacroControlUI::Recorded(bool added) {
  if (!added || rowsRefreshQueued_) return;
  // The rows are made again once the input event is done with: the event may be on its way to one of
  // them.
  rowsRefreshQueued_ = true;
  QTimer::singleShot(0, this, [this] {
    rowsRefreshQueued_ = false;
    const int last = recorder_ ? recorder_->LastRecordedRow() : SelectedRow();
    ShowEvents();
    SelectRow(last);
  });
}

bool CMacroControlUI::Ask(const char* textId) {
  return dialogs_.showMessage &&
         dialogs_.showMessage(mouse_.Page(), {QLatin1String(textId), {}, MessageBoxButtons::kConfirmCancel});
}

void CMacroControlUI::Report(MacroResult result) {
  const char* textId = nullptr;
  switch (result) {
    case MacroResult::kDone:
      return;
    case MacroResult::kNameInUse:
      textId = kNameInUse;
      break;
    case MacroResult::kNameBlank:
      textId = kNameBlank;
      break;
    case MacroResult::kNameStartsWithSpace:
      textId = kNameStartsWithSpace;
      break;
    case MacroResult::kWriteFailed:
      textId = kNotWritten;
      break;
    default:
      textId = kCannot;
      break;
  }
  if (dialogs_.showMessage)
    dialogs_.showMessage(mouse_.Page(), {QLatin1String(textId), {}, MessageBoxButtons::kConfirm});
}

bool CMacroControlUI::HandleNotification(const TNotifyUI& msg) {
  QWidget* page = mouse_.Page();
  if (page == nullptr || msg.pSender == nullptr || !page->isAncestorOf(msg.pSender)) return false;
  const QString& name = msg.senderName;
  const auto is = [&name](const char* wanted) {
    return name.compare(QLatin1String(wanted), Qt::CaseInsensitive) == 0;
  };
  if (msg.sType == notify::kItemSelect && is(kNameList)) {
    SelectMacro(GetSelectedMacroIndex());
    return true;
  }
  if (msg.sType == notify::kItemSelect && is(kRecordSourceCombo)) {
    ShowRecordSource();
    return true;
  }
  if (msg.sType == notify::kKillFocus && is(kDelayEdit)) {
    SaveMacro();
    return true;
  }
  if (msg.sType != notify::kClick) return false;
  if (is(kStopButton)) {
    StopRecording();
    return true;
  }
  // A click that reaches the editor while recording came before the recording held the input.
  if (IsRecording()) return false;
  using Handler = void (CMacroControlUI::*)();
  const struct {
    const char* name;
    Handler handler;
  } kClicks[] = {
      {kAddButton, &CMacroControlUI::NewMacro},
      {kDeleteButton, &CMacroControlUI::DeleteMacro},
      {kRenameButton, &CMacroControlUI::RenameMacro},
      {kExportButton, &CMacroControlUI::ExportMacro},
      {kImportButton, &CMacroControlUI::ImportMacro},
      {kSaveButton, &CMacroControlUI::SaveMacro},
      {kCancelButton, &CMacroControlUI::ReloadMacro},
      {kUpButton, &CMacroControlUI::MoveUp},
      {kDownButton, &CMacroControlUI::MoveDown},
      {kTopButton, &CMacroControlUI::MoveToTop},
      {kBottomButton, &CMacroControlUI::MoveToBottom},
      {kDeleteEventButton, &CMacroControlUI::DeleteEvent},
      {kDeleteAllButton, &CMacroControlUI::DeleteAllEvents},
      {kRecordButton, &CMacroControlUI::StartRecording},
  };
  for (const auto& click : kClicks) {
    if (is(click.name)) {
      (this->*click.handler)();
      return true;
    }
  }
  const struct {
    const char* button;
    int type;
    bool down;
    const char* edit;
  } kMoves[] = {
      {kMoveLeftButton, macro_event_type::kHorizontalMove, true, kMoveLeftEdit},
      {kMoveRightButton, macro_event_type::kHorizontalMove, false, kMoveRightEdit},
      {kMoveUpButton, macro_event_type::kVerticalMove, true, kMoveUpEdit},
      {kMoveDownButton, macro_event_type::kVerticalMove, false, kMoveDownEdit},
  };
  for (const auto& move : kMoves) {
    if (is(move.button)) {
      InsertMove(move.type, move.down, move.edit);
      return true;
    }
  }
  return false;
}

}  // namespace nimbel
