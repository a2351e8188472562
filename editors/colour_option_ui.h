#pragma once

#include <QPushButton>
#include <QRgb>
#include <optional>

namespace nimbel {

// One colour option of the palette dialog: a checkable swatch that draws its colour, or an empty slot
// (dashed outline) when it holds none. Checked options carry the accent ring; keyboard focus a lighter
// ring (buttons take focus by Tab only, so a ring always means the keyboard).
class CColorOptionUI : public QPushButton {
 public:
  static constexpr const char* kClassName = "CColorOptionUI";

  explicit CColorOptionUI(QWidget* parent = nullptr);

  // nullopt shows an empty slot.
  void SetSwatch(std::optional<QRgb> colour);
  std::optional<QRgb> Swatch() const { return colour_; }

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::optional<QRgb> colour_;
};

}  // namespace nimbel
