#pragma once

#include <QLineEdit>
#include <QString>

namespace nimbel {

// The DPI entry of a stage row: a left press makes it the active control and tells the window with a
// "click", in place of the edit's own press handling (which would place the cursor where the press
// landed; the whole value is selected instead, ready to be typed over). It takes digits only; Escape
// gives back the value the page last showed, and the window applies the text on Enter or focus loss.
class CDPIEditUI : public QLineEdit {
  Q_OBJECT

 public:
  static constexpr const char* kClassName = "CDPIEditUI";
  explicit CDPIEditUI(QWidget* parent = nullptr);

  // Makes skins that name the class get this control; a later registration by the application wins.
  static void Register();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // What the page last put into the box, as opposed to what the user typed.
  QString shownText_;
};

}  // namespace nimbel
