#pragma once
// The parameters of a firebird.conf beyond the 46 that the editor's pages
// show: every other name the file's version reads that the file has a line
// for (active or commented), and every active line the version ignores (a
// name of other versions, or one no version knows). Each comes with what
// the server makes of it and with the comment block right above its line:
// the file is the documentation its server ships with.

#include <optional>
#include <string>
#include <vector>

#include "config/firebird/ServerVersion.h"
#include "config/firebird/VersionCatalogue.h"

class TVantrel;

struct OtherParameter {
  enum class Status {
    Editable,  // the version reads it: its line can be changed
    NotRead,   // a name of other versions; the server ignores the line
    Unknown,   // a name no version knows; the server ignores the line
  };
  Status status = Status::Editable;
  std::optional<SettingId> id;  // none for an unknown name
  std::string name;             // the catalogue's spelling; an unknown one as written
  std::size_t line = 0;         // index into the document's lines
  // Editable: the document's value form of the line ("text", "#text"); the
  // others: the value written on the line.
  std::string value;
  // Editable: the value the server uses, as ServerValueOf writes it, whether
  // that is its built-in value, and the built-in value itself.
  std::string serverValue;
  bool usesDefault = false;
  std::string defaultValue;
  // NotRead: why this version does not read the name.
  std::optional<NotReadCause> notRead;
  // The comment lines right above the line, as written, without the bare
  // "#" lines that open or close the block; empty when there is none.
  std::vector<std::string> comment;
};

// In the order of their lines. A parameter's line is the one a save
// rewrites (TVantrel::SettingLines); an ignored name is listed once, at its
// first active line.
std::vector<OtherParameter> OtherParametersOf(const TVantrel& document);
