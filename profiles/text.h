#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace nimbel {

// Nimbel's strings are UTF-8 std::string throughout, JSON documents included. These convert at the few
// boundaries where UTF-16 text exists. Malformed input (a stray continuation byte, an overlong form, an
// unpaired surrogate, a cut-off sequence) becomes U+FFFD instead of being passed through or failing.
std::string ToUtf8(std::u16string_view text);
std::u16string FromUtf8(std::string_view text);

// True when the text is empty once white space (ASCII and Unicode spaces) is removed from both ends.
bool IsBlank(std::string_view text);

// The characters of UTF-8 text, not its bytes; a malformed byte counts as a character of its own.
std::size_t CharacterCount(std::string_view text);
// The text's first `count` characters, never cutting one in half.
std::string CutToCharacters(std::string_view text, std::size_t count);

// A control name that ends in an index, split at its last '_': "DPI_slider_3" gives prefix "DPI_slider_" and
// number 3. nullopt when the name has no '_', when anything but decimal digits (at least one) follows it,
// or when the number is beyond the int range: such a name carries no index, and reading it as index 0
// would let a stray name act on the first stage, option or key.
struct IndexedName {
  std::string prefix;
  int number = 0;
};
std::optional<IndexedName> SplitIndexedName(std::string_view name);

// The local time as "year_month_day_hour_minute_second_millisecond", month to second two digits wide and
// milliseconds three: the id of new profiles and macros.
std::string MakeTimeStampId();

// True for the form MakeTimeStampId gives, plus the "_<n>" suffixes that keep two ids of one millisecond
// apart. Such an id is only digits and underscores, so one read from a file can name no file outside
// the folder it is looked up in.
bool IsTimeStampId(std::string_view id);

}  // namespace nimbel
