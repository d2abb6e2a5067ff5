#pragma once
// The grammar of the access policies (DatabaseAccess, ExternalFileAccess,
// UdfAccess) and of the folder list TempDirectories: reading a value into a
// choice and folders, and composing the value again.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/firebird/ParameterCatalogue.h"

enum class PolicyChoice { Full, None, Restrict, RestrictUdf };

struct AccessPolicy {
  std::optional<PolicyChoice> choice;  // none: a value the grammar does not read
  std::vector<std::string> folders;    // the folders of Restrict
};

// Reads a policy's text (the value itself, not its value form; reading a
// value form: ReadAccessPolicy in ParameterRules.h): "Full" and "None" in any
// case; "Restrict UDF" in any case for UdfAccess; else "Restrict" (this case,
// anywhere) followed by folders; anything else, no choice.
AccessPolicy ParseAccessPolicy(ParamKey key, std::string_view text);

// "Full", "None", "Restrict UDF", or "Restrict " + the folders joined by ";".
std::string ComposeAccessPolicy(PolicyChoice choice, const std::vector<std::string>& folders);

// Splits a folder list at ";" after trimming it. A quote (' or ") runs to
// the next one of its kind and a ";" inside it does not split; the quotes stay
// in the folder. Empty pieces are dropped, the others are not trimmed.
std::vector<std::string> SplitFolderList(std::string_view text);

// The folders of a folder list's value form: none when commented, empty or
// absent.
std::vector<std::string> ReadFolderList(std::string_view value);
std::string JoinFolderList(const std::vector<std::string>& folders);
