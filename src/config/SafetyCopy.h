#pragma once
// Copies of a file that is about to be rewritten in place (its folder takes
// no new file, so it cannot be replaced by a rename). A crash during such a
// write leaves a torn file; the copy, written and synced first, holds the
// file as it was, and the next start of either program says where it is.
//
// They live in the user's state folder, $XDG_STATE_HOME/pellisto/ (else
// ~/.local/state/pellisto/): "<name>.XXXXXX" is the copy, and beside it
// "<name>.XXXXXX.origin" holds the path of the file it is a copy of.

#include <string>
#include <string_view>
#include <vector>

namespace conf {

// The folder of the copies, ending with "/".
std::string SafetyCopyFolder();

class SafetyCopy {
 public:
  // Writes and syncs a copy of the original's content. Throws
  // std::system_error when it cannot.
  SafetyCopy(const std::string& original, std::string_view content);
  // The copy stays unless Remove was called: a failed write keeps it.
  ~SafetyCopy() = default;
  SafetyCopy(const SafetyCopy&) = delete;
  SafetyCopy& operator=(const SafetyCopy&) = delete;

  const std::string& Path() const { return copy_; }
  void Remove();

 private:
  std::string copy_;
  std::string origin_;
};

// A copy left behind by a write that did not finish.
struct LeftOverCopy {
  std::string copy;
  std::string original;
};

// The copies left behind, in name order. Leftovers of copies that were never
// finished (so their file was never touched) are cleared away on the way;
// copies of a file that another process is writing right now are skipped.
std::vector<LeftOverCopy> FindLeftOverCopies();

// What the user is told about one.
std::string LeftOverCopyMessage(const LeftOverCopy& copy);

}  // namespace conf
