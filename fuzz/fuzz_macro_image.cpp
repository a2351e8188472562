// Input: the bytes a mouse returns as its macro memory. Decoding may refuse them but never reads past
// them, and whatever it accepts builds again into an image of the stated length that decodes the same.

#include <cstddef>
#include <cstdint>
#include <span>

#include "fuzz/fuzz_support.h"
#include "protocol/macro_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto records = nimbel::DecodeMacroImage(std::span(data, size));
  if (!records) return 0;
  const auto image = nimbel::BuildMacroImage(*records);
  nimbel::fuzz::Check(image.has_value() && image->size() <= size);
  nimbel::fuzz::Check(nimbel::DecodeMacroImage(*image) == records);
  return 0;
}
