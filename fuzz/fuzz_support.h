#pragma once

// What the fuzz targets share: a check that stops the run where the fuzzer sees it, and a scratch folder.

#include <stdlib.h>

#include <filesystem>
#include <string>

namespace nimbel::fuzz {

inline void Check(bool condition) {
  if (!condition) __builtin_trap();
}

// A new, empty folder under the system's temporary folder; the caller removes it.
inline std::filesystem::path MakeScratchFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "nimbel-fuzz-XXXXXX").string();
  Check(::mkdtemp(pattern.data()) != nullptr);
  return pattern;
}

}  // namespace nimbel::fuzz
