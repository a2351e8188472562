#include "profiles/json_access.h"

namespace nimbel::json {
namespace {

// Doubles whose truncation fits a signed 64-bit integer; anything else (inf from "1e999") reads as absent.
constexpr double kLowestConvertible = -9.2e18;
constexpr double kHighestConvertible = 9.2e18;

const Json::Value& Null() {
  static const Json::Value null;
  return null;
}

}  // namespace

const Json::Value& Member(const Json::Value& object, const char* key) {
  if (!object.isObject()) return Null();
  const Json::Value* found = object.find(key, key + std::char_traits<char>::length(key));
  return found != nullptr ? *found : Null();
}

const Json::Value& Element(const Json::Value& array, std::int64_t index) {
  if (!array.isArray() || index < 0 || index >= static_cast<std::int64_t>(array.size())) return Null();
  return array[static_cast<Json::ArrayIndex>(index)];
}

std::int64_t AsInt(const Json::Value& value) {
  switch (value.type()) {
    case Json::intValue:
      return value.asInt64();
    case Json::uintValue:
      return static_cast<std::int64_t>(value.asUInt64());
    case Json::realValue: {
      const double number = value.asDouble();
      if (!(number > kLowestConvertible && number < kHighestConvertible)) return 0;
      return static_cast<std::int64_t>(number);
    }
    case Json::booleanValue:
      return value.asBool() ? 1 : 0;
    default:
      return 0;
  }
}

bool AsBool(const Json::Value& value) {
  switch (value.type()) {
    case Json::intValue:
    case Json::uintValue:
    case Json::booleanValue:
      return value.asBool();
    case Json::realValue:
      return value.asDouble() != 0.0;
    default:
      return false;
  }
}

std::string AsString(const Json::Value& value) {
  return value.isString() ? value.asString() : std::string{};
}

Json::Value& MemberForWrite(Json::Value& object, const char* key) {
  if (!object.isObject()) object = Json::Value(Json::objectValue);
  return object[key];
}

Json::Value* ElementForWrite(Json::Value& array, std::int64_t index) {
  if (!IsWritableIndex(index)) return nullptr;
  if (!array.isArray()) array = Json::Value(Json::arrayValue);
  return &array[static_cast<Json::ArrayIndex>(index)];
}

}  // namespace nimbel::json
