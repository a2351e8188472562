#pragma once

// The macro editor of a mouse page: the kind's macro library (new, rename, delete, import, export) and
// the events of the selected macro, each with its delay, which the user moves, deletes and inserts mouse
// buttons and moves into. Every edit is saved to the macro's file at once. What it changes in the library
// reaches the key panel's macro list and the mouse through the owner's `libraryChanged`.

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "editors/device_profile_ui.h"
#include "editors/macro_recorder.h"
#include "platform/input_capture.h"
#include "profiles/macro_library.h"
#include "ui/notify_pump.h"

class QComboBox;
class QListWidget;

namespace nimbel {

class CVelquorMouseDevice;

namespace macro_control {
inline constexpr const char* kNameList = "macro_name_list";
inline constexpr const char* kNameEdit = "macro_edit_macroname";
inline constexpr const char* kAddButton = "macro_btn_name_add";
inline constexpr const char* kDeleteButton = "macro_btn_name_sub";
inline constexpr const char* kRenameButton = "macro_btn_name_edit";
inline constexpr const char* kExportButton = "macro_btn_export";
inline constexpr const char* kImportButton = "macro_btn_import";
inline constexpr const char* kEventList = "macro_action_list";
inline constexpr const char* kDelayEdit = "macro_delay";
inline constexpr const char* kUpButton = "macro_btn_up";
inline constexpr const char* kDownButton = "macro_btn_down";
inline constexpr const char* kTopButton = "macro_btn_uptop";
inline constexpr const char* kBottomButton = "macro_btn_downbottom";
inline constexpr const char* kDeleteEventButton = "macro_btn_delete";
inline constexpr const char* kDeleteAllButton = "macro_btn_deleteall";
inline constexpr const char* kSaveButton = "macro_btn_save";
inline constexpr const char* kCancelButton = "macro_btn_cancel";
inline constexpr const char* kInsertButton = "macro_btn_insert";
inline constexpr const char* kFixedDelayEdit = "macro_fixed_time_edit";
inline constexpr const char* kMoveLeftButton = "macro_inset_moveleftkey_btn";
inline constexpr const char* kMoveRightButton = "macro_inset_moverightkey_btn";
inline constexpr const char* kMoveUpButton = "macro_inset_moveupkey_btn";
inline constexpr const char* kMoveDownButton = "macro_inset_movedownkey_btn";
inline constexpr const char* kMoveLeftEdit = "mouse_x_left_edit";
inline constexpr const char* kMoveRightEdit = "mouse_x_right_edit";
inline constexpr const char* kMoveUpEdit = "mouse_y_up_edit";
inline constexpr const char* kMoveDownEdit = "mouse_y_down_edit";
inline constexpr const char* kRecordButton = "macro_btn_starredio";
inline constexpr const char* kStopButton = "macro_btn_stopredio";
inline constexpr const char* kRecordDelayCombo = "macro_record_delay_combo";
inline constexpr const char* kRecordPlaceCombo = "macro_record_place_combo";
inline constexpr const char* kRecordSourceLabel = "macro_record_source_label";
inline constexpr const char* kRecordSourceCombo = "macro_record_source_combo";
inline constexpr const char* kRecordSourceTitle = "macro_record_source_title";
inline constexpr const char* kLibraryCard = "macro_library_card";
inline constexpr const char* kActionLayout = "macro_action_layout";
inline constexpr const char* kMoveLayout = "mouse_move_layout";
}  // namespace macro_control

// The boxes and file dialogs the editor opens. Tests answer them without a user.
using MacroDialogs = FileDialogs;
// The skin's message box and the desktop's file dialogs with the filter "Macro Files(*.mac)".
MacroDialogs DesktopMacroDialogs();

// Where recording from every keyboard and mouse reads: the computer's input nodes by default; tests give
// nodes of their own.
struct SystemInputSource {
  std::function<std::vector<InputNode>()> open = OpenInputNodes;
  SystemInputCapture::GrabFunction grab;
};

class CMacroControlUI : public QObject {
  Q_OBJECT

 public:
  // A mouse button event the editor inserts; a click is a press and then a release.
  enum class MouseButtonEvent { kDown, kUp, kClick };

  CMacroControlUI(CVelquorMouseDevice& mouse, MacroDialogs dialogs, SystemInputSource systemInput = {});

  // Binds the mouse page's controls and shows the library.
  void Bind();
  bool HandleNotification(const TNotifyUI& msg);

  void LoadLibrary();
  void SelectMacro(int index);
  int GetSelectedMacroIndex() const;
  QStringList MacroNames() const;
  const std::vector<MacroEvent>& Events() const { return events_; }

  void NewMacro();
  void RenameMacro();
  void DeleteMacro();
  void ImportMacro();
  void ExportMacro();
  void SaveMacro();
  void ReloadMacro();
  void MoveUp();
  void MoveDown();
  void MoveToTop();
  void MoveToBottom();
  void DeleteEvent();
  void DeleteAllEvents();
  // `buttonBit` as the mouse-button table has it (0x01 left, 0x02 right, 0x04 middle, 0x10 forward,
  // 0x08 back); inserted after the selected event, at the top when none is.
  void InsertMouseEvent(int buttonBit, MouseButtonEvent event);
  // type 4 (horizontal) or 5 (vertical); down is left or up.
  void InsertMove(int type, bool down, const char* distanceEdit);

  // Recording from this program's window: every key and mouse button pressed while it has the focus
  // becomes an event, with the delay mode and at the place the recording options choose. The rest of the
  // page waits until Stop; a click on Stop is not recorded.
  void StartRecording();
  void StopRecording();
  bool IsRecording() const { return recorder_.has_value(); }

  // The library changed: the key panel's list and the mouse follow.
  Q_SIGNAL void LibraryChanged();

 private:
  void ShowEvents();
  // The rows' delays into the events; before the events change, never after.
  void ReadDelays();
  void StoreEvents();
  void SelectRow(int row);
  int SelectedRow() const;
  bool Insert(std::vector<MacroEvent> events);
  void EnableMacroControls(bool enabled);
  void Report(MacroResult result);
  // A new or imported macro, appended to the library: shown and selected, or why it was not added.
  void ShowAddedMacro(MacroResult result);
  bool Ask(const char* textId);
  std::uint16_t FixedDelay();
  QComboBox* NameList() const;
  QListWidget* EventList() const;
  void FillInsertMenu();

  bool eventFilter(QObject* watched, QEvent* event) override;
  bool RecordInput(QObject* watched, QEvent* event);
  void Recorded(bool added);
  void ShowRecording(bool recording);

  CVelquorMouseDevice& mouse_;
  MacroDialogs dialogs_;
  std::vector<MacroEvent> events_;
  // Every keyboard and mouse of the computer, when the user chose it and may read them.
  bool StartSystemCapture();
  void TakeSystemInput(const CapturedInput& input);
  void DropTrailingLeftClick();
  void ShowRecordSource();

  SystemInputSource systemInput_;
  std::optional<MacroRecorder> recorder_;
  QElapsedTimer recordClock_;
  bool systemInputReadable_ = false;
  bool rowsRefreshQueued_ = false;
  std::unique_ptr<SystemInputCapture> capture_;
  QTimer heartbeat_;
};

}  // namespace nimbel
