// Windows only: what a save keeps and refuses there, and a Firebird folder
// whose name is not ASCII.

#include <gtest/gtest.h>

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <filesystem>

#include "config/fs/AtomicFile.h"
#include "config/ConfigTestSupport.h"
#include "config/fs/FileLock.h"
#include "config/fs/SafetyCopy.h"
#include "config/document/TVantrel.h"
#include "config/base/Utf16.h"
#include "config/base/Utf8Path.h"
#include "support/InterruptedWrite.h"
#include "support/Process.h"
#include "support/TempDir.h"
#include "support/TestSystem.h"

namespace {

namespace fs = std::filesystem;

DWORD Attributes(const std::string& path) { return GetFileAttributesW(conf::Widen(path).c_str()); }

// Owner, group and access list, as text.
std::string Security(const std::string& path) {
  const SECURITY_INFORMATION parts =
      OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetNamedSecurityInfoW(conf::Widen(path).c_str(), SE_FILE_OBJECT, parts, nullptr, nullptr, nullptr,
                            nullptr, &descriptor) != ERROR_SUCCESS)
    return "unreadable";
  wchar_t* text = nullptr;
  ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor, SDDL_REVISION_1, parts, &text, nullptr);
  const std::string result = text ? conf::Narrow(text) : "";
  LocalFree(text);
  LocalFree(descriptor);
  return result;
}

class WindowsFile : public WriterTest {};

TEST_F(WindowsFile, AttributesAndSecurityAreKeptAndAReadOnlyFileIsRefused) {
  WriteFileBytes(ConfIn(dir), "TempBlockSize = 1\r\nLockSignal = 16\r\n");
  // Wine keeps only some of these.
  ASSERT_TRUE(SetFileAttributesW(conf::Widen(ConfIn(dir)).c_str(), FILE_ATTRIBUTE_HIDDEN |
                                                                       FILE_ATTRIBUTE_SYSTEM |
                                                                       FILE_ATTRIBUTE_NOT_CONTENT_INDEXED));
  const DWORD attributes = Attributes(ConfIn(dir));
  ASSERT_TRUE(attributes & FILE_ATTRIBUTE_HIDDEN);
  // Administrators and the system only, and everyone may read; protected
  // from what the folder hands down.
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;FA;;;BA)(A;;FA;;;SY)(A;;FR;;;WD)",
                                                                   SDDL_REVISION_1, &descriptor, nullptr));
  BOOL present = FALSE, defaulted = FALSE;
  PACL acl = nullptr;
  GetSecurityDescriptorDacl(descriptor, &present, &acl, &defaulted);
  SetNamedSecurityInfoW(conf::Widen(ConfIn(dir)).data(), SE_FILE_OBJECT,
                        DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr, nullptr,
                        acl, nullptr);
  LocalFree(descriptor);
  const std::string security = Security(ConfIn(dir));
  const std::string identity = FileIdentity(ConfIn(dir));

  TVantrel doc;
  doc.Load(dir.path());
  doc.SetTempBlockSize("2");
  doc.Save(dir.path());
  EXPECT_EQ(ReadFileBytes(ConfIn(dir)), "TempBlockSize = 2\r\nLockSignal = 16\r\n");
  EXPECT_NE(FileIdentity(ConfIn(dir)), identity) << "expected the file to be replaced, not rewritten";
  EXPECT_EQ(Attributes(ConfIn(dir)), attributes);
  EXPECT_EQ(Security(ConfIn(dir)), security);

  // Read-only: refused with a message that says so, and left as it was.
  ASSERT_TRUE(SetFileAttributesW(conf::Widen(ConfIn(dir)).c_str(), attributes | FILE_ATTRIBUTE_READONLY));
  doc.SetLockSignal("8");
  EXPECT_EQ(SaveError(doc, dir.path()),
            "Cannot write file \"" + ConfIn(dir) + "\". " + ReadOnlyReason());
  EXPECT_EQ(ReadFileBytes(ConfIn(dir)), "TempBlockSize = 2\r\nLockSignal = 16\r\n");
  EXPECT_EQ(Attributes(ConfIn(dir)), attributes | FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"firebird.conf"});
}

TEST_F(WindowsFile, AFileHeldOpenByAnotherProgramIsNotReplacedAndNothingIsLost) {
  const std::string text = "TempBlockSize = 1\r\n";
  WriteFileBytes(ConfIn(dir), text);
  TVantrel doc;
  doc.Load(dir.path());
  doc.SetTempBlockSize("2");

  TempDir io;
  const std::string release = io.file("release");
  Process reader(TestChild(), {"hold-open", ConfIn(dir), release});
  ASSERT_TRUE(reader.WaitForOutput("ready")) << reader.Err();
  const std::string error = SaveError(doc, dir.path());
  WriteFileBytes(release, "");
  ASSERT_EQ(reader.Wait(), 0);

  EXPECT_EQ(error,
            "Cannot write file \"" + ConfIn(dir) +
                "\". Another program has it open and does not let it be replaced; it was left as it was");
  EXPECT_EQ(ReadFileBytes(ConfIn(dir)), text);
  EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"firebird.conf"})
      << "the temporary file stays";
  EXPECT_EQ(doc.PendingChanges(), std::vector<std::string>{"TempBlockSize=2"});

  // Once the other program let go, the same save goes through.
  doc.Save(dir.path());
  EXPECT_EQ(ReadFileBytes(ConfIn(dir)), "TempBlockSize = 2\r\n");
}

TEST_F(WindowsFile, AFolderNamedOutsideAsciiWorks) {
  // Not one code page holds all of these letters: only UTF-16 reaches them.
  const std::string name = "F\xC3\xADrebird \xCE\xA9mega";  // "Fírebird Ωmega"
  const std::string folder = dir.file(name + "\\");
  ASSERT_TRUE(fs::create_directory(conf::PathFromUtf8(folder)));
  WriteFileBytes(folder + "firebird.conf", "TempBlockSize = 1\r\n# more text, long enough for two parts\r\n");

  TVantrel doc;
  doc.Load(folder);
  EXPECT_EQ(doc.TempBlockSize(), "1");
  doc.SetTempBlockSize("3");
  doc.Save(folder);
  const std::string saved = "TempBlockSize = 3\r\n# more text, long enough for two parts\r\n";
  EXPECT_EQ(ReadFileBytes(folder + "firebird.conf"), saved);
  EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{name});
  EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"firebird.conf"});

  // The lock, and a copy for an in-place write kept in a state folder whose
  // name is not ASCII either.
  {
    conf::FileLock lock(folder + "firebird.conf");
    EXPECT_TRUE(lock.Held());
    EXPECT_THROW(conf::FileLock(folder + "firebird.conf", std::chrono::milliseconds(0)), conf::LockTimeout);
  }
  const std::string stateHome = state.file(
      "\xC3\x9C"
      "ber \xCE\xA9\\");  // "Über Ω"
  ASSERT_TRUE(InterruptInPlaceSave(folder, stateHome));
  SetVariable(kStateVariable, stateHome);
  const std::vector<conf::LeftOverCopy> copies = conf::FindLeftOverCopies();
  ASSERT_EQ(copies.size(), 1u);
  EXPECT_EQ(copies[0].original, folder + "firebird.conf");
  EXPECT_EQ(copies[0].copy.rfind(SafetyCopiesUnder(stateHome) + "firebird.conf.", 0), 0u) << copies[0].copy;
  EXPECT_EQ(ReadFileBytes(copies[0].copy), saved);
}

}  // namespace
