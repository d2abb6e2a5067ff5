#include "app/ElfNote.h"

#include <fstream>
#include <vector>

namespace elf {
namespace {

constexpr std::uint32_t kSectionTypeNote = 7;  // SHT_NOTE
constexpr std::uint32_t kSegmentTypeNote = 4;  // PT_NOTE
// Version notes are a few dozen bytes; a note area beyond this is not ours
// and is not read into memory.
constexpr std::uint64_t kMaxNoteArea = 1 << 20;
// 65535 entries of the largest kind; anything beyond is damage.
constexpr std::uint64_t kMaxHeaderTable = 65535 * 64;

// One ELF file opened for reading at offsets, with the layout facts of its
// header. Reads past the end of the file fail instead of returning less.
class File {
 public:
  explicit File(const std::string& path) : in_(path, std::ios::binary) {
    if (!in_) return;
    in_.seekg(0, std::ios::end);
    const auto end = in_.tellg();
    if (end > 0) size_ = static_cast<std::uint64_t>(end);
  }

  bool Read(std::uint64_t offset, std::uint64_t length, std::string& out) {
    if (!in_ || offset > size_ || length > size_ - offset) return false;
    out.assign(static_cast<std::size_t>(length), '\0');
    in_.clear();
    in_.seekg(static_cast<std::streamoff>(offset));
    in_.read(out.data(), static_cast<std::streamsize>(length));
    return static_cast<std::uint64_t>(in_.gcount()) == length;
  }

  bool bigEndian = false;
  bool wide = false;  // 64-bit class

 private:
  std::ifstream in_;
  std::uint64_t size_ = 0;
};

// An unsigned number of width bytes at offset in bytes (the caller has
// checked that they are there).
std::uint64_t Number(const std::string& bytes, std::size_t offset, std::size_t width,
                     bool bigEndian) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < width; ++i) {
    const auto byte =
        static_cast<unsigned char>(bytes[offset + (bigEndian ? i : width - 1 - i)]);
    value = (value << 8) | byte;
  }
  return value;
}

std::uint64_t AlignUp(std::uint64_t value, std::uint64_t alignment) {
  return (value + alignment - 1) / alignment * alignment;
}

// A run of notes read from the file: the area of one note section or
// segment.
std::optional<Note> FindInArea(File& file, std::uint64_t offset, std::uint64_t size,
                               std::uint64_t areaAlignment, std::string_view owner,
                               std::uint32_t type) {
  std::string area;
  if (size == 0 || size > kMaxNoteArea || !file.Read(offset, size, area)) return std::nullopt;
  // Entries are padded to 4 bytes, or to 8 in areas aligned so.
  const std::uint64_t alignment = areaAlignment == 8 ? 8 : 4;
  std::uint64_t at = 0;
  while (area.size() - at >= 12) {
    const std::uint64_t nameSize = Number(area, at, 4, file.bigEndian);
    const std::uint64_t descSize = Number(area, at + 4, 4, file.bigEndian);
    const std::uint64_t noteType = Number(area, at + 8, 4, file.bigEndian);
    const std::uint64_t nameAt = at + 12;
    const std::uint64_t descAt = AlignUp(nameAt + nameSize, alignment);
    const std::uint64_t next = AlignUp(descAt + descSize, alignment);
    // The last entry may lack its final padding.
    if (descAt + descSize > area.size()) break;
    const std::string_view name(area.data() + nameAt, static_cast<std::size_t>(nameSize));
    if (noteType == type && nameSize == owner.size() + 1 && name.back() == '\0' &&
        name.substr(0, owner.size()) == owner)
      return Note{area.substr(static_cast<std::size_t>(descAt), static_cast<std::size_t>(descSize)),
                  file.bigEndian};
    if (next >= area.size()) break;
    at = next;
  }
  return std::nullopt;
}

// Where a table of section or program headers lies, and the offsets of the
// fields we need in one entry, for 32- and 64-bit files.
struct TableLayout {
  std::uint64_t offset, entrySize, count;
  std::size_t minEntrySize;
  std::size_t typeAt, offsetAt, sizeAt, alignAt, wordSize;
};

std::optional<Note> FindInTable(File& file, const TableLayout& table, std::uint32_t wantedType,
                                std::string_view owner, std::uint32_t type) {
  if (table.offset == 0 || table.count == 0 || table.entrySize < table.minEntrySize ||
      table.entrySize * table.count > kMaxHeaderTable)
    return std::nullopt;
  std::string entries;
  if (!file.Read(table.offset, table.entrySize * table.count, entries)) return std::nullopt;
  for (std::uint64_t i = 0; i < table.count; ++i) {
    const auto at = static_cast<std::size_t>(i * table.entrySize);
    if (Number(entries, at + table.typeAt, 4, file.bigEndian) != wantedType) continue;
    const std::size_t word = table.wordSize;
    if (auto note = FindInArea(file, Number(entries, at + table.offsetAt, word, file.bigEndian),
                               Number(entries, at + table.sizeAt, word, file.bigEndian),
                               Number(entries, at + table.alignAt, word, file.bigEndian), owner,
                               type))
      return note;
  }
  return std::nullopt;
}

}  // namespace

std::optional<Note> FindNote(const std::string& path, std::string_view owner,
                             std::uint32_t type) {
  File file(path);
  std::string header;
  if (!file.Read(0, 52, header) || header.compare(0, 4, "\x7f" "ELF") != 0) return std::nullopt;
  const char elfClass = header[4], byteOrder = header[5];
  if ((elfClass != 1 && elfClass != 2) || (byteOrder != 1 && byteOrder != 2))
    return std::nullopt;
  file.wide = elfClass == 2;
  file.bigEndian = byteOrder == 2;
  if (file.wide && !file.Read(0, 64, header)) return std::nullopt;
  const bool big = file.bigEndian;

  TableLayout sections{}, segments{};
  if (file.wide) {
    segments = {Number(header, 32, 8, big), Number(header, 54, 2, big),
                Number(header, 56, 2, big), 56, 0, 8, 32, 48, 8};
    sections = {Number(header, 40, 8, big), Number(header, 58, 2, big),
                Number(header, 60, 2, big), 64, 4, 24, 32, 48, 8};
  } else {
    segments = {Number(header, 28, 4, big), Number(header, 42, 2, big),
                Number(header, 44, 2, big), 32, 0, 4, 16, 28, 4};
    sections = {Number(header, 32, 4, big), Number(header, 46, 2, big),
                Number(header, 48, 2, big), 40, 4, 16, 20, 32, 4};
  }
  if (auto note = FindInTable(file, sections, kSectionTypeNote, owner, type)) return note;
  return FindInTable(file, segments, kSegmentTypeNote, owner, type);
}

}  // namespace elf
