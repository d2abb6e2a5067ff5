#pragma once
// Numbers as each server version reads and keeps them, and what the server
// does with one after reading it: the getter that narrows it to its own type,
// and the adjustments of its code (minimums, clamps, a negative value meaning
// the default, a size rounded up). From the servers' sources, 2.0 to 5.0.

#include <cstdint>
#include <string_view>

#include "config/firebird/ParameterRules.h"
#include "config/firebird/ServerVersion.h"
#include "config/firebird/VersionCatalogue.h"

// A number written in the file, as the version's reader takes it.
struct ReadNumber {
  // 3.0+: blanks, "-" signs (each one turns the sign, blanks allowed around
  // them), digits, at most one k, m or g right after them; anything else makes
  // it no number, which the server reads as 0. 2.x: what atoi takes, always.
  bool valid = true;
  // What the reader keeps: 3.0+ the 64-bit result of arithmetic that wraps
  // (the server checks no overflow); 2.x atoi's int, which on Linux is the low
  // 32 bits of strtol's result (saturated at 64 bits).
  long long stored = 0;
  // Whether stored is the number written, nothing lost on the way.
  bool exact = true;
};
ReadNumber ReadInteger(std::string_view text, ServerVersion v);

// What atoi makes of a text (2.x numbers, and the number inside every flag).
long long Atoi(std::string_view text);

// What the server's code knows that an adjustment depends on.
struct NumberContext {
  bool superMode = true;             // 3.0+: the ServerMode read
  long long maxParallelWorkers = 1;  // 5.0: the value used
};

// The value a server uses for a number it read.
struct UsedNumber {
  long long value = 0;
  // The getter keeps fewer bits than the reader: the value after that alone.
  long long narrowed = 0;
  // What the server does to it besides, in words ("raised to its least,
  // 262144"); empty where it does nothing for this name and version.
  std::string_view why;
};
UsedNumber UsedInteger(SettingId id, long long stored, ServerVersion v, const NumberContext& context);

// The numbers the version reads for the name exactly as written, and keeps
// as they are in the type its code holds them in: 2.x an int; 3.0+ 64 bits
// read, then mostly an int, for some a 16-bit port or a 32-bit unsigned.
ValueRange ExactRange(SettingId id, ServerVersion v);
// The type in words ("32 bits"), for messages.
std::string_view ExactRangeName(SettingId id, ServerVersion v);
