#pragma once

#include <cstdint>
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

// A control name split at its last '_': "DPI_slider_3" gives prefix "DPI_slider_" and number 3. The
// number is the value of the decimal digits after the '_' (an optional sign first); no digits give 0 and
// a value beyond the int range is clamped. ok is false, and the rest empty, when there is no '_'.
struct IndexedName {
  std::string prefix;
  int number = 0;
  bool ok = false;
};
IndexedName SplitIndexedName(std::string_view name);

// The local time as "year_month_day_hour_minute_second_millisecond", month to second two digits wide and
// milliseconds three: the id of new profiles and macros.
std::string MakeTimeStampId();

}  // namespace nimbel
