#pragma once
// The value forms the document hands out (active text, "#" + text, "*"),
// decoded.

#include <string_view>

// The value forms of the document, decoded.
enum class ValueState { Active, Commented, Absent };

struct DecodedValue {
  ValueState state;
  std::string_view text;  // the value written in the file; empty when absent
  // A commented line, or an active one with nothing after "=": the server
  // takes its built-in value.
  bool UsesDefault() const {
    return state == ValueState::Commented || (state == ValueState::Active && text.empty());
  }
};

// "#x" is commented with text x, exactly "*" is absent, anything else active.
DecodedValue Decode(std::string_view value);
std::string_view StateName(ValueState state);  // "active", "commented", "absent"
