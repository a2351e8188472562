#include "profiles/json_file.h"

#include <json/reader.h>
#include <json/writer.h>

#include <exception>
#include <memory>

#include "platform/trace.h"
#include "profiles/file_io.h"

namespace nimbel {

Json::Value ReadJsonFile(const std::string& path) {
  const std::optional<std::string> text = ReadWholeFile(path);
  if (!text) return Json::Value();
  if (text->empty()) {
    Trace("empty file " + path);
    return Json::Value();
  }
  Json::CharReaderBuilder builder;
  builder["allowComments"] = true;
  builder["collectComments"] = true;
  const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  Json::Value root;
  std::string errors;
  try {
    if (reader->parse(text->data(), text->data() + text->size(), &root, &errors)) return root;
  } catch (const std::exception& error) {
    // jsoncpp throws instead of failing on nesting deeper than its stack limit.
    errors = error.what();
  }
  Trace("cannot parse " + path + ": " + errors);
  return Json::Value();
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
