#pragma once

// The shooting-pattern editor of a mouse page: four patterns (one per weapon option) of thirty bullets,
// each a left click followed by a horizontal and a vertical pull and the wait before the next shot. Every
// edit goes to the pattern's file at once; "save" sends the four patterns to the mouse.

#include <QObject>
#include <QString>
#include <functional>

#include "editors/device_profile_ui.h"
#include "profiles/shoot_pattern.h"
#include "ui/notify_pump.h"

namespace nimbel {

class CVelquorMouseDevice;

namespace shoot_control {
inline constexpr const char* kPanel = "ShootControlItem";
inline constexpr const char* kPatternOption = "shoot_gun_op_";
inline constexpr const char* kPictureSwitch = "shoot_image_display_switch";
inline constexpr const char* kPathView = "shoot_path_view_";
inline constexpr const char* kBulletOption = "bullet_op_";
inline constexpr const char* kBulletIndex = "bullet_select_index";
inline constexpr const char* kPreviousBullet = "bullet_selected_prev";
inline constexpr const char* kNextBullet = "bullet_selected_next";
inline constexpr const char* kHorizontalSwitch = "bullet_x_check";
inline constexpr const char* kVerticalSwitch = "bullet_y_check";
inline constexpr const char* kHorizontalEdit = "bullet_x_eidt";
inline constexpr const char* kVerticalEdit = "bullet_y_eidt";
inline constexpr const char* kDelayEdit = "bullet_delay_eidt";
inline constexpr const char* kImportButton = "shootdate_import_btn";
inline constexpr const char* kExportButton = "shootdate_export_btn";
inline constexpr const char* kResetButton = "shootdate_reset_btn";
inline constexpr const char* kSaveButton = "shootdate_save_btn";
inline constexpr const char* kEditorLayout = "bullet_edit_layout";
}  // namespace shoot_control

// The boxes and file dialogs the editor opens. Tests answer them without a user.
using ShootDialogs = FileDialogs;
// The skin's message box and the desktop's file dialogs with the filter "Shoot Files(*.shoot)".
ShootDialogs DesktopShootDialogs();

// The language text ids of the four patterns' names, which the key panel's pattern list shows.
QStringList ShootPatternNameIds();

class CShootControlUI : public QObject {
 public:
  // The page's container of the editor and the skin file it is built from.
  static constexpr const char* kContainerClass = "ShootKeySetControlUI";
  static constexpr const char* kSkinFile = "XML/CustomControlXML/ShootControl.ui";

  enum class Axis { kHorizontal, kVertical };

  CShootControlUI(CVelquorMouseDevice& mouse, ShootDialogs dialogs);

  // Once the page is built: a page without the editor leaves it inert. Unreadable pattern files become
  // their factory copies; pattern 1, bullet 1 is shown.
  void BindControls();
  bool HandleNotification(const TNotifyUI& msg);

  void SelectPattern(int pattern);
  void SelectBullet(int bullet);
  // -1 or +1; the first and the last bullet stay where they are.
  void StepBullet(int step);
  void ShowBullet();
  void SaveBullet();
  void UpdateAxisText(Axis axis);
  void ResetPattern(int pattern);
  void ImportPattern(const QString& path);
  void ExportPattern(const QString& path);
  // The four patterns to the mouse, with what is being typed saved first.
  void WritePatterns();

  int CurrentPattern() const { return pattern_; }
  int CurrentBullet() const { return bullet_; }

 private:
  QWidget* Panel() const;
  // An edit typed into but not yet left is saved before the bullet, the pattern or the file changes.
  void SavePendingEdit();
  void Report(ShootFileResult result);
  void ShowMessage(const char* textId);

  CVelquorMouseDevice& mouse_;
  ShootDialogs dialogs_;
  bool bound_ = false;
  int pattern_ = 0;
  int bullet_ = 0;
  bool editPending_ = false;
};

}  // namespace nimbel
