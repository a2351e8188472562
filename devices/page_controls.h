#pragma once

// The controls of a device page that show the device's keys and LEDs, and the builder that gives a page
// skin these classes.

#include <QPushButton>
#include <QWidget>

#include "devices/light_effects.h"
#include "ui/skin_loader.h"

namespace nimbel {

// A key or LED cell over the device picture. An LED cell shows the colour the lighting preview gives it,
// as strong as the LED's intensity.
class CDeviceKeyButtonUI : public QPushButton {
  Q_OBJECT

 public:
  static constexpr const char* kClassName = "CDeviceKeyButtonUI";
  using QPushButton::QPushButton;

  // Repaints only when the entry differs from the one shown.
  void SetLed(const LedEntry& entry);
  LedEntry Led() const { return led_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  LedEntry led_;
};

// The panel that holds a page's key and LED cells.
class CSelectPanelUI : public QWidget {
  Q_OBJECT

 public:
  static constexpr const char* kClassName = "CSelectPanelUI";
  using QWidget::QWidget;
};

// Creates the page classes above for a page skin, after the control factory had its say, so that an
// application that registers its own versions keeps them.
class DevicePageBuilder final : public IDialogBuilderCallback {
 public:
  QWidget* CreateControl(const QString& tagName, QWidget* parent) override;
};

}  // namespace nimbel
