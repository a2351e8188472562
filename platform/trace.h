#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace nimbel {

// The diagnostic trace: short lines for thread starts and stops, notable events and hex dumps of every
// device exchange. It is written to stderr only when the environment has NIMBEL_TRACE=1, and costs one
// relaxed atomic load otherwise.
bool TraceEnabled();

// Writes one line (a newline is added unless the text already ends with one).
void Trace(std::string_view line);

// Formats up to 32 bytes as one dump line: groups of four bytes, three spaces after each of the first
// three groups and two after the later ones. Shorter input is zero-filled to 32 bytes.
std::string FormatTraceDumpLine(std::span<const std::uint8_t> bytes);

// Writes a 64-byte buffer as two dump lines (bytes 0-31, then 32-63).
void TraceDump(std::span<const std::uint8_t> bytes);

// Redirects the trace to a callback for as long as the object lives, whatever NIMBEL_TRACE says, so
// tests can read the lines a component writes. Not nestable.
class ScopedTraceCapture {
 public:
  explicit ScopedTraceCapture(std::function<void(std::string_view)> sink);
  ~ScopedTraceCapture();
  ScopedTraceCapture(const ScopedTraceCapture&) = delete;
  ScopedTraceCapture& operator=(const ScopedTraceCapture&) = delete;
};

}  // namespace nimbel
