#pragma once

#include <json/value.h>

#include <array>
#include <cstddef>

#include "profiles/json_access.h"

namespace nimbel {

// One key of a JSON object mirrored by one field of a record. A truth field reads any non-zero number as
// 1 and is written as 0 or 1; an integer field is cut to the field's width when read. A read-only field
// keeps the value the document holds when the record is written.
template <class Record, class Field>
struct FieldKey {
  const char* key;
  Field Record::*member;
  bool truth = false;
  bool readOnly = false;
};

template <class Record, class Field, std::size_t N>
void ReadFields(const Json::Value& object, const std::array<FieldKey<Record, Field>, N>& keys,
                Record& record) {
  for (const FieldKey<Record, Field>& field : keys) {
    const Json::Value& value = json::Member(object, field.key);
    record.*field.member =
        field.truth ? static_cast<Field>(json::AsBool(value)) : static_cast<Field>(json::AsInt(value));
  }
}

// Sets the keys in object (made an object if it is not one), leaving its other keys as they are.
template <class Record, class Field, std::size_t N>
void WriteFields(const Record& record, const std::array<FieldKey<Record, Field>, N>& keys,
                 Json::Value& object) {
  for (const FieldKey<Record, Field>& field : keys) {
    if (field.readOnly) continue;
    const auto value = static_cast<Json::Int64>(record.*field.member);
    json::MemberForWrite(object, field.key) = field.truth ? Json::Int64{value != 0} : value;
  }
}

}  // namespace nimbel
