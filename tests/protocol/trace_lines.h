#pragma once

// Collects the trace lines written while it lives, from any thread.

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/trace.h"

namespace nimbel::protocol_test {

class TraceLines {
 public:
  std::vector<std::string> Lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
  ScopedTraceCapture capture_{[this](std::string_view line) {
    std::lock_guard lock(mutex_);
    lines_.emplace_back(line);
  }};
};

}  // namespace nimbel::protocol_test
