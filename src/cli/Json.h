#pragma once
// JSON text for the command line's --json output.

#include <string>
#include <string_view>

// A JSON string of the bytes: quotes, backslashes and control characters
// escaped, valid UTF-8 kept, and every byte that is not part of valid UTF-8
// written as \u00XX, its reading in Latin-1, so that nothing is lost.
std::string JsonString(std::string_view bytes);

// The bytes as a terminal may show them: control characters other than line
// feed and tab, the C1 controls and every byte that is not part of valid
// UTF-8 written as \xHH, so that a file's text can neither hide itself nor
// move the cursor, retitle or clear the terminal it is shown in.
std::string TerminalText(std::string_view bytes);
