#pragma once

#include <json/value.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "profiles/file_io.h"
#include "profiles/json_access.h"

namespace nimbel {

enum class JsonFileState {
  kRead,
  kMissing,
  kEmpty,
  // Not a regular file, or an I/O error.
  kUnreadable,
  // Larger than the bound given to the reader.
  kTooLarge,
  // Text that is not JSON: truncated, garbage, an unpaired surrogate, nesting past the reader's limit.
  kUnparsable,
};

struct JsonFile {
  Json::Value value;
  JsonFileState state = JsonFileState::kMissing;
};

// Reads a whole file of at most maxBytes as JSON (comments accepted and kept). The value is null unless
// the state is kRead. Object keys that hold a NUL character are dropped: no file of Nimbel's has them, and
// the writer would cut them at the NUL into duplicates of other keys.
JsonFile ReadJsonFileState(const std::string& path, std::size_t maxBytes = kMaxReadFileSize);

// Text as ReadJsonFileState parses it; null when it is empty or not JSON.
Json::Value ParseJsonText(std::string_view text);

// The value of ReadJsonFileState: a missing, unreadable, too large, empty or unparsable file reads as
// null; the reason is traced.
Json::Value ReadJsonFile(const std::string& path);

// Whether a file in this state holds something of the user's that no reader could use: replacing it would
// destroy what the user might still recover.
bool IsDamaged(JsonFileState state);

// Replaces the file with the styled form of value (three-space indent, right margin 74, one line end at
// the close). The replacement is atomic (see WriteFileAtomically): a failed save leaves the old file as it
// was. Returns false when the file could not be written; the failure is traced and LastWriteFailure()
// says why.
bool WriteJsonFile(const std::string& path, const Json::Value& value);

// The styled text WriteJsonFile puts into a file.
std::string StyledJsonText(const Json::Value& value);

}  // namespace nimbel
