#pragma once

// A pipe that stands for an input event node: what a test writes to it, the capture reads as the kernel's
// input events.

#include <gtest/gtest.h>
#include <linux/input.h>
#include <unistd.h>

#include <array>
#include <cstdint>

namespace nimbel::test_support {

class InputEventPipe {
 public:
  InputEventPipe() { EXPECT_EQ(pipe(ends_.data()), 0); }
  ~InputEventPipe() {
    CloseWriter();
    close(ends_[0]);
  }
  InputEventPipe(const InputEventPipe&) = delete;
  InputEventPipe& operator=(const InputEventPipe&) = delete;

  int Reader() const { return ends_[0]; }
  void Send(std::uint16_t type, std::uint16_t code, std::int32_t value, long timeMs) {
    input_event event{};
    event.input_event_sec = timeMs / 1000;
    event.input_event_usec = (timeMs % 1000) * 1000;
    event.type = type;
    event.code = code;
    event.value = value;
    ASSERT_EQ(write(ends_[1], &event, sizeof(event)), static_cast<ssize_t>(sizeof(event)));
  }
  // The node went away: the capture sees the end of its input.
  void CloseWriter() {
    if (ends_[1] >= 0) close(ends_[1]);
    ends_[1] = -1;
  }

 private:
  std::array<int, 2> ends_{-1, -1};
};

}  // namespace nimbel::test_support
