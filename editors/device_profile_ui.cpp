#include "editors/device_profile_ui.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMetaObject>
#include <QSignalBlocker>
#include <algorithm>
#include <cstddef>
#include <vector>

#include "editors/function_tabs.h"
#include "platform/folders.h"
#include "profiles/profile_paths.h"
#include "ui/control_factory.h"
#include "ui/find_control.h"
#include "ui/message_box.h"
#include "ui/notify_pump.h"
#include "ui/resource_manager.h"

namespace nimbel {
namespace {

constexpr const char* kComboName = "device_profile_combo";
constexpr const char* kNameFieldName = "device_profile_name_edit";
constexpr const char* kMenuName = "profile_menu_layout";

constexpr const char* kAddButton = "device_add_btn";
constexpr const char* kDeleteButton = "device_sub_btn";
constexpr const char* kCopyButton = "device_copy_btn";
constexpr const char* kExportButton = "device_export_btn";
constexpr const char* kImportButton = "device_import_btn";
constexpr const char* kResetButton = "device_reset_btn";
constexpr const char* kRenameButton = "device_profile_edit_save_btn";
constexpr const char* kSpreadButton = "profile_fun_spread_btn";

constexpr const char* kAskAdd = "message_text_27";
constexpr const char* kAskDelete = "profile_delete_named_text";
constexpr const char* kLastProfile = "profile_delete_last_text";
constexpr const char* kAskCopy = "message_text_26";
constexpr const char* kAskReset = "message_text_22";
constexpr const char* kImportTitle = "device_import_text";
constexpr const char* kExportTitle = "device_export_text";

// A language text for each value of an enum that the user is told about.
template <typename Key>
struct KeyText {
  Key key;
  const char* textId;
};

// The text of `key` in `table`, or nullptr when the table has none.
template <typename Key, std::size_t N>
const char* TextIdOf(const KeyText<Key> (&table)[N], Key key) {
  for (const KeyText<Key>& text : table) {
    if (text.key == key) return text.textId;
  }
  return nullptr;
}

// What the user is told when an operation did not do what was asked; success says nothing.
constexpr KeyText<ProfileListResult> kResultTexts[] = {
    {ProfileListResult::kDoneWithDefaults, "profile_import_defaults_text"},
    {ProfileListResult::kFull, "message_text_32"},
    {ProfileListResult::kNameInUse, "message_text_5"},
    {ProfileListResult::kNameBlank, "message_text_5_2"},
    {ProfileListResult::kNameTooLong, "profile_name_too_long_text"},
    {ProfileListResult::kNotAProfile, "profile_import_invalid_text"},
    {ProfileListResult::kOtherKind, "profile_import_other_kind_text"},
    {ProfileListResult::kTooLarge, "profile_import_too_large_text"},
    {ProfileListResult::kLastProfile, kLastProfile},
    {ProfileListResult::kSourceUnreadable, "profile_unreadable_text"},
    {ProfileListResult::kWriteFailed, "profile_write_failed_text"},
    {ProfileListResult::kExportFailed, "profile_export_failed_text"},
};

constexpr KeyText<WriteFailure> kFailureTexts[] = {
    {WriteFailure::kReadOnlyFile, "profile_write_read_only_text"},
    {WriteFailure::kLinkLeavesFolder, "profile_write_link_text"},
    {WriteFailure::kNotAFile, "profile_write_not_a_file_text"},
    {WriteFailure::kDiskFull, "profile_write_disk_full_text"},
};
constexpr const char* kWriteFailedText = "profile_write_failed_text";

constexpr KeyText<FileNoticeKind> kNoticeTexts[] = {
    {FileNoticeKind::kProfileRestored, "profile_damaged_restored_text"},
    {FileNoticeKind::kListRebuilt, "profile_list_rebuilt_text"},
    {FileNoticeKind::kStylesRestored, "audio_styles_restored_text"},
};

constexpr int kBaseDpi = 96;

std::vector<CDeviceProfileUI*>& LiveBars() {
  static std::vector<CDeviceProfileUI*> bars;
  return bars;
}

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

bool IsImported(ProfileListResult result) {
  return result == ProfileListResult::kDone || result == ProfileListResult::kDoneWithDefaults;
}

// Tab options are exclusive; turning the exclusivity off for the change lets every one of them be
// unselected, and the blocker keeps the change from reading as the user's choice.
void SetCheckedQuietly(QAbstractButton* button, bool checked) {
  if (button == nullptr || button->isChecked() == checked) return;
  const ScopedNotifyBlocker quiet;
  const bool exclusive = button->autoExclusive();
  button->setAutoExclusive(false);
  button->setChecked(checked);
  button->setAutoExclusive(exclusive);
}

QString SuggestedExportName(const QString& profileName) {
  QString name = profileName;
  name.replace(QLatin1Char('/'), QLatin1Char('_'));
  return QDir::home().filePath(name + ToQString(kProfileExportExtension));
}

}  // namespace

const char* WriteFailureTextId(WriteFailure failure) {
  const char* textId = TextIdOf(kFailureTexts, failure);
  return textId != nullptr ? textId : kWriteFailedText;
}

// A file path is one long word to the line breaker, which would run it past the box's edge; a zero-width
// space after each separator lets it wrap there.
QString Breakable(QString argument) {
  static constexpr char16_t kZeroWidthSpace = 0x200B;
  for (qsizetype i = argument.size() - 1; i >= 0; --i) {
    if (QStringView(u"/._-").contains(argument[i])) argument.insert(i + 1, QChar(kZeroWidthSpace));
  }
  return argument;
}

// One pass over the text, so that an argument holding "%2" (a file name may) is not filled in again.
QString FillArguments(const QString& text, const QStringList& arguments) {
  QString filled;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const int number = i + 1 < text.size() && text[i] == QLatin1Char('%') ? text[i + 1].digitValue() : -1;
    if (number >= 1 && number <= arguments.size()) {
      filled += Breakable(arguments[number - 1]);
      ++i;
    } else {
      filled += text[i];
    }
  }
  return filled;
}

FileDialogs DesktopFileDialogs(const char* filter, const char* importTitleId, const char* exportTitleId) {
  const QString files = QString::fromLatin1(filter);
  const QString importTitle = QString::fromLatin1(importTitleId);
  const QString exportTitle = QString::fromLatin1(exportTitleId);
  return {
      [](QWidget* parent, const ProfileMessage& message) {
        const int dpi = parent != nullptr ? parent->logicalDpiX() : kBaseDpi;
        // The box shows an id that has no language text as it is, so a filled-in text passes through.
        QString text = message.textId;
        if (!message.arguments.isEmpty())
          text = FillArguments(CResourceManager::Instance().Text(message.textId), message.arguments);
        return ShowMessageBox(parent, QString(), text, dpi, true, message.buttons) == 1;
      },
      [files, importTitle](QWidget* parent) {
        return QFileDialog::getOpenFileName(parent, CResourceManager::Instance().Text(importTitle), QString(),
                                            files);
      },
      [files, exportTitle](QWidget* parent, const QString& suggestedName) {
        return QFileDialog::getSaveFileName(parent, CResourceManager::Instance().Text(exportTitle),
                                            suggestedName, files);
      },
  };
}

ProfileDialogs DesktopProfileDialogs() {
  return DesktopFileDialogs(CDeviceProfileUI::kFileFilter, kImportTitle, kExportTitle);
}

void CDeviceProfileUI::Register() {
  CControlFactory::Instance().RegistControl(QString::fromLatin1(kClassName),
                                            [](QWidget* parent) { return new CDeviceProfileUI(parent); });
}

CDeviceProfileUI::CDeviceProfileUI(QWidget* parent) : QWidget(parent), dialogs_(DesktopProfileDialogs()) {
  LiveBars().push_back(this);
  static const bool listening = [] {
    SetFileNoticeListener(&CDeviceProfileUI::ScheduleFileNotices);
    return true;
  }();
  (void)listening;
  ScheduleFileNotices();
}

CDeviceProfileUI::~CDeviceProfileUI() {
  std::vector<CDeviceProfileUI*>& bars = LiveBars();
  bars.erase(std::remove(bars.begin(), bars.end(), this), bars.end());
}

void CDeviceProfileUI::SetProfileFolders(std::string listFolder, std::string factoryProfilePath) {
  listFolder_ = std::move(listFolder);
  factoryProfilePath_ = std::move(factoryProfilePath);
}

void CDeviceProfileUI::SetDeviceKind(KindCode kind) {
  kind_ = kind;
}

void CDeviceProfileUI::InitProfileList() {
  list_ = std::make_unique<CProfileList>(listFolder_, factoryProfilePath_, kind_);
  ProfileListResult result = list_->Init();
  const int stored = list_->StoredSelection();
  FillCombo(stored);
  // Stored again so that an index the file held outside the list is corrected there too.
  if (list_->Select(stored) == ProfileListResult::kWriteFailed) result = ProfileListResult::kWriteFailed;
  ShowKindTabs();
  Report(result);
}

void CDeviceProfileUI::ReloadProfileList() {
  if (list_ == nullptr) return;
  list_->Reload();
  const int stored = list_->StoredSelection();
  FillCombo(stored);
  SelectProfile(stored, false);
}

void CDeviceProfileUI::SelectProfile(int index, bool fireEvent) {
  QComboBox* combo = Combo();
  if (combo == nullptr || list_ == nullptr || index < 0 || index >= combo->count()) return;
  {
    const QSignalBlocker blocker(combo);
    combo->setCurrentIndex(index);
  }
  RestoreNameField();
  Report(list_->Select(index));
  if (fireEvent) CNotifyPump::SendNotify(combo, notify::kItemSelect, index);
}

int CDeviceProfileUI::GetSelectedIndex() const {
  const QComboBox* combo = Combo();
  return combo != nullptr ? combo->currentIndex() : -1;
}

int CDeviceProfileUI::GetProfileCount() {
  if (list_ == nullptr) return 0;
  list_->Reload();
  return static_cast<int>(list_->Count());
}

std::string CDeviceProfileUI::GetProfilePathAt(int index) const {
  if (list_ == nullptr || index < 0 || static_cast<std::size_t>(index) >= list_->Count()) return {};
  return list_->ProfilePath(list_->Entries()[static_cast<std::size_t>(index)].id);
}

std::string CDeviceProfileUI::GetSelectedProfileId() {
  return list_ != nullptr ? list_->SelectedId() : std::string();
}

QString CDeviceProfileUI::GetEditedName() const {
  const QLineEdit* field = NameField();
  return field != nullptr ? field->text() : QString();
}

void CDeviceProfileUI::RestoreNameField() {
  QLineEdit* field = NameField();
  const QComboBox* combo = Combo();
  if (field == nullptr || combo == nullptr) return;
  const QSignalBlocker blocker(field);
  field->setText(combo->currentText());
}

ProfileListResult CDeviceProfileUI::NewProfile() {
  if (list_ == nullptr || GetSelectedIndex() < 0) return ProfileListResult::kNoSelection;
  const ProfileListResult result = list_->Create();
  FillCombo(GetSelectedIndex());
  return result;
}

ProfileListResult CDeviceProfileUI::CopyProfile() {
  if (list_ == nullptr) return ProfileListResult::kNoSelection;
  const ProfileListResult result = list_->Copy(GetSelectedIndex());
  FillCombo(GetSelectedIndex());
  return result;
}

ProfileListResult CDeviceProfileUI::DeleteProfile() {
  if (list_ == nullptr) return ProfileListResult::kNoSelection;
  const CProfileList::DeleteOutcome outcome = list_->Delete(GetSelectedIndex());
  if (outcome.result == ProfileListResult::kDone) FillCombo(outcome.selection);
  return outcome.result;
}

ProfileListResult CDeviceProfileUI::ResetProfile() {
  if (list_ == nullptr) return ProfileListResult::kNoSelection;
  return list_->Reset(GetSelectedIndex());
}

ProfileListResult CDeviceProfileUI::RenameProfile(const QString& name) {
  if (list_ == nullptr) return ProfileListResult::kNoSelection;
  const int selected = GetSelectedIndex();
  const ProfileListResult result = list_->Rename(selected, name.toStdString());
  FillCombo(selected);
  return result;
}

ProfileListResult CDeviceProfileUI::ImportProfile(const QString& path) {
  if (list_ == nullptr || GetSelectedIndex() < 0) return ProfileListResult::kNoSelection;
  const ProfileListResult result = list_->Import(path.toStdString());
  FillCombo(GetSelectedIndex());
  return result;
}

ProfileListResult CDeviceProfileUI::ExportProfile(const QString& path) {
  if (list_ == nullptr) return ProfileListResult::kNoSelection;
  return list_->Export(GetSelectedIndex(), path.toStdString());
}

void CDeviceProfileUI::SelectTab(int number) {
  const bool known = std::any_of(std::begin(kFunctionTabs), std::end(kFunctionTabs),
                                 [number](const FunctionTab& tab) { return tab.number == number; });
  for (const FunctionTab& tab : kFunctionTabs) {
    if (!known && tab.name == kTabKeptOnUnknownNumber) continue;
    SetCheckedQuietly(qobject_cast<QAbstractButton*>(FindAround(tab.name)), known && tab.number == number);
  }
}

bool CDeviceProfileUI::IsMenuShown() const {
  const QWidget* menu = Menu();
  return menu != nullptr && !menu->isHidden();
}

void CDeviceProfileUI::ShowMenu(bool show) {
  if (QWidget* menu = Menu()) menu->setVisible(show);
  SetCheckedQuietly(SpreadButton(), show);
}

bool CDeviceProfileUI::HandleNotification(const TNotifyUI& msg) {
  // Every device page has a bar with these names; only this bar's own controls are its business.
  if (msg.pSender == nullptr || !isAncestorOf(msg.pSender)) return false;
  const QString& name = msg.senderName;
  if (msg.sType == notify::kClick) {
    using Handler = void (CDeviceProfileUI::*)();
    const struct {
      const char* name;
      Handler handler;
    } kClicks[] = {
        {kAddButton, &CDeviceProfileUI::OnAdd},
        {kDeleteButton, &CDeviceProfileUI::OnDelete},
        {kCopyButton, &CDeviceProfileUI::OnCopy},
        {kExportButton, &CDeviceProfileUI::OnExport},
        {kImportButton, &CDeviceProfileUI::OnImport},
        {kResetButton, &CDeviceProfileUI::OnReset},
        {kRenameButton, &CDeviceProfileUI::OnRenameCommit},
        {kSpreadButton, &CDeviceProfileUI::OnSpread},
    };
    for (const auto& click : kClicks) {
      if (name == QLatin1String(click.name)) {
        (this->*click.handler)();
        return true;
      }
    }
    return false;
  }
  if (msg.sType == notify::kItemSelect && name == QLatin1String(kComboName)) {
    RestoreNameField();
    // A later choice replaces the pending one and starts the wait again.
    SetTimer(this, kProfileSwitchTimer, kProfileSwitchDelayMs);
    return true;
  }
  // The name field commits on Return or when it loses focus with a changed name.
  if (msg.sType == notify::kKillFocus && name == QLatin1String(kNameFieldName)) {
    const QComboBox* combo = Combo();
    if (combo != nullptr && GetEditedName() != combo->currentText()) OnRenameCommit();
    return true;
  }
  return false;
}

void CDeviceProfileUI::ApplySelection() {
  const int selected = GetSelectedIndex();
  if (selected < 0 || list_ == nullptr) return;
  SelectProfile(selected, false);
  if (target_ != nullptr) target_->ApplyProfile(*this);
}

void CDeviceProfileUI::OnTimer(int id) {
  if (id != kProfileSwitchTimer) return;
  KillTimer(this, id);
  ApplySelection();
}

QComboBox* CDeviceProfileUI::Combo() const {
  if (combo_ == nullptr)
    combo_ = FindControl<QComboBox>(const_cast<CDeviceProfileUI*>(this), QLatin1String(kComboName));
  return combo_;
}

QLineEdit* CDeviceProfileUI::NameField() const {
  if (nameField_ == nullptr)
    nameField_ = FindControl<QLineEdit>(const_cast<CDeviceProfileUI*>(this), QLatin1String(kNameFieldName));
  return nameField_;
}

QWidget* CDeviceProfileUI::Menu() const {
  if (menu_ == nullptr) menu_ = FindControl(const_cast<CDeviceProfileUI*>(this), QLatin1String(kMenuName));
  return menu_;
}

QAbstractButton* CDeviceProfileUI::SpreadButton() const {
  if (spreadButton_ == nullptr)
    spreadButton_ =
        FindControl<QAbstractButton>(const_cast<CDeviceProfileUI*>(this), QLatin1String(kSpreadButton));
  return spreadButton_;
}

QWidget* CDeviceProfileUI::FindAround(std::string_view name) const {
  const QString wanted = ToQString(name);
  for (const QWidget* level = this; level != nullptr; level = level->parentWidget()) {
    if (auto* found = level->findChild<QWidget*>(wanted)) return found;
  }
  return nullptr;
}

void CDeviceProfileUI::FillCombo(int selection) {
  QComboBox* combo = Combo();
  if (combo == nullptr || list_ == nullptr) return;
  {
    const QSignalBlocker blocker(combo);
    combo->clear();
    for (const ProfileEntry& entry : list_->Entries()) combo->addItem(ToQString(entry.name));
    combo->setCurrentIndex(std::clamp(selection, 0, combo->count() - 1));
  }
  RestoreNameField();
  if (listShown_) listShown_();
}

void CDeviceProfileUI::ShowKindTabs() {
  for (const TabVisibility& tab : TabRowOfKind(kind_)) {
    if (QWidget* widget = FindAround(tab.name)) widget->setVisible(tab.visible);
  }
}

void CDeviceProfileUI::NotifyPeers() {
  // Copied: a peer's apply may build or drop pages.
  const std::vector<CDeviceProfileUI*> bars = LiveBars();
  for (CDeviceProfileUI* bar : bars) {
    if (bar != this && bar->list_ != nullptr && bar->listFolder_ == listFolder_) bar->FollowPeerChange();
  }
}

void CDeviceProfileUI::FollowPeerChange() {
  const std::string selectedId = list_->SelectedId();
  list_->Reload();
  const std::vector<ProfileEntry>& entries = list_->Entries();
  const auto kept = std::find_if(entries.begin(), entries.end(),
                                 [&](const ProfileEntry& entry) { return entry.id == selectedId; });
  if (kept != entries.end()) {
    FillCombo(static_cast<int>(kept - entries.begin()));
    return;
  }
  // The profile this page's device uses is gone: it takes the list's selection instead of writing on
  // into a deleted file.
  FillCombo(list_->StoredSelection());
  ApplySelection();
}

void CDeviceProfileUI::OnAdd() {
  if (!Confirm({QString::fromLatin1(kAskAdd), {}, MessageBoxButtons::kConfirmCancel})) return;
  const ProfileListResult result = NewProfile();
  Report(result);
  if (result == ProfileListResult::kDone) NotifyPeers();
}

void CDeviceProfileUI::OnCopy() {
  if (!Confirm({QString::fromLatin1(kAskCopy), {}, MessageBoxButtons::kConfirmCancel})) return;
  const ProfileListResult result = CopyProfile();
  Report(result);
  if (result == ProfileListResult::kDone) NotifyPeers();
}

void CDeviceProfileUI::OnDelete() {
  const QComboBox* combo = Combo();
  if (list_ == nullptr || combo == nullptr || GetSelectedIndex() < 0) return;
  // The last profile is never deleted: the user hears why instead of being asked.
  if (list_->Count() < 2) {
    Report(ProfileListResult::kLastProfile);
    return;
  }
  if (!Confirm(
          {QString::fromLatin1(kAskDelete), {combo->currentText()}, MessageBoxButtons::kCancelByDefault}))
    return;
  const ProfileListResult result = DeleteProfile();
  Report(result);
  if (result != ProfileListResult::kDone) return;
  if (target_ != nullptr) target_->ApplyProfile(*this);
  NotifyPeers();
}

void CDeviceProfileUI::OnReset() {
  if (!Confirm({QString::fromLatin1(kAskReset), {}, MessageBoxButtons::kConfirmCancel})) return;
  const ProfileListResult result = ResetProfile();
  Report(result);
  if (result == ProfileListResult::kDone && target_ != nullptr) target_->ProfileReset(*this);
}

void CDeviceProfileUI::OnImport() {
  if (!dialogs_.chooseImportFile) return;
  const QString path = dialogs_.chooseImportFile(window());
  if (path.isEmpty()) return;
  const ProfileListResult result = ImportProfile(path);
  Report(result);
  // Only a profile that was added is switched to; a refused file leaves the device as it was.
  if (!IsImported(result)) return;
  SelectProfile(static_cast<int>(list_->Count()) - 1, false);
  if (target_ != nullptr) target_->ApplyProfile(*this);
  NotifyPeers();
}

void CDeviceProfileUI::OnExport() {
  const QComboBox* combo = Combo();
  if (!dialogs_.chooseExportFile || combo == nullptr || GetSelectedIndex() < 0) return;
  const QString path = dialogs_.chooseExportFile(window(), SuggestedExportName(combo->currentText()));
  if (path.isEmpty()) return;
  Report(ExportProfile(path));
}

void CDeviceProfileUI::OnRenameCommit() {
  const QString name = GetEditedName();
  if (name.isEmpty()) {
    RestoreNameField();
    return;
  }
  const ProfileListResult result = RenameProfile(name);
  if (result == ProfileListResult::kDone) {
    NotifyPeers();
    return;
  }
  Report(result);
  RestoreNameField();
}

void CDeviceProfileUI::OnSpread() {
  ShowMenu(!IsMenuShown());
}

bool CDeviceProfileUI::Confirm(ProfileMessage message) {
  return dialogs_.showMessage && dialogs_.showMessage(window(), message);
}

void CDeviceProfileUI::Report(ProfileListResult result) {
  if (!dialogs_.showMessage) return;
  if (result == ProfileListResult::kWriteFailed && list_ != nullptr) {
    dialogs_.showMessage(window(), {QString::fromLatin1(WriteFailureTextId(list_->LastWriteFailure())),
                                    {},
                                    MessageBoxButtons::kConfirm});
    return;
  }
  if (const char* textId = TextIdOf(kResultTexts, result))
    dialogs_.showMessage(window(), {QString::fromLatin1(textId), {}, MessageBoxButtons::kConfirm});
}

void CDeviceProfileUI::ScheduleFileNotices() {
  // A notice posted while the program is shutting down finds no event loop and waits in the queue.
  if (QCoreApplication* application = QCoreApplication::instance())
    QMetaObject::invokeMethod(application, &CDeviceProfileUI::ShowFileNotices, Qt::QueuedConnection);
}

void CDeviceProfileUI::ShowFileNotices() {
  if (LiveBars().empty()) return;
  // The bar is looked up again for each notice: a box runs the event loop, which may close pages.
  for (const FileNotice& notice : TakeFileNotices()) {
    if (LiveBars().empty()) return;
    LiveBars().front()->ShowFileNotice(notice);
  }
}

void CDeviceProfileUI::ShowFileNotice(const FileNotice& notice) {
  if (!dialogs_.showMessage) return;
  const char* textId = TextIdOf(kNoticeTexts, notice.kind);
  if (textId == nullptr) return;
  const QString keptAs = notice.keptAs.empty() ? ToQString(notice.file) : ToQString(notice.keptAs);
  dialogs_.showMessage(window(), {QString::fromLatin1(textId),
                                  {ToQString(notice.file), keptAs, QString::number(notice.count)},
                                  MessageBoxButtons::kConfirm});
}

CDeviceProfileUI* SetUpProfileBar(QWidget* page, std::string_view kindFolder, KindCode kind,
                                  IProfileApplyTarget* target) {
  auto* bar = page != nullptr ? page->findChild<CDeviceProfileUI*>() : nullptr;
  if (bar == nullptr) return nullptr;
  bar->SetProfileFolders(DeviceDataFolder(kindFolder), DefaultProfileFile(kindFolder));
  bar->SetDeviceKind(kind);
  bar->SetApplyTarget(target);
  bar->InitProfileList();
  bar->SelectTab(CableKindOf(kind) == KindCode::MouseCable ? kMouseFirstTab : kOtherKindsFirstTab);
  return bar;
}

}  // namespace nimbel
