// The running version read back from an executable file: the real program,
// files without a version, and ELF files of both sizes and byte orders,
// whole, damaged and cut short.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <cstdint>
#include <functional>

#include "app/Functions.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"

namespace {

// A minimal ELF file: header, a GNU note and our version note, one note
// section (after a null section) and one note segment over them.
struct ElfImage {
  bool wide, big;
  std::size_t align;  // of the note area and of every note in it
  std::string bytes;
  std::size_t versionNote = 0;  // offset of our note's header
  std::size_t sectionTable = 0, segmentTable = 0;

  ElfImage(bool wide64, bool bigEndian, std::size_t alignment = 4,
           const std::string& owner = "Pellisto")
      : wide(wide64), big(bigEndian), align(alignment) {
    const std::size_t headerSize = wide ? 64 : 52;
    bytes.assign(headerSize, '\0');
    Pad();
    bytes.replace(0, 4, "\x7f" "ELF");
    bytes[4] = wide ? 2 : 1;
    bytes[5] = big ? 2 : 1;
    bytes[6] = 1;

    const std::size_t notes = bytes.size();
    AppendNote("GNU", 1, std::string(4, '\x01'));
    versionNote = bytes.size();
    AppendNote(owner, 1, Parts({1, 2, 3, 4}));
    const std::size_t notesSize = bytes.size() - notes;

    const std::size_t sectionSize = wide ? 64 : 40, segmentSize = wide ? 56 : 32;
    sectionTable = bytes.size();
    bytes.append(2 * sectionSize, '\0');
    const std::size_t note = sectionTable + sectionSize;
    Put(note + 4, 4, 7);  // SHT_NOTE
    Put(note + (wide ? 24 : 16), wide ? 8 : 4, notes);
    Put(note + (wide ? 32 : 20), wide ? 8 : 4, notesSize);
    Put(note + (wide ? 48 : 32), wide ? 8 : 4, align);
    segmentTable = bytes.size();
    bytes.append(segmentSize, '\0');
    Put(segmentTable, 4, 4);  // PT_NOTE
    Put(segmentTable + (wide ? 8 : 4), wide ? 8 : 4, notes);
    Put(segmentTable + (wide ? 32 : 16), wide ? 8 : 4, notesSize);
    Put(segmentTable + (wide ? 48 : 28), wide ? 8 : 4, align);

    Put(wide ? 32 : 28, wide ? 8 : 4, segmentTable);  // e_phoff
    Put(wide ? 40 : 32, wide ? 8 : 4, sectionTable);  // e_shoff
    Put(wide ? 54 : 42, 2, segmentSize);
    Put(wide ? 56 : 44, 2, 1);
    Put(wide ? 58 : 46, 2, sectionSize);
    Put(wide ? 60 : 48, 2, 2);
  }

  void Put(std::size_t at, std::size_t width, std::uint64_t value) {
    for (std::size_t i = 0; i < width; ++i)
      bytes[at + (big ? width - 1 - i : i)] = static_cast<char>(value >> (8 * i));
  }
  std::string Parts(std::initializer_list<std::uint16_t> parts) const {
    std::string desc;
    for (std::uint16_t p : parts) {
      const char hi = static_cast<char>(p >> 8), lo = static_cast<char>(p);
      desc += big ? std::string{hi, lo} : std::string{lo, hi};
    }
    return desc;
  }
  void AppendNote(const std::string& owner, std::uint32_t type, const std::string& desc) {
    const std::size_t at = bytes.size();
    bytes.append(12, '\0');
    Put(at, 4, owner.size() + 1);
    Put(at + 4, 4, desc.size());
    Put(at + 8, 4, type);
    bytes += owner;
    bytes += '\0';
    Pad();
    bytes += desc;
    Pad();
  }
  void Pad() { bytes.append((align - bytes.size() % align) % align, '\0'); }
};

class FileVersionTest : public ::testing::Test {
 protected:
  QString Write(const std::string& bytes) {
    WriteFileBytes(dir.file("file"), bytes);
    return QString::fromStdString(dir.file("file"));
  }
  TempDir dir;
};

TEST_F(FileVersionTest, TheBuiltProgramCarriesItsVersion) {
  EXPECT_EQ(ReadFileVersion(PELLISTO_EXECUTABLE), "0.2.0.3");
  // The test program itself has no version note.
  EXPECT_EQ(ReadFileVersion(QCoreApplication::applicationFilePath()), "");
  EXPECT_EQ(ReadFileVersion(QString::fromStdString(dir.file("missing"))), "");
  EXPECT_EQ(ReadFileVersion(Write("")), "");
  EXPECT_EQ(ReadFileVersion(Write("[InfoGeneral]\nPath=/opt/firebird/\n")), "");
  EXPECT_EQ(ReadFileVersion(QString::fromStdString(dir.path())), "");  // a folder
}

TEST_F(FileVersionTest, ElfFilesOfEitherSizeAndByteOrder) {
#ifdef _WIN32
  GTEST_SKIP()
      << "a Windows program's version is its version resource, read by the system; ELF notes are not read there";
#endif
  for (const bool wide : {false, true}) {
    for (const bool big : {false, true}) {
      SCOPED_TRACE(testing::Message() << (wide ? "64" : "32") << (big ? " big" : " little"));
      ElfImage elf(wide, big);
      EXPECT_EQ(ReadFileVersion(Write(elf.bytes)), "1.2.3.4");

      // Damage, one kind at a time: the version is read or nothing is,
      // never anything else.
      const std::size_t word = wide ? 8 : 4;
      const std::pair<const char*, std::function<void(ElfImage&)>> damages[] = {
          {"no section table", [&](ElfImage& e) { e.Put(wide ? 40 : 32, word, 0); }},
          {"tables past the end",
           [&](ElfImage& e) {
             e.Put(wide ? 60 : 48, 2, 0xffff);
             e.Put(wide ? 56 : 44, 2, 0xffff);
           }},
          {"entries too small",
           [&](ElfImage& e) {
             e.Put(wide ? 58 : 46, 2, 8);
             e.Put(wide ? 54 : 42, 2, 8);
           }},
          {"huge contents", [&](ElfImage& e) { e.Put(e.versionNote + 4, 4, 0xfffffff0); }},
          {"other owner", [&](ElfImage& e) { e.bytes[e.versionNote + 12] = 'p'; }},
      };
      for (const auto& [name, damage] : damages) {
        ElfImage damaged(wide, big);
        damage(damaged);
        const bool stillReadable = std::string(name) == "no section table";
        EXPECT_EQ(ReadFileVersion(Write(damaged.bytes)), stillReadable ? "1.2.3.4" : "") << name;
      }
      for (std::size_t length = 0; length < elf.bytes.size(); ++length) {
        const QString version = ReadFileVersion(Write(elf.bytes.substr(0, length)));
        EXPECT_TRUE(version.isEmpty() || version == "1.2.3.4") << length;
      }
    }
  }
}

TEST_F(FileVersionTest, NotesAlignedToEightBytesAndOwnersThatOnlyStartWithOurName) {
#ifdef _WIN32
  GTEST_SKIP()
      << "a Windows program's version is its version resource, read by the system; ELF notes are not read there";
#endif
  for (const bool wide : {false, true}) {
    SCOPED_TRACE(wide ? "64" : "32");
    // The four-byte contents of the note before ours end off the eight-byte
    // grid: read with four-byte steps, ours would be missed.
    EXPECT_EQ(ReadFileVersion(Write(ElfImage(wide, false, 8).bytes)), "1.2.3.4");
    EXPECT_EQ(ReadFileVersion(Write(ElfImage(wide, true, 8).bytes)), "1.2.3.4");
    for (const char* owner : {"PellistoX", "Pellisto2", "Pellist"})
      EXPECT_EQ(ReadFileVersion(Write(ElfImage(wide, false, 4, owner).bytes)), "") << owner;
  }
}

}  // namespace
