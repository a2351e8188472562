#pragma once

// The mouse page's buttons together with its key assignment panel: a click on a button opens the panel
// on that slot, and what the panel builds is stored on the mouse object, which keeps the profile and the
// mouse's key table in step.

#include <QObject>
#include <functional>

#include "editors/device_profile_ui.h"
#include "editors/key_set_control_ui.h"
#include "ui/notify_pump.h"

namespace nimbel {

class CVelquorMouseDevice;

class MouseKeysEditor : public QObject {
  Q_OBJECT

 public:
  // Shows a box; true when it was confirmed. Tests answer without a user.
  using Confirm = std::function<bool(QWidget* parent, const ProfileMessage& message)>;

  MouseKeysEditor(CVelquorMouseDevice& mouse, Confirm confirm);

  // Binds the panel to the mouse's page; again after the page was rebuilt.
  void Bind();
  // Another profile is the mouse's: the panel starts from its factory values and shows the selected
  // button's assignment in that profile.
  void ProfileApplied();
  void LanguageChanged();
  // The notifications of the page's buttons and of its panel; true when it was theirs.
  bool HandleNotification(const TNotifyUI& msg);
  CKeySetControlUI& Panel() { return panel_; }

 private:
  void SelectKey(int slot);
  // Stores the panel's fields on the selected slot.
  void Save();
  void ShowDefault();
  void RestoreDefaults();
  bool HandleClick(const QString& name);
  bool HandleFieldChange(const TNotifyUI& msg);

  CVelquorMouseDevice& mouse_;
  Confirm confirm_;
  CKeySetControlUI panel_;
};

}  // namespace nimbel
