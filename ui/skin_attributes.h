#pragma once

#include <QString>
#include <optional>

class QWidget;

namespace nimbel {

// Image and colour attributes in the program's own forms, kept as dynamic properties of the widget and
// drawn through a style sheet of the widget's own:
//   images  "file='power/WIFI_down.png'" (further DuiLib keys such as source= or corner= are ignored; a bare
//           file name is accepted too). A .png whose .svg twin exists in the skin is drawn from the .svg.
//   colours "0xFF06FF00" or "#FF06FF00" (ARGB; six digits mean opaque).
// Images: bkimage is the background, normal/hot/pushed/selected/disabled images are the looks of the
// states (normal, hover, pressed, checked, disabled; the later one wins when two apply), foreimage is
// drawn centred on top. The style sheet the skin file gave the widget is kept in front of these rules.
enum class SkinAttribute {
  kBkImage,
  kNormalImage,
  kHotImage,
  kPushedImage,
  kSelectedImage,
  kDisabledImage,
  kForeImage,
  kBkColor,
  kTextColor,
};

// The property name of an attribute ("bkimage", "textcolor", ...).
const char* SkinAttributeName(SkinAttribute attribute);

// Stores the attribute and redraws the widget with it; an empty value removes it.
void SetSkinAttribute(QWidget* widget, SkinAttribute attribute, const QString& value);

// The attribute exactly as it was stored (empty when unset).
QString GetSkinAttribute(const QWidget* widget, SkinAttribute attribute);

// Rebuilds the widget's style sheet from its attribute properties (the loader does this for every
// widget it creates).
void ApplySkinAttributes(QWidget* widget);
void ApplySkinAttributesTree(QWidget* root);

// The skin-relative image file an attribute value names, after the .svg preference; nullopt for values
// without a usable file (empty, or climbing out of the skin folder).
std::optional<QString> SkinImageFile(const QString& attributeValue);

// "0xAARRGGBB" -> "rgba(r, g, b, a)"; nullopt for anything else.
std::optional<QString> SkinColourToCss(const QString& attributeValue);

inline void SetBkImage(QWidget* w, const QString& v) {
  SetSkinAttribute(w, SkinAttribute::kBkImage, v);
}
inline void SetNormalImage(QWidget* w, const QString& v) {
  SetSkinAttribute(w, SkinAttribute::kNormalImage, v);
}
inline void SetHotImage(QWidget* w, const QString& v) {
  SetSkinAttribute(w, SkinAttribute::kHotImage, v);
}
inline void SetPushedImage(QWidget* w, const QString& v) {
  SetSkinAttribute(w, SkinAttribute::kPushedImage, v);
}
inline void SetSelectedImage(QWidget* w, const QString& v) {
  SetSkinAttribute(w, SkinAttribute::kSelectedImage, v);
}
inline void SetDisabledImage(QWidget* w, const QString& v) {
  SetSkinAttribute(w, SkinAttribute::kDisabledImage, v);
}
inline void SetForeImage(QWidget* w, const QString& v) {
  SetSkinAttribute(w, SkinAttribute::kForeImage, v);
}
inline void SetBkColor(QWidget* w, const QString& v) {
  SetSkinAttribute(w, SkinAttribute::kBkColor, v);
}
inline void SetTextColor(QWidget* w, const QString& v) {
  SetSkinAttribute(w, SkinAttribute::kTextColor, v);
}

inline QString GetBkImage(const QWidget* w) {
  return GetSkinAttribute(w, SkinAttribute::kBkImage);
}
inline QString GetNormalImage(const QWidget* w) {
  return GetSkinAttribute(w, SkinAttribute::kNormalImage);
}
inline QString GetSelectedImage(const QWidget* w) {
  return GetSkinAttribute(w, SkinAttribute::kSelectedImage);
}
inline QString GetForeImage(const QWidget* w) {
  return GetSkinAttribute(w, SkinAttribute::kForeImage);
}

}  // namespace nimbel
