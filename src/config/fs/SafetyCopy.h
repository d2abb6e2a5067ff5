#pragma once
// Copies of a file that is about to be rewritten in place (it cannot be
// replaced by a rename). A crash during such a write leaves a torn file; the
// copy, written and synced first, holds the file as it was. Until the copy
// is dealt with (pellisto-conf recover, or the window's question at start),
// no save touches that file again.
//
// They live in the user's state folder, $XDG_STATE_HOME/pellisto/ (else
// ~/.local/state/pellisto/; root's own home for root), and only in one that
// is this user's and that nobody else may change: "<name>.XXXXXX" is the
// copy, and beside it "<name>.XXXXXX.origin" holds the path of the file it
// is a copy of. Every file there is made exclusively and never reached
// through a link.

#include <string>
#include <string_view>
#include <vector>

#include "config/fs/NativeFile.h"

namespace conf {

// The folder of the copies, ending with "/".
std::string SafetyCopyFolder();

class SafetyCopy {
 public:
  // Writes and syncs a copy of the original's content. Throws
  // native::Failure when it cannot.
  SafetyCopy(const std::string& original, std::string_view content);
  // The copy stays unless Remove was called: a failed write keeps it.
  ~SafetyCopy() = default;
  SafetyCopy(const SafetyCopy&) = delete;
  SafetyCopy& operator=(const SafetyCopy&) = delete;

  // Where it is, for messages.
  std::string Path() const { return folder_.Path() + copy_; }
  // Removes the copy, then its note; 0 or the error code.
  native::ErrorCode Remove();

 private:
  native::HeldFolder folder_;
  std::string copy_;
  std::string note_;
};

// A copy left behind by a write that did not finish.
struct LeftOverCopy {
  std::string copy;      // its path
  std::string original;  // the file it is a copy of
};

// The copies left behind, in name order. Leftovers of copies that were never
// finished (so their file was never touched) are cleared away on the way;
// copies of a file that another process is writing right now are skipped.
std::vector<LeftOverCopy> FindLeftOverCopies();
// Those of one file (its own path, links followed), without asking whether
// another process is writing it: for a writer of that file, who holds its
// lock.
std::vector<LeftOverCopy> LeftOverCopiesOf(const std::string& original);
// The bytes a copy holds. Throws FileError.
std::string ReadCopy(const LeftOverCopy& copy);
// Removes a copy and its note. Throws FileError.
void DiscardCopy(const LeftOverCopy& copy);

// What the user is told about one.
std::string LeftOverCopyMessage(const LeftOverCopy& copy);

}  // namespace conf
