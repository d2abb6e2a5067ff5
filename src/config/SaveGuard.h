#pragma once
// A save rewrites whole lines, and a line can carry more than its own
// parameter for the server (another key behind a lone CR, an active setting
// before a "#" that mentions the key). Such a save would change a value
// nobody touched; these checks find that before anything is written.

#include <string>
#include <vector>

class TVantrel;

// One message for each parameter that the document's pending changes are
// not about but whose reading by the server a save would change; empty when
// the save is safe.
std::vector<std::string> UntouchedParametersReadDifferently(const TVantrel& doc);
