#pragma once

#include <QColor>
#include <QWidget>

namespace nimbel {

// The colour palette: a field of hue (across) by saturation (down) beside a bar of value (brightness).
// Both parts take the mouse and the keyboard (arrows, Shift for larger steps; Page Up/Down on the bar).
// A drag reports "movecolorchanged" as it goes and one "colorchanged" when it ends, so that a listener
// can keep the expensive work (saving) for the colour the user settles on.
class CColorPaletteUI : public QWidget {
 public:
  static constexpr const char* kClassName = "CColorPaletteUI";

  explicit CColorPaletteUI(QWidget* parent = nullptr);

  // Shows a colour without notifying. A grey keeps the hue (and black the saturation) the palette had,
  // so moving the value back up returns to the colour the user was working on.
  void SelectColour(QColor colour);
  // The palette's colour, opaque.
  QColor Colour() const;

 private:
  class Surface;
  class Field;
  class ValueBar;

  // Sets the colour from the parts and tells the listeners; `settled` picks the notification.
  void Pick(float hue, float saturation, float value, bool settled);

  float hue_ = 0.0F;
  float saturation_ = 1.0F;
  float value_ = 1.0F;
  QWidget* field_ = nullptr;
  QWidget* valueBar_ = nullptr;
};

}  // namespace nimbel
