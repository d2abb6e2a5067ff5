#pragma once
// A crash in the middle of an in-place write of firebird.conf, made real: a
// child process saves a change through the in-place path and ends abruptly
// right after the first part of the new text reached the file.

#include <string>

#include "support/Process.h"
#include "support/TestSystem.h"

// Changes TempBlockSize to 2 in <folder>firebird.conf, keeping the copy of the
// old file under stateHome; true when the child stopped as planned, after the
// first 32 bytes of the new text.
inline bool InterruptInPlaceSave(const std::string& folder, const std::string& stateHome) {
  Process child(TestChild(), {"interrupt-save", folder}, {{{kStateVariable, stateHome}}});
  return child.Wait() == 42;
}
