#pragma once

// The mouse page's buttons: each slot's button ("key_" j) with its name, and beside it what the slot does
// now ("key_info_" j in "device_setkeyinfo_list"), described in the page's language.

#include <QPointer>
#include <QString>
#include <QWidget>
#include <span>

#include "protocol/key_codes.h"

namespace nimbel {

namespace mouse_keys_control {
inline constexpr const char* kKeyButton = "key_";
inline constexpr const char* kKeyInfoList = "device_setkeyinfo_list";
inline constexpr const char* kKeyInfoRow = "key_row_";
inline constexpr const char* kKeyInfo = "key_info_";
// A key button whose code differs from its default is drawn highlighted (this property is true).
inline constexpr const char* kChangedProperty = "changed";
// The button over the mouse picture that stands for the mouse's lighting.
inline constexpr const char* kLogo = "logo";
}  // namespace mouse_keys_control

// The words for a code: its text ids translated and joined with "+"; a macro code names its macro (or
// "unknown_macro_text" beyond the list); a code that has no description gives an empty text.
QString DescribeKeyCode(const AssignmentCode& code, std::span<const QString> macroNames);

enum class KeyButtonLook { kNormal, kChanged, kSelected };

class MouseKeysView {
 public:
  explicit MouseKeysView(QWidget* page) : page_(page) {}

  // Slot `slot`'s row: shown only when the mouse has the button; its description as the row's text and
  // the button's tool tip, its look.
  void ShowSlot(int slot, bool hasButton, const QString& description, KeyButtonLook look);
  // The logo's tool tip: the lighting and the name of its current mode (nothing after the heading when
  // the mode has no name).
  void ShowLightTip(const QString& modeName);

 private:
  QPointer<QWidget> page_;
};

}  // namespace nimbel
