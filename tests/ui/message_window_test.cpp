#include "ui/message_window.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>
#include <QThread>
#include <atomic>
#include <thread>
#include <vector>

#include "platform/event.h"

namespace nimbel {
namespace {

constexpr int kFailureBoundMs = 10000;
constexpr std::uint32_t kDeviceArrivedMessage = 3090;
constexpr std::uint32_t kLinkStateMessage = 3331;

class RecordingWindow : public CMessageWindow {
 public:
  std::intptr_t HandleWindowMessage(std::uint32_t message, std::intptr_t wParam, std::intptr_t lParam,
                                    bool& handled) override {
    handled = true;
    onUiThread = onUiThread && QThread::currentThread() == QCoreApplication::instance()->thread();
    received.push_back({message, wParam, lParam});
    return static_cast<std::intptr_t>(message) + wParam;
  }
  struct Message {
    std::uint32_t message;
    std::intptr_t wParam;
    std::intptr_t lParam;
    bool operator==(const Message&) const = default;
  };
  std::vector<Message> received;
  bool onUiThread = true;
};

TEST(MessageWindow, ASendFromAWorkerIsHandledOnTheUiThreadAndReturnsTheResult) {
  RecordingWindow window;
  Event stop(Event::ResetMode::kManual);
  std::optional<std::intptr_t> result;
  std::atomic<bool> done{false};
  std::thread worker([&] {
    result = SendMessage(&window, kDeviceArrivedMessage, 4, 0, &stop);
    done = true;
  });
  EXPECT_TRUE(QTest::qWaitFor([&] { return done.load(); }, kFailureBoundMs));
  worker.join();
  EXPECT_EQ(result, std::optional<std::intptr_t>(3094));
  EXPECT_TRUE(window.onUiThread);
  EXPECT_EQ(window.received.size(), 1u);
}

TEST(MessageWindow, ACancelledSendReturnsWhileTheUiThreadIsBusyAndIsNeverHandled) {
  RecordingWindow window;
  Event stop(Event::ResetMode::kManual);
  std::optional<std::intptr_t> result = 1;
  // This thread does not run its event loop until the worker has returned, like a UI thread that joins
  // the worker during shutdown.
  std::thread worker([&] { result = SendMessage(&window, kDeviceArrivedMessage, 0, 0, &stop); });
  stop.Set();
  worker.join();
  EXPECT_EQ(result, std::nullopt);
  QCoreApplication::processEvents();
  EXPECT_TRUE(window.received.empty());
}

TEST(MessageWindow, PostsArriveInOrderAndSendsOnTheUiThreadAreDirect) {
  RecordingWindow window;
  std::thread worker([&] {
    for (std::intptr_t tab = 0; tab < 3; ++tab) PostMessage(&window, kLinkStateMessage, tab, tab % 2);
  });
  worker.join();
  EXPECT_TRUE(window.received.empty());
  EXPECT_TRUE(QTest::qWaitFor([&] { return window.received.size() == 3; }, kFailureBoundMs));
  EXPECT_EQ(window.received,
            (std::vector<RecordingWindow::Message>{
                {kLinkStateMessage, 0, 0}, {kLinkStateMessage, 1, 1}, {kLinkStateMessage, 2, 0}}));
  EXPECT_EQ(SendMessage(&window, 3333, 1, 0), std::optional<std::intptr_t>(3334));
  EXPECT_FALSE(PostMessage(nullptr, 3333, 0, 0));
  EXPECT_EQ(SendMessage(nullptr, 3333, 0, 0), std::nullopt);
}

}  // namespace
}  // namespace nimbel
