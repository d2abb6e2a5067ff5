#include "config/firebird/AccessPolicy.h"

#include "config/base/Text.h"
#include "config/firebird/ValueForm.h"

namespace {

using conf::EqualsIgnoringCase;

constexpr std::string_view kRestrict = "Restrict";

}  // namespace

AccessPolicy ParseAccessPolicy(ParamKey key, std::string_view text) {
  AccessPolicy policy;
  if (EqualsIgnoringCase(text, "Full")) {
    policy.choice = PolicyChoice::Full;
  } else if (EqualsIgnoringCase(text, "None")) {
    policy.choice = PolicyChoice::None;
  } else if (key == ParamKey::UdfAccess && EqualsIgnoringCase(text, "Restrict UDF")) {
    policy.choice = PolicyChoice::RestrictUdf;
  } else if (const std::size_t at = text.find(kRestrict); at != std::string_view::npos) {
    policy.choice = PolicyChoice::Restrict;
    policy.folders = SplitFolderList(text.substr(at + kRestrict.size()));
  }
  return policy;
}

std::string ComposeAccessPolicy(PolicyChoice choice, const std::vector<std::string>& folders) {
  switch (choice) {
    case PolicyChoice::Full:
      return "Full";
    case PolicyChoice::None:
      return "None";
    case PolicyChoice::RestrictUdf:
      return "Restrict UDF";
    case PolicyChoice::Restrict:
      break;
  }
  return "Restrict " + JoinFolderList(folders);
}

std::vector<std::string> SplitFolderList(std::string_view text) {
  text = conf::Trim(text);
  std::vector<std::string> pieces;
  std::string piece;
  char quote = 0;
  for (const char c : text) {
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == ';') {
      if (!piece.empty()) pieces.push_back(std::move(piece));
      piece.clear();
      continue;
    }
    piece += c;
  }
  if (!piece.empty()) pieces.push_back(std::move(piece));
  return pieces;
}

std::vector<std::string> ReadFolderList(std::string_view value) {
  const DecodedValue decoded = Decode(value);
  if (decoded.state != ValueState::Active) return {};
  return SplitFolderList(decoded.text);
}

std::string JoinFolderList(const std::vector<std::string>& folders) {
  return conf::Join(folders, ";");
}
