#pragma once

// The device object: one per supported product, owner of the product's two channels, its identity, its
// software lighting, its worker threads and its page. The device classes (mouse, keyboard, mouse pad,
// headset) fill in what their products do.
//
// Threads. The UI thread creates, binds and edits the object and owns the page. The device worker runs
// every exchange sequence the UI asks for (reads, settings writes, the link wait), one after another in
// the order asked; the UI thread never waits on the device. A sequence works on copies and hands its
// result back to the UI thread, which alone changes what the UI reads. The lighting thread
// steps the light effect into the LightFrame at the effect's cadence; it never touches the page. One
// listening thread per open notification interface hands the device's notification values to the
// device class, which reaches the UI thread only through its event queue (PostToUi).
//
// Lighting. The lighting state (LightingPass) has one owner: the lighting thread while it runs, the UI
// thread otherwise. Every other party asks through the request mailbox (LightRequests): the UI's edits,
// the listener's reactive trigger. Each pass of the thread takes the pending requests, steps the
// effect on its own state without a lock, and publishes a copy of the frame under the frame lock,
// which is all the frame push and the other readers ever see. The thread sleeps until a request
// arrives, it is stopped, or the next output period is due; a still picture (static, off) has no due
// period at all.
//
// Frame push. SendLightFrame copies the frame to the page's LED cells. It runs on a timer of the page
// (FramePush, about 30 times a second) only while the page is on screen; while the page or the window
// is hidden there is no timer, and the lighting thread keeps stepping at the effect's cadence without
// waking more often than one output period. The device-side frame stream of the keyboard and headset
// classes will hang off the same push.

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "devices/device_interfaces.h"
#include "devices/device_worker.h"
#include "devices/frame_push.h"
#include "devices/light_effects.h"
#include "devices/light_requests.h"
#include "devices/lighting_pass.h"
#include "devices/notification_channel.h"
#include "devices/page_controls.h"
#include "platform/worker_thread.h"
#include "profiles/profile_records.h"
#include "protocol/command_channel.h"
#include "ui/message_window.h"

namespace nimbel {

class CVelquorUSBDevice : public IBindableDevice {
 public:
  static constexpr int kLightingStopBoundMs = 1000;
  // The lighting thread's pause while the command channel is closed.
  static constexpr int kClosedChannelSleepMs = 100;
  static constexpr int kInitialConnectionView = 1;

  CVelquorUSBDevice();
  ~CVelquorUSBDevice() override;
  CVelquorUSBDevice(const CVelquorUSBDevice&) = delete;
  CVelquorUSBDevice& operator=(const CVelquorUSBDevice&) = delete;

  // Page and lighting.
  virtual void BuildPage();
  virtual int ApplyProfileState() { return 0; }
  virtual void SendLightFrame();
  void SetLedValue(int index, std::uint32_t value);
  std::uint32_t GetLedValue(int index) const;

  // Device and profile.
  void SyncFromDevice() override {}
  void SyncFromProfile() override {}
  void PollPowerStatus() override {}
  void AwaitLink(const LinkWait& wait, std::function<void()> then) override;
  void CheckLink(std::function<void(bool linked)> then) override;
  void CancelDeviceWork() override;
  // Whether work queued on the device's worker has not yet come back to the UI thread.
  bool HasDeviceWork() const { return queuedWork_ > 0; }
  int IsLinked() override { return 1; }
  virtual int LoadProfileLists() { return 0; }
  virtual void RefreshPage() {}
  // Which tab of the page's function switches a connection view shows (a switch is a QStackedWidget or
  // a QTabWidget named "device_function_switch" / "device_key_function_switch").
  virtual void SetConnectionView(int view);
  virtual int GetConnectionView() const { return connectionView_; }

  virtual void LoadProfileFile() {}
  virtual void SaveProfile() {}
  virtual void SetLightTableIndex(int index) { lightTableIndex_ = index; }
  virtual int GetLightTableIndex() const { return lightTableIndex_; }

  // Binding.
  CommandChannel& Channel() override { return command_; }
  const NotificationChannel& Notifications() const { return notifications_; }
  const InterfaceRow& Identity() const override { return identity_; }
  void SetIdentity(const InterfaceRow& row) override;
  KindCode Kind() const { return kind_; }
  RoleCode Role() const { return role_; }
  bool OpenNotification(std::string_view path, KindCode kind) override;
  void CloseNotification(KindCode kind) override;

  // Host lighting control: while off, the frame is not pushed anywhere. Switching it on sends
  // EnableHostLighting to a keyboard by cable, the one product that must be told.
  void SetHostLighting(bool on);
  bool HostLighting() const { return hostLighting_.load(); }
  // Set by the main window around work that must not be interleaved with power polls.
  void SetBusy(bool busy) { busy_ = busy; }
  bool IsBusy() const { return busy_.load(); }

  // Catalogue values, set at creation.
  // Takes every value of kind row `kindRow` and its page row; false for an index outside the tables.
  bool ApplyCatalogueRows(int kindRow);
  void SetPageSkinName(std::string name) { pageSkinName_ = std::move(name); }
  const std::string& PageSkinName() const { return pageSkinName_; }
  void SetKeyButtonCount(std::size_t count);
  std::size_t KeyButtonCount() const { return keyButtons_.size(); }
  // Resizes the LED cells and the LightFrame; every entry cleared.
  void SetLedCount(std::size_t count);
  std::size_t LedCount() const { return ledControls_.size(); }
  void SetPowerIndicatorMode(std::int32_t mode) { powerIndicatorMode_ = mode; }
  std::int32_t PowerIndicatorMode() const override { return powerIndicatorMode_; }
  void SetKindRowIndex(std::int32_t index) { kindRowIndex_ = index; }
  std::int32_t KindRowIndex() const override { return kindRowIndex_; }
  void SetMouseOption(std::int32_t option) { mouseOption_ = option; }
  std::int32_t MouseOption() const { return mouseOption_; }
  void SetKindName(std::string name) { kindName_ = std::move(name); }
  const std::string& KindName() const { return kindName_; }
  void SetLightListName(std::string name) { lightListName_ = std::move(name); }
  const std::string& LightListName() const { return lightListName_; }

  // Bound controls; none is owned.
  void BindTabItem(ITabItem* tabItem) override { tabItem_ = tabItem; }
  ITabItem* TabItem() const override { return tabItem_; }
  void BindPowerDisplay(IPowerDisplay* display) override { powerDisplay_ = display; }
  IPowerDisplay* PowerDisplay() const { return powerDisplay_; }
  void BindProfileList(IProfileList* list) { profileList_ = list; }
  IProfileList* ProfileList() const { return profileList_; }
  void SetMainWindow(CMessageWindow* window) { mainWindow_ = window; }
  CMessageWindow* MainWindow() const { return mainWindow_; }

  // Builds the page from the page skin under `parent` and walks it (BuildPage); false when the skin
  // cannot be built. The page belongs to this object, wherever the main window places it.
  bool CreatePage(QWidget* parent);
  QWidget* Page() const override { return page_; }
  void CloseChildWindows() override;
  CDeviceKeyButtonUI* KeyButton(std::size_t index) const;
  CDeviceKeyButtonUI* LedControl(std::size_t index) const;
  // The last frame SendLightFrame pushed, three bytes per LED, each colour scaled by the intensity.
  std::span<const std::uint8_t> ScaledFrame() const { return scaledFrame_; }
  bool IsFramePushRunning() const { return framePush_ != nullptr && framePush_->IsRunning(); }

  // Threads.
  // Starts the lighting thread unless it runs; it steps while the command channel is open.
  void StartLighting();
  // True when the thread ended within its bound.
  bool StopLighting();
  bool IsLightingRunning() const { return lighting_.IsRunning(); }

  // The lighting as the last pass published it, for readers outside the lighting thread.
  EffectState GetEffectState() const;
  std::vector<LedEntry> GetLightFrame() const;
  // The parameters last asked for.
  LightParameters GetLightParameters() const;

  // Requests to the lighting, from the UI thread. While no lighting thread runs they take effect at once.
  void SetLightParameters(const LightParameters& parameters);
  void SetCustomEffectSteps(std::vector<LightEffectStep> steps);
  // From any thread: a button press for the reactive effect, drawn by the next pass.
  void TriggerReactiveLight() { lightRequests_.TriggerReactive(); }

 protected:
  // The device class's lighting; set before the lighting thread first starts.
  void SetLightClass(LightClass lightClass) { lightPass_.SetLightClass(lightClass); }

  // A notification value from the cable's or the receiver's interface, on that listening thread.
  virtual void HandleNotification(std::uint16_t value, bool throughReceiver) = 0;

  // Ends every thread; a device class calls it first in its destructor, since its threads call into
  // the class.
  void StopThreads();

  // Runs `work` on the device's worker behind the work queued before it, then `apply` with its result
  // on the UI thread. Cancelled work runs too and says so in its result (it sends nothing more), so that
  // `apply` always learns how it ended; both are dropped only when the object is destroyed first.
  template <typename Work, typename Apply>
  void RunOnWorker(Work work, Apply apply) {
    ++queuedWork_;
    worker_.Post(
        [this, work = std::move(work), apply = std::move(apply)](const DeviceWorker::CancelCheck& cancel) {
          auto result = std::make_shared<decltype(work(cancel))>(work(cancel));
          PostToUi([this, apply, result] {
            --queuedWork_;
            apply(*result);
          });
        });
  }

  // Runs `task` on the UI thread, later; dropped when the object is destroyed first.
  void PostToUi(std::function<void()> task);
  // Sends a window message to the main window, if one is set; on the UI thread.
  void SendToMainWindow(std::uint32_t message, std::intptr_t wParam, std::intptr_t lParam);

 private:
  void LightingLoop(Event& stop);
  void RunLightingPass(std::uint32_t nowMs, bool step);
  // The UI thread's part of the ownership rule: with no lighting thread, it applies its requests itself.
  void ApplyLightRequestsIfIdle();
  // On the worker: true when the wait ended by a link or by its bounds, false when it was cancelled.
  bool WaitForLink(const LinkWait& wait, const DeviceWorker::CancelCheck& cancel);
  QWidget* FindSwitch(QPointer<QWidget>& cached, const char* name);

  CommandChannel command_;
  // Its listening threads call HandleNotification, so they are stopped by StopThreads.
  NotificationChannel notifications_;

  InterfaceRow identity_{};
  KindCode kind_{};
  RoleCode role_{};

  std::int32_t powerIndicatorMode_ = 0;
  std::int32_t kindRowIndex_ = -1;
  std::int32_t lightTableIndex_ = 0;
  std::int32_t mouseOption_ = 0;
  std::string kindName_;
  std::string lightListName_;
  std::string pageSkinName_;

  ITabItem* tabItem_ = nullptr;
  IPowerDisplay* powerDisplay_ = nullptr;
  IProfileList* profileList_ = nullptr;
  QPointer<CMessageWindow> mainWindow_;
  QPointer<QWidget> page_;
  QPointer<CSelectPanelUI> selectPanel_;
  QPointer<QWidget> functionSwitch_;
  QPointer<QWidget> keyFunctionSwitch_;
  std::vector<QPointer<CDeviceKeyButtonUI>> keyButtons_;
  std::vector<QPointer<CDeviceKeyButtonUI>> ledControls_;

  LightRequests lightRequests_;
  LightingPass lightPass_;
  mutable std::mutex frameLock_;
  LightSnapshot published_;
  std::vector<std::uint8_t> scaledFrame_;

  int connectionView_ = kInitialConnectionView;
  std::atomic<bool> hostLighting_{true};
  std::atomic<bool> busy_{false};

  int queuedWork_ = 0;
  // Lives on the UI thread; queued tasks die with it.
  QObject uiContext_;
  std::unique_ptr<FramePush> framePush_;
  WorkerThread lighting_;
  DeviceWorker worker_;
};

}  // namespace nimbel
