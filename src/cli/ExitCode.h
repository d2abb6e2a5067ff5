#pragma once
// What pellisto-conf's exit status tells a script.

namespace cli {

enum ExitCode {
  kDone = 0,
  kFindings = 1,  // check found something, or a value or key was refused
  kUsage = 2,
  kFileError = 3,
  kOutputLost = 4,  // carried out, but what it prints could not be written
};

}  // namespace cli
