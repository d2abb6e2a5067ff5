#pragma once
// Reads one note (owner and type) back from an ELF file: how the running
// version travels inside the executable on Linux. Plain C++; every size and
// offset in the file is checked against the file before it is used.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace elf {

struct Note {
  std::string desc;   // the note's contents, as stored
  bool bigEndian{};   // byte order of the file, for numbers in desc
};

// The first note of the given owner and type, looked for in the note
// sections and, when the file has none that match, in the note segments.
// Nothing when the file is missing, is not ELF, is damaged or has no such
// note.
std::optional<Note> FindNote(const std::string& path, std::string_view owner,
                             std::uint32_t type);

}  // namespace elf
