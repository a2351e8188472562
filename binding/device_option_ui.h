#pragma once

// A device's entry in the device selector: its icon and name, the option that selects its page, the
// check box that puts it into lighting synchronisation, and the timers that keep a bound device alive:
// the first read of its settings (bind), the re-read a device asks for, the power poll and the watch of
// the wireless link.

#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>
#include <vector>

#include "devices/device_interfaces.h"
#include "ui/control_timer.h"

class QAbstractButton;
class QLabel;

namespace nimbel {

class CDeviceOptionUI : public QWidget, public ITabItem, public ITimerTarget {
  Q_OBJECT

 public:
  static constexpr const char* kClassName = "CDeviceOptionUI";
  // The skin of every tab item.
  static constexpr const char* kSkinFile = "XML/CustomControlXML/DeviceOption.ui";

  // Makes skins that declare the class build this one.
  static void Register();

  explicit CDeviceOptionUI(QWidget* parent = nullptr);
  ~CDeviceOptionUI() override;

  QString GetClass() const { return QStringLiteral("DeviceOption"); }

  void BindDevice(IBindableDevice* device) { device_ = device; }
  IBindableDevice* Device() const { return device_; }

  // The icon set of a kind and role; a mouse pad that is neither hard (0) nor soft (1) keeps its set.
  void SetIcons(int kind, int role);
  // A language text id shows its translation (and follows language changes); anything else is shown as
  // it is.
  void SetName(const QString& text);
  const QString& Name() const { return name_; }
  // The name as the tab shows it now: in the current language, with its number.
  QString ShownName() const;
  // Tells this tab from others of the same name: 1, 2, ... after the name; 0 shows the name alone.
  void SetNumber(int number);
  // Selecting the option shows page `index` of the stacked layout named `layoutName`.
  void BindPage(const QString& layoutName, int index);
  void SetPowerSlot(const QString& containerName, int index);
  // At most one option of a group is selected; the selected one cannot be unselected by the user.
  void SetGroup(const QString& name);
  void ShowSyncOption(bool show);
  void SetSynchronised(bool on);

  bool IsSynchronised() const;
  bool IsSelected() const;
  void Select(bool on);
  int GetKind() const { return kind_; }
  int GetRole() const { return role_; }
  QString GetPageLayout() const { return boundLayout_; }
  int GetPageIndex() const { return boundIndex_; }
  QString GetPowerContainer() const { return powerContainer_; }
  int GetPowerIndex() const { return powerIndex_; }
  bool IsShown() const { return shown_; }
  void SetVisible(bool on);
  int LinkRetries() const { return linkRetries_; }
  void StartBindTimer();
  // Sends the tab item's own "selectchanged".
  void Activate();

  // The four image names in use: normal, selected, synchronised normal, synchronised selected.
  const std::array<QString, 4>& Images() const { return images_; }

  void StartTimer(int id, int periodMs) override;
  void StopTimer(int id) override;
  void OnTimer(int id) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Found on first use: the skin builds the children after the item itself.
  QAbstractButton* SelectOption() const;
  QAbstractButton* SyncOption() const;
  QLabel* NameLabel() const;
  void WireSelectOption();
  void ApplyImagePair();
  void ShowBoundPage();
  void UnselectGroupPeers();

  // The receiver link is asked on the device's worker; the answer continues the timer's work.
  void CheckLink(void (CDeviceOptionUI::*onAnswer)(bool linked));
  void OnBindTimer();
  void OnBindLinkAnswer(bool linked);
  void FinishBind();
  void OnPowerTimer();
  void OnLinkWatchTimer();
  void OnWatchedLinkAnswer(bool linked);
  bool HasPowerIndicator() const;
  void SendLinkState(std::intptr_t state);

  IBindableDevice* device_ = nullptr;
  int kind_ = 0;
  int role_ = 0;
  mutable QPointer<QAbstractButton> selectOption_;
  mutable QPointer<QAbstractButton> syncOption_;
  mutable QPointer<QLabel> nameLabel_;
  bool wired_ = false;
  std::array<QString, 4> images_;
  QString powerContainer_;
  int powerIndex_ = -1;
  QString boundLayout_;
  int boundIndex_ = -1;
  bool shown_ = true;
  int linkRetries_ = 0;
  QString group_;
  QString name_;
};

// The tab items of a selector container, in the order they are laid out: the order of their indices.
std::vector<CDeviceOptionUI*> DeviceTabItems(const QWidget* container);

}  // namespace nimbel
