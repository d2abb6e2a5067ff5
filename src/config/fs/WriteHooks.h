#pragma once
// Fault injection and slowed steps for the tests of the file layer, as
// SQLite keeps its I/O error simulation: compiled only into the test build of
// the core (pellisto_config_test_hooks, which defines PELLISTO_TEST_HOOKS).
// The shipped core has none of it; its seams (native::Step,
// native::InjectedFault) do nothing there.

#ifdef PELLISTO_TEST_HOOKS

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace conf {

// The seams of the writer's tests; nothing else touches them.
struct WriteHooks {
  // Writes in place, as where the folder takes no new file.
  bool forceInPlace = false;
  // An in-place write goes in parts of this many bytes (0: all at once).
  std::size_t inPlacePart = 0;
  // Told of each step as soon as it is done: "synced" for every file made
  // durable, "folder synced", "renamed", "checked" (the file compared with
  // the bytes read, just before it is replaced), "copy kept", "part
  // written", "copy removed". A test may end the process there, or act as
  // another process would at that moment.
  std::function<void(std::string_view step)> step;
  // Asked before an operation ("close", "sync", "rename", "folder sync",
  // "copy remove"): an error code makes it fail so.
  std::function<int(std::string_view operation)> fault;
  // The clock of the writers' lock's wait, and its pause between tries.
  std::function<std::chrono::steady_clock::time_point()> clock;
  std::function<void(std::chrono::milliseconds)> pause;
  // The home folder the password database gives root, in place of the
  // real one, so that tests run as root keep their copies to themselves.
  std::string rootHome;
};
WriteHooks& TestWriteHooks();

}  // namespace conf

#endif  // PELLISTO_TEST_HOOKS
