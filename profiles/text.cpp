#include "profiles/text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <ctime>

namespace nimbel {
namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kHighSurrogateFirst = 0xD800;
constexpr char32_t kLowSurrogateFirst = 0xDC00;
constexpr char32_t kSurrogateEnd = 0xE000;
constexpr char32_t kFirstSupplementary = 0x10000;

struct Decoded {
  char32_t codePoint;
  std::size_t length;
};

// One code point from position i; a malformed sequence gives U+FFFD for its longest valid-looking prefix
// (at least one byte), so one bad sequence costs one replacement character.
Decoded DecodeUtf8(std::string_view text, std::size_t i) {
  const auto lead = static_cast<std::uint8_t>(text[i]);
  if (lead < 0x80) return {lead, 1};
  int continuation = 0;
  char32_t codePoint = 0;
  // The second byte's range rules out overlong forms, surrogates and values past U+10FFFF.
  std::uint8_t low = 0x80;
  std::uint8_t high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    continuation = 1;
    codePoint = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    continuation = 2;
    codePoint = lead & 0x0Fu;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    continuation = 3;
    codePoint = lead & 0x07u;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return {kReplacement, 1};
  }
  std::size_t length = 1;
  for (int k = 0; k < continuation; ++k) {
    if (i + length >= text.size()) return {kReplacement, length};
    const auto next = static_cast<std::uint8_t>(text[i + length]);
    if (next < low || next > high) return {kReplacement, length};
    codePoint = codePoint << 6 | (next & 0x3Fu);
    ++length;
    low = 0x80;
    high = 0xBF;
  }
  return {codePoint, length};
}

void AppendUtf8(std::string& out, char32_t codePoint) {
  if (codePoint < 0x80) {
    out.push_back(static_cast<char>(codePoint));
  } else if (codePoint < 0x800) {
    out.push_back(static_cast<char>(0xC0 | codePoint >> 6));
    out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  } else if (codePoint < kFirstSupplementary) {
    out.push_back(static_cast<char>(0xE0 | codePoint >> 12));
    out.push_back(static_cast<char>(0x80 | (codePoint >> 6 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | codePoint >> 18));
    out.push_back(static_cast<char>(0x80 | (codePoint >> 12 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (codePoint >> 6 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  }
}

bool IsHighSurrogate(char32_t unit) {
  return unit >= kHighSurrogateFirst && unit < kLowSurrogateFirst;
}
bool IsLowSurrogate(char32_t unit) {
  return unit >= kLowSurrogateFirst && unit < kSurrogateEnd;
}

bool IsWhiteSpace(char32_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
         c == 0x3000;
}

bool IsContinuationByte(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

}  // namespace

std::string ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char32_t unit = text[i];
    if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      AppendUtf8(out, kFirstSupplementary + ((unit - kHighSurrogateFirst) << 10) +
                          (text[i + 1] - kLowSurrogateFirst));
      ++i;
    } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
      AppendUtf8(out, kReplacement);
    } else {
      AppendUtf8(out, unit);
    }
  }
  return out;
}

std::u16string FromUtf8(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const Decoded decoded = DecodeUtf8(text, i);
    i += decoded.length;
    if (decoded.codePoint < kFirstSupplementary) {
      out.push_back(static_cast<char16_t>(decoded.codePoint));
    } else {
      const char32_t offset = decoded.codePoint - kFirstSupplementary;
      out.push_back(static_cast<char16_t>(kHighSurrogateFirst + (offset >> 10)));
      out.push_back(static_cast<char16_t>(kLowSurrogateFirst + (offset & 0x3FF)));
    }
  }
  return out;
}

bool IsBlank(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const Decoded decoded = DecodeUtf8(text, i);
    if (!IsWhiteSpace(decoded.codePoint)) return false;
    i += decoded.length;
  }
  return true;
}

std::size_t CharacterCount(std::string_view text) {
  return static_cast<std::size_t>(std::ranges::count_if(text, [](char c) { return !IsContinuationByte(c); }));
}

std::string CutToCharacters(std::string_view text, std::size_t count) {
  std::size_t seen = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (IsContinuationByte(text[i])) continue;
    if (seen == count) return std::string(text.substr(0, i));
    ++seen;
  }
  return std::string(text);
}

std::optional<IndexedName> SplitIndexedName(std::string_view name) {
  const std::size_t underscore = name.rfind('_');
  if (underscore == std::string_view::npos) return std::nullopt;
  const std::string_view digits = name.substr(underscore + 1);
  if (digits.empty() || !std::ranges::all_of(digits, [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  int number = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  if (error != std::errc{}) return std::nullopt;
  return IndexedName{std::string(name.substr(0, underscore + 1)), number};
}

std::string MakeTimeStampId() {
  using std::chrono::system_clock;
  const system_clock::time_point now = system_clock::now();
  const std::time_t seconds = system_clock::to_time_t(now);
  const auto milliseconds =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm local{};
  localtime_r(&seconds, &local);
  char text[200];
  std::snprintf(text, sizeof text, "%d_%02d_%02d_%02d_%02d_%02d_%03d", local.tm_year + 1900, local.tm_mon + 1,
                local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(milliseconds));
  return text;
}

namespace {

// The digit groups of a time-stamp id: year (any width), month, day, hour, minute, second, millisecond.
constexpr std::array<std::size_t, 7> kIdGroupWidths = {0, 2, 2, 2, 2, 2, 3};
constexpr char kIdSeparator = '_';

bool AllDigits(std::string_view text) {
  return !text.empty() && std::ranges::all_of(text, [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

bool IsTimeStampId(std::string_view id) {
  std::size_t group = 0;
  for (std::size_t start = 0;; ++group) {
    const std::size_t end = std::min(id.find(kIdSeparator, start), id.size());
    const std::string_view digits = id.substr(start, end - start);
    const bool extra = group >= kIdGroupWidths.size();
    if (!AllDigits(digits) || group > kIdGroupWidths.size()) return false;
    if (!extra && kIdGroupWidths[group] != 0 && digits.size() != kIdGroupWidths[group]) return false;
    if (end == id.size()) return group + 1 >= kIdGroupWidths.size();
    start = end + 1;
  }
}

}  // namespace nimbel
