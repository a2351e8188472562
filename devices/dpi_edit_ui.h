#pragma once

#include <QLineEdit>

namespace nimbel {

// The DPI entry of a stage row: a left press makes it the active control and tells the window with a
// "click", in place of the edit's own press handling (which would place the cursor where the press
// landed; the whole value is selected instead, ready to be typed over).
class CDPIEditUI : public QLineEdit {
  Q_OBJECT

 public:
  static constexpr const char* kClassName = "CDPIEditUI";
  using QLineEdit::QLineEdit;

  // Makes skins that name the class get this control; a later registration by the application wins.
  static void Register();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
};

}  // namespace nimbel
