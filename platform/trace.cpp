#include "platform/trace.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace nimbel {
namespace {

std::mutex& SinkMutex() {
  static std::mutex mutex;
  return mutex;
}

std::function<void(std::string_view)>& CaptureSink() {
  static std::function<void(std::string_view)> sink;
  return sink;
}

std::atomic<bool> captureActive{false};

bool EnvironmentAsksForTrace() {
  static const bool enabled = [] {
    const char* value = std::getenv("NIMBEL_TRACE");
    return value != nullptr && std::strcmp(value, "1") == 0;
  }();
  return enabled;
}

}  // namespace

bool TraceEnabled() {
  return captureActive.load(std::memory_order_relaxed) || EnvironmentAsksForTrace();
}

void Trace(std::string_view line) {
  if (!TraceEnabled()) return;
  std::string text(line);
  if (text.empty() || text.back() != '\n') text.push_back('\n');
  std::lock_guard lock(SinkMutex());
  if (captureActive.load(std::memory_order_relaxed)) {
    CaptureSink()(text);
    return;
  }
  std::fwrite(text.data(), 1, text.size(), stderr);
}

std::string FormatTraceDumpLine(std::span<const std::uint8_t> bytes) {
  std::string line;
  line.reserve(32 * 3 + 8);
  for (std::size_t i = 0; i < 32; ++i) {
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02x", i < bytes.size() ? bytes[i] : 0);
    line += hex;
    if (i == 31) break;
    if (i % 4 != 3) {
      line += ' ';
    } else {
      line += i < 12 ? "   " : "  ";
    }
  }
  return line;
}

void TraceDump(std::span<const std::uint8_t> bytes) {
  if (!TraceEnabled()) return;
  Trace(FormatTraceDumpLine(bytes.subspan(0, std::min<std::size_t>(bytes.size(), 32))));
  Trace(FormatTraceDumpLine(bytes.size() > 32 ? bytes.subspan(32) : std::span<const std::uint8_t>{}));
}

ScopedTraceCapture::ScopedTraceCapture(std::function<void(std::string_view)> sink) {
  std::lock_guard lock(SinkMutex());
  CaptureSink() = std::move(sink);
  captureActive.store(true);
}

ScopedTraceCapture::~ScopedTraceCapture() {
  std::lock_guard lock(SinkMutex());
  captureActive.store(false);
  CaptureSink() = nullptr;
}

}  // namespace nimbel
