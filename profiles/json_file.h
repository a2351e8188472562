#pragma once

#include <json/value.h>

#include <string>

#include "profiles/json_access.h"

namespace nimbel {

// Reads a whole file as JSON (comments accepted and kept). A missing, unreadable, empty or unparsable
// file reads as null; the reason is traced.
Json::Value ReadJsonFile(const std::string& path);

// Replaces the file with the styled form of value (three-space indent, right margin 74, one line end at
// the close). The replacement is atomic (see WriteFileAtomically): a failed save leaves the old file as it
// was. Returns false when the file could not be written; the failure is traced.
bool WriteJsonFile(const std::string& path, const Json::Value& value);

// The styled text WriteJsonFile puts into a file.
std::string StyledJsonText(const Json::Value& value);

}  // namespace nimbel
