// A strict reader of JSON text, for checking what the tool prints: anything
// that is not exactly one well-formed JSON value (RFC 8259) is refused.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tamrel::testing {

struct JsonValue {
  enum class Kind { kNull, kBoolean, kNumber, kString, kArray, kObject };
  Kind kind = Kind::kNull;
  bool boolean = false;
  double number = 0;
  std::string text;  // kString, UTF-8
  std::vector<JsonValue> elements;                       // kArray
  std::vector<std::pair<std::string, JsonValue>> members;  // kObject, in order

  // The member `name` of an object; throws when there is none.
  const JsonValue& operator[](const std::string& name) const;
  // The member names of an object, in order.
  std::vector<std::string> Keys() const;
};

// Parses `text`; throws std::runtime_error naming the offset of the fault.
JsonValue ParseJson(std::string_view text);

}  // namespace tamrel::testing
