#include "platform/input_capture.h"

#include <gtest/gtest.h>
#include <linux/input.h>

#include <array>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "tests/support/input_event_pipe.h"

namespace nimbel {
namespace {

using namespace std::chrono_literals;

// What the capture did: the inputs it delivered, its grabs, and whether it ended by itself.
class Record {
 public:
  void Add(const CapturedInput& input) {
    std::lock_guard lock(mutex_);
    inputs_.push_back(input);
    changed_.notify_all();
  }
  bool Grab(int fd, bool on) {
    std::lock_guard lock(mutex_);
    grabs_.emplace_back(fd, on);
    return fd != refusedFd;
  }
  void End() {
    std::lock_guard lock(mutex_);
    ended_ = true;
    changed_.notify_all();
  }
  // Waits for a condition of the record; false when it does not hold within a failure bound.
  bool WaitFor(const std::function<bool()>& done) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, 10s, done);
  }
  std::size_t InputCount() const { return inputs_.size(); }
  bool Ended() const { return ended_; }
  std::vector<CapturedInput> Inputs() {
    std::lock_guard lock(mutex_);
    return inputs_;
  }
  std::vector<std::pair<int, bool>> Grabs() {
    std::lock_guard lock(mutex_);
    return grabs_;
  }
  int refusedFd = -1;

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<CapturedInput> inputs_;
  std::vector<std::pair<int, bool>> grabs_;
  bool ended_ = false;
};

class InputCaptureTest : public testing::Test {
 protected:
  // The capture owns the descriptors it is given: copies of the pipes' reading ends, the keyboard's named
  // keyboardFd_ for the grabs.
  std::unique_ptr<SystemInputCapture> Capture(std::chrono::milliseconds watchdog = 10s) {
    keyboardFd_ = dup(keyboard_.Reader());
    return std::make_unique<SystemInputCapture>(
        std::vector<InputNode>{{keyboardFd_, true, "keyboard"}, {dup(mouse_.Reader()), false, "mouse"}},
        [this](const CapturedInput& input) { record_.Add(input); }, [this] { record_.End(); },
        [this](int fd, bool on) { return record_.Grab(fd, on); }, watchdog);
  }
  test_support::InputEventPipe keyboard_;
  test_support::InputEventPipe mouse_;
  int keyboardFd_ = -1;
  Record record_;
};

TEST_F(InputCaptureTest, KeysAndButtonsArriveWithTheirTimesAndOnlyTheKeyboardIsGrabbedUntilStop) {
  auto capture = Capture();
  ASSERT_TRUE(capture->Start());
  EXPECT_TRUE(capture->IsGrabbing());
  keyboard_.Send(EV_KEY, KEY_A, 1, 1000);
  keyboard_.Send(EV_SYN, SYN_REPORT, 0, 1000);
  keyboard_.Send(EV_KEY, KEY_A, 2, 1250);  // the keyboard's repeat
  keyboard_.Send(EV_KEY, KEY_A, 0, 1300);
  mouse_.Send(EV_REL, REL_X, 5, 1310);
  mouse_.Send(EV_KEY, BTN_SIDE, 1, 1400);
  ASSERT_TRUE(record_.WaitFor([&] { return record_.InputCount() == 3; }));
  const std::vector<CapturedInput> inputs = record_.Inputs();
  using Kind = CapturedInput::Kind;
  EXPECT_EQ(inputs[0].kind, Kind::kKey);
  EXPECT_EQ(inputs[0].code, KEY_A);
  EXPECT_TRUE(inputs[0].down);
  EXPECT_EQ(inputs[0].timeMs, 1000u);
  EXPECT_FALSE(inputs[1].down);
  EXPECT_EQ(inputs[1].timeMs, 1300u);
  EXPECT_EQ(inputs[2].kind, Kind::kMouseButton);
  EXPECT_EQ(inputs[2].code, BTN_SIDE);

  capture->Stop();
  EXPECT_FALSE(capture->IsGrabbing());
  EXPECT_EQ(record_.Grabs(), (std::vector<std::pair<int, bool>>{{keyboardFd_, true}, {keyboardFd_, false}}));
  EXPECT_FALSE(record_.Ended());
}

TEST_F(InputCaptureTest, ANodeThatFailsReleasesTheGrabAndEndsTheCapture) {
  auto capture = Capture();
  ASSERT_TRUE(capture->Start());
  mouse_.CloseWriter();  // the device went away
  ASSERT_TRUE(record_.WaitFor([&] { return record_.Ended(); }));
  EXPECT_FALSE(capture->IsGrabbing());
  EXPECT_EQ(record_.Grabs().back(), std::make_pair(keyboardFd_, false));
}

TEST_F(InputCaptureTest, WithoutTheUiThreadsHeartbeatTheWatchdogReleasesTheGrab) {
  auto capture = Capture(50ms);
  ASSERT_TRUE(capture->Start());
  ASSERT_TRUE(record_.WaitFor([&] { return record_.Ended(); }));
  EXPECT_FALSE(capture->IsGrabbing());
  EXPECT_EQ(record_.Grabs().back(), std::make_pair(keyboardFd_, false));
}

TEST_F(InputCaptureTest, AKeyboardThatCannotBeGrabbedStartsNothing) {
  auto capture = Capture();
  record_.refusedFd = keyboardFd_;
  EXPECT_FALSE(capture->Start());
  EXPECT_FALSE(capture->IsGrabbing());
  keyboard_.Send(EV_KEY, KEY_A, 1, 10);
  capture.reset();
  EXPECT_EQ(record_.Inputs().size(), 0u);
}

}  // namespace
}  // namespace nimbel
