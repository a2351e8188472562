#include "profiles/json_file.h"

#include <json/reader.h>
#include <json/writer.h>

#include <exception>
#include <memory>
#include <vector>

#include "platform/trace.h"

namespace nimbel {
namespace {

// The reader's own nesting limit bounds the depth of this walk.
void DropKeysWithNul(Json::Value& value) {
  if (value.isObject()) {
    std::vector<std::string> names = value.getMemberNames();
    for (const std::string& name : names) {
      if (name.find('\0') != std::string::npos) {
        // The (begin, end) form: the others cut the key at its NUL and would remove another member.
        Json::Value removed;
        value.removeMember(name.data(), name.data() + name.size(), &removed);
      } else {
        DropKeysWithNul(value[name]);
      }
    }
  } else if (value.isArray()) {
    for (Json::Value& element : value) DropKeysWithNul(element);
  }
}

JsonFileState StateOf(ReadStatus status) {
  switch (status) {
    case ReadStatus::kMissing:
      return JsonFileState::kMissing;
    case ReadStatus::kTooLarge:
      return JsonFileState::kTooLarge;
    case ReadStatus::kUnreadable:
      return JsonFileState::kUnreadable;
    case ReadStatus::kRead:
      break;
  }
  return JsonFileState::kRead;
}

// Comments are accepted and kept; keys holding a NUL are dropped.
bool Parse(std::string_view text, Json::Value& value, std::string& errors) {
  Json::CharReaderBuilder builder;
  builder["allowComments"] = true;
  builder["collectComments"] = true;
  const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  try {
    if (reader->parse(text.data(), text.data() + text.size(), &value, &errors)) {
      DropKeysWithNul(value);
      return true;
    }
  } catch (const std::exception& error) {
    // jsoncpp throws instead of failing on nesting deeper than its stack limit.
    errors = error.what();
  }
  value = Json::Value();
  return false;
}

}  // namespace

Json::Value ParseJsonText(std::string_view text) {
  Json::Value value;
  std::string errors;
  if (text.empty() || !Parse(text, value, errors)) return Json::Value();
  return value;
}

JsonFile ReadJsonFileState(const std::string& path, std::size_t maxBytes) {
  const FileText file = ReadFileText(path, maxBytes);
  if (file.status != ReadStatus::kRead) return {Json::Value(), StateOf(file.status)};
  const std::string& text = file.text;
  if (text.empty()) {
    Trace("empty file " + path);
    return {Json::Value(), JsonFileState::kEmpty};
  }
  JsonFile result;
  std::string errors;
  if (Parse(text, result.value, errors)) {
    result.state = JsonFileState::kRead;
    return result;
  }
  Trace("cannot parse " + path + ": " + errors);
  return {Json::Value(), JsonFileState::kUnparsable};
}

Json::Value ReadJsonFile(const std::string& path) {
  return ReadJsonFileState(path).value;
}

bool IsDamaged(JsonFileState state) {
  return state == JsonFileState::kTooLarge || state == JsonFileState::kUnparsable;
}

std::string StyledJsonText(const Json::Value& value) {
  // StyledWriter's layout (three-space indent, right margin 74) is the one every Nimbel file has had;
  // its text already ends with the one line end.
  Json::StyledWriter writer;
  return writer.write(value);
}

bool WriteJsonFile(const std::string& path, const Json::Value& value) {
  return WriteFileAtomically(path, StyledJsonText(value));
}

}  // namespace nimbel
