#include "config/firebird/ValueForm.h"

DecodedValue Decode(std::string_view value) {
  if (!value.empty() && value[0] == '#') return {ValueState::Commented, value.substr(1)};
  if (value == "*") return {ValueState::Absent, {}};
  return {ValueState::Active, value};
}

std::string_view StateName(ValueState state) {
  switch (state) {
    case ValueState::Active:
      return "active";
    case ValueState::Commented:
      return "commented";
    case ValueState::Absent:
      return "absent";
  }
  return "";
}
