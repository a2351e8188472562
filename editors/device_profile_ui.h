#pragma once

// The profile bar of a device page: the drop-down of the kind's profiles, the name field, and the drawer
// with new, copy, delete, import, export and reset. It keeps the drop-down and the list file in step
// (CProfileList does the file work), asks before it changes anything, tells the user in words what could
// not be done, and tells the main window when the device has to take another profile. The first bar
// also shows the file notices of the profiles layer (a damaged file kept aside and what replaced it).

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "devices/device_interfaces.h"
#include "profiles/file_io.h"
#include "profiles/file_notices.h"
#include "profiles/profile_list.h"
#include "ui/control_timer.h"
#include "ui/message_box.h"

class QAbstractButton;
class QComboBox;
class QLineEdit;

namespace nimbel {

class CDeviceProfileUI;
struct TNotifyUI;

// The device of a profile list, as the list asks it to follow. UI thread only.
class IProfileApplyTarget {
 public:
  virtual ~IProfileApplyTarget() = default;
  // The device takes the list's selected profile now (GetSelectedProfileId): it loads the file,
  // refreshes its page and writes its settings to the device.
  virtual void ApplyProfile(CDeviceProfileUI& list) = 0;
  // The selected profile's file was replaced by the factory profile: as ApplyProfile, and everything
  // else a reset restores (the palette's collected colours, the audio-lighting styles).
  virtual void ProfileReset(CDeviceProfileUI& list) = 0;
};

// A box the profile bar shows: language text `textId` with `arguments` put into its %1, %2, …
struct ProfileMessage {
  QString textId;
  QStringList arguments;
  MessageBoxButtons buttons = MessageBoxButtons::kConfirm;
};

// The windows the profile bar and the editors open. Tests answer them without a user.
struct FileDialogs {
  // True when the box was confirmed.
  std::function<bool(QWidget* parent, const ProfileMessage& message)> showMessage;
  // The file to import; empty when cancelled.
  std::function<QString(QWidget* parent)> chooseImportFile;
  // Where to export, offered `suggestedName`; empty when cancelled.
  std::function<QString(QWidget* parent, const QString& suggestedName)> chooseExportFile;
};
using ProfileDialogs = FileDialogs;
// The skin's message box and the desktop's file dialogs with `filter`, titled by language text ids.
FileDialogs DesktopFileDialogs(const char* filter, const char* importTitleId, const char* exportTitleId);
// The same with the filter "Profile Files(*.json)".
ProfileDialogs DesktopProfileDialogs();

// The language text that says why a save failed.
const char* WriteFailureTextId(WriteFailure failure);

class CDeviceProfileUI : public QWidget, public IProfileList, public ITimerTarget {
  Q_OBJECT

 public:
  static constexpr const char* kClassName = "CDeviceProfileUI";
  // Started by each choice in the drop-down; the device takes the profile when it expires, so that
  // stepping through the list reloads the device only once the user has stopped.
  static constexpr int kProfileSwitchTimer = 1055;
  static constexpr int kProfileSwitchDelayMs = 400;
  static constexpr const char* kSkinFile = "XML/CustomControlXML/DeviceProfile.ui";
  static constexpr const char* kFileFilter = "Profile Files(*.json)";

  // Makes skins that declare the class build this one.
  static void Register();

  explicit CDeviceProfileUI(QWidget* parent = nullptr);
  ~CDeviceProfileUI() override;
  CDeviceProfileUI(const CDeviceProfileUI&) = delete;
  CDeviceProfileUI& operator=(const CDeviceProfileUI&) = delete;

  // Set up by whoever builds the device's page, in this order, then InitProfileList.
  void SetProfileFolders(std::string listFolder, std::string factoryProfilePath);
  void SetDeviceKind(KindCode kind);
  void SetApplyTarget(IProfileApplyTarget* target) { target_ = target; }
  void SetDialogs(ProfileDialogs dialogs) { dialogs_ = std::move(dialogs); }
  // Called whenever the list as shown changed: a profile added, copied, renamed, deleted, imported, or
  // changed by another bar. Empty: nobody listens.
  void SetListShown(std::function<void()> shown) { listShown_ = std::move(shown); }
  // Reads (or first makes) the list, fills the drop-down, selects the stored profile and shows the
  // kind's tabs. A folder that cannot be written is reported.
  void InitProfileList();

  // Re-reads the list and selects the stored profile.
  void ReloadProfileList();
  // Selects entry `index` in the drop-down and the list file; with `fireEvent` the drop-down reports it
  // as the user's choice.
  void SelectProfile(int index, bool fireEvent);
  // The drop-down's selection, -1 when none.
  int GetSelectedIndex() const;
  // Re-reads the list file.
  int GetProfileCount();
  // The file of entry `index` in the list last read by GetProfileCount; empty outside the list.
  std::string GetProfilePathAt(int index) const;
  std::string GetSelectedProfileId() override;
  QString GetEditedName() const;
  // Puts the selected profile's name back into the name field.
  void RestoreNameField();

  // The list operations on the drop-down's selection; the drop-down follows. No questions asked.
  ProfileListResult NewProfile();
  ProfileListResult CopyProfile();
  ProfileListResult DeleteProfile();
  ProfileListResult ResetProfile();
  ProfileListResult RenameProfile(const QString& name);
  ProfileListResult ImportProfile(const QString& path);
  ProfileListResult ExportProfile(const QString& path);

  // Selects function tab `number` without an event (see kFunctionTabs).
  void SelectTab(int number);
  bool IsMenuShown() const;
  void ShowMenu(bool show);

  // The main window's routing of the bar's controls: the buttons, the drop-down's choice, the name
  // field's commit. Each asks, acts, reports and tells the apply target. True when the notification was
  // one of this bar's.
  bool HandleNotification(const TNotifyUI& msg);
  // The profile switch once the drop-down has rested: store the selection, the device takes it.
  void ApplySelection();
  // kProfileSwitchTimer expired.
  void OnTimer(int id) override;

  const CProfileList* List() const { return list_.get(); }

 private:
  // The children are found on first use: the skin builds them after the control itself.
  QComboBox* Combo() const;
  QLineEdit* NameField() const;
  QWidget* Menu() const;
  QAbstractButton* SpreadButton() const;
  // The nearest widget named `name` around this bar: the page's and then the window's tab row.
  QWidget* FindAround(std::string_view name) const;

  void FillCombo(int selection);
  void ShowKindTabs();
  // Other bars on the same list (the two mouse pages) follow a change made here.
  void NotifyPeers();
  void FollowPeerChange();

  void OnAdd();
  void OnCopy();
  void OnDelete();
  void OnReset();
  void OnImport();
  void OnExport();
  void OnRenameCommit();
  void OnSpread();
  bool Confirm(ProfileMessage message);
  // The box for a result that the user must hear about; nothing for success.
  void Report(ProfileListResult result);
  // Shows, once, what the profiles layer found damaged and restored (see file_notices.h), from the event
  // loop: notices are often posted while a page is being built, and a box opened there would run its own
  // loop inside start-up. Posting may happen on any thread.
  static void ScheduleFileNotices();
  static void ShowFileNotices();
  void ShowFileNotice(const FileNotice& notice);

  std::string listFolder_;
  std::string factoryProfilePath_;
  KindCode kind_ = KindCode::MouseCable;
  std::unique_ptr<CProfileList> list_;
  IProfileApplyTarget* target_ = nullptr;
  std::function<void()> listShown_;
  ProfileDialogs dialogs_;
  mutable QPointer<QComboBox> combo_;
  mutable QPointer<QLineEdit> nameField_;
  mutable QPointer<QWidget> menu_;
  mutable QPointer<QAbstractButton> spreadButton_;
};

// Sets up the profile bar of a freshly built device page: its folders from the kind's data folder and
// factory profile, its kind, its apply target, the list, and the page's first tab. nullptr when the page
// has no profile bar.
CDeviceProfileUI* SetUpProfileBar(QWidget* page, std::string_view kindFolder, KindCode kind,
                                  IProfileApplyTarget* target);

}  // namespace nimbel
