// Input: a macro file the user imports, or one a hand edit left in the library. Parsing may refuse it but
// never crashes, and whatever it accepts is a macro the mouse can store and that reads back the same.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "profiles/json_file.h"
#include "profiles/macro_library.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Json::Value document =
      nimbel::ParseJsonText(std::string_view(reinterpret_cast<const char*>(data), size));
  const auto events = nimbel::ParseMacroEvents(document);
  if (!events) return 0;
  nimbel::fuzz::Check(events->size() <= nimbel::kMaxMacroEvents);
  for (const nimbel::MacroEvent& event : *events)
    nimbel::fuzz::Check(event.button >= 0 && event.button <= 255);
  nimbel::fuzz::Check(nimbel::ParseMacroEvents(nimbel::MacroDocument("m", "g", *events)) == events);
  return 0;
}
