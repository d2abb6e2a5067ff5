#pragma once
// What a parameter's value means: its kind, the built-in default shown for a
// commented line, the keywords of a keyword list, the range of a number and
// the check of a value before it is written.

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "config/firebird/AccessPolicy.h"
#include "config/firebird/ParameterCatalogue.h"
#include "config/firebird/ValueForm.h"
#include "config/firebird/VersionCatalogue.h"

// A number outside a range, in the words of every message that says so.
enum class RangeWording {
  Finding,     // "<subject>: outside the range 1448 to 32767", a line the check reports
  Refusal,     // "<subject> is outside the range 1448 to 32767", a value refused
  Correction,  // "<subject> must be between 1448 and 32767", what the user must change
};
std::string RangeMessage(std::string_view subject, const ValueRange& range, RangeWording wording);

// A page's rule: the name's kind, keywords, range and sign as the version
// catalogue holds them (the range and sign where the page checks them), and
// the default the page shows.
struct ParameterRule {
  ParamKey key;
  SettingKind kind;
  // The server's built-in value, as the editor shows it for a commented line.
  std::string_view defaultText;
  std::span<const std::string_view> keywords = {};  // keyword lists, in list order
  std::optional<ValueRange> range = std::nullopt;
  // Its documentation gives negative values a meaning (ProcessPriorityLevel).
  bool negativeAllowed = false;
};

const ParameterRule& RuleOf(ParamKey key);
inline SettingKind KindOf(ParamKey key) { return RuleOf(key).kind; }
inline std::string_view DefaultText(ParamKey key) { return RuleOf(key).defaultText; }

// A number written as the server wants it: digits, with a "-" first where
// the key has negative values.
bool IsPlainNumber(ParamKey key, std::string_view text);
// The value of digits with an optional "-" first, saturated far beyond any
// range we check.
long long NumberValue(std::string_view number);

// The position of a keyword in the key's list, compared ignoring case.
std::optional<std::size_t> KeywordIndex(ParamKey key, std::string_view value);

// Why the value cannot be written for the key, or nothing when it can. The
// value is checked as text: digits only for numbers, 0 or 1 for flags, a
// listed keyword, the range, a readable access policy; never "#", a line
// break or another control character (see below).
std::optional<std::string> ValueProblem(ParamKey key, std::string_view value);

// The first control character of the text, a byte below 32 other than TAB,
// written as "0x0B"; nothing when there is none. A line break in a value
// would split its line; the server keeps the others inside the value (it
// trims only blanks, TABs and CR), where nobody sees them.
std::optional<std::string> ControlCharacterIn(std::string_view text);
// Why a value of any key cannot be written because it holds one.
std::optional<std::string> ControlCharacterProblem(std::string_view value);
// Why a value of any name cannot be written on its line, whatever its kind:
// a control character, or a "#", after which the server reads a comment.
std::optional<std::string> LineTextProblem(std::string_view value);

// Whether two value forms of the key mean the same to the editor: equal
// texts, and for access policies and folder lists the same choice and
// folders, however they are written (a commented policy means its default).
bool MeansTheSame(ParamKey key, std::string_view a, std::string_view b);

// Reads a policy's value form as the document holds it. A commented or empty
// value reads as the key's built-in policy; an absent key, no choice; else
// the policy's grammar (ParseAccessPolicy).
AccessPolicy ReadAccessPolicy(ParamKey key, std::string_view value);
