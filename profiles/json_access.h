#pragma once

#include <json/value.h>

#include <algorithm>
#include <cstdint>
#include <string>

namespace nimbel::json {

// Type-safe access to JSON documents that come from disk. jsoncpp throws when a value has the wrong type
// (asInt() of a string, operator[] of a key on an array); a hand-edited or hostile file must not crash
// Nimbel, so every document read goes through these: a value of the wrong type reads as absent, which is
// the documented default (0, false, "", null), and nothing else in the document is affected.

// object[key], or null when object is not an object or lacks the key.
const Json::Value& Member(const Json::Value& object, const char* key);

// array[index], or null when array is not an array or the index is outside it.
const Json::Value& Element(const Json::Value& array, std::int64_t index);

// An integer, bool or number, as a 64-bit integer (a number is truncated towards 0); 0 for anything
// else. An unsigned value above the signed range keeps its low 64 bits, so cutting to 8, 16 or 32 bits
// gives what the file's writer meant.
std::int64_t AsInt(const Json::Value& value);

// The truth value of an integer, bool or number; false for anything else.
bool AsBool(const Json::Value& value);

// The text of a string value; "" for anything else.
std::string AsString(const Json::Value& value);

inline std::int64_t IntMember(const Json::Value& object, const char* key) {
  return AsInt(Member(object, key));
}
inline bool BoolMember(const Json::Value& object, const char* key) {
  return AsBool(Member(object, key));
}

// Writing creates missing levels, as jsoncpp's operator[] does, but where a level holds a value of the
// wrong type it is replaced by an empty object or array instead of throwing.

// object[key] for writing; object becomes an object first when it is not one.
Json::Value& MemberForWrite(Json::Value& object, const char* key);

// Indexes from files (a colour group, an own equaliser preset) reach the write path; an index past this
// bound would make jsoncpp pad the array with that many nulls on the next save.
inline constexpr std::int64_t kMaxWritableIndex = 4096;

inline constexpr bool IsWritableIndex(std::int64_t index) {
  return index >= 0 && index < kMaxWritableIndex;
}

// How many elements of a list from a file are read: no more than could be written back. A hand-edited file
// with a million stages or keys would otherwise cost seconds and gigabytes in every reader.
inline Json::ArrayIndex BoundedSize(const Json::Value& array) {
  if (!array.isArray()) return 0;
  return std::min<Json::ArrayIndex>(array.size(), static_cast<Json::ArrayIndex>(kMaxWritableIndex));
}

// array[index] for writing, growing the array as needed; array becomes an array first when it is not one.
// nullptr (and array untouched) when the index is negative or not below kMaxWritableIndex.
Json::Value* ElementForWrite(Json::Value& array, std::int64_t index);

}  // namespace nimbel::json
