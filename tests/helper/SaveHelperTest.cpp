// pellisto-save-helper run as pkexec runs it, as root: what it writes, what
// it refuses, and how it answers. These need root (CI runs as root).

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

#include "config/base/Sha256.h"
#include "helper/SaveHelper.h"
#include "support/Process.h"
#include "support/TempDir.h"

namespace {

struct Answer {
  int code = -1;
  std::string out;
};

Answer RunHelper(const std::vector<std::string>& args) {
  Process process(PELLISTO_SAVE_HELPER, args, {{{"PKEXEC_UID", "65534"}}});
  Answer answer;
  answer.code = process.Wait();
  answer.out = process.Out();
  return answer;
}

const char kText[] = "# settings\r\nTempBlockSize = 1024\r\n#RemoteServicePort = 3050\r\n";

class SaveHelperTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (geteuid() != 0) GTEST_SKIP() << "the helper runs as root, and so must its tests";
    // Reached only through folders no other user may change, as a server's is.
    ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
    WriteFileBytes(Conf(), kText);
  }
  std::string Conf() const { return dir.file("firebird.conf"); }
  std::string Sha() const { return conf::Sha256Hex(ReadFileBytes(Conf())); }

  TempDir dir;
};

TEST_F(SaveHelperTest, AnAcceptedChangeIsWrittenAsSetWritesIt) {
  const Answer a = RunHelper({Conf(), Sha(), "TempBlockSize=2048", "RemoteServicePort=3051"});
  EXPECT_EQ(a.code, 0) << a.out;
  EXPECT_EQ(a.out, "saved\n");
  EXPECT_EQ(ReadFileBytes(Conf()), "# settings\r\nTempBlockSize = 2048\r\nRemoteServicePort = 3051\r\n");
}

TEST_F(SaveHelperTest, StaleBytesAnswerChangedAndWriteNothing) {
  const std::string read = Sha();
  // Another program's change after the window read the file.
  WriteFileBytes(Conf(), std::string(kText) + "TempCacheLimit = 1\r\n");
  const Answer a = RunHelper({Conf(), read, "TempBlockSize=2048"});
  EXPECT_EQ(a.code, 2);
  EXPECT_EQ(a.out.substr(0, 8), "changed\n") << a.out;
  EXPECT_EQ(ReadFileBytes(Conf()), std::string(kText) + "TempCacheLimit = 1\r\n");
}

TEST_F(SaveHelperTest, OnlyAnExistingFirebirdConfOfRootsIsWritten) {
  TempDir other;
  ASSERT_EQ(chmod(other.path().c_str(), 0755), 0);
  struct Case {
    const char* what;
    std::function<std::string()> plant;  // the path handed to the helper
    std::string said;
  };
  const Case cases[] = {
      {"another name", [&] { WriteFileBytes(other.file("passwd"), kText); return other.file("passwd"); },
       "is not a firebird.conf"},
      {"a link to a file of another name",
       [&] {
         WriteFileBytes(other.file("shadow"), kText);
         std::filesystem::create_symlink(other.file("shadow"), other.file("firebird.conf"));
         return other.file("firebird.conf");
       },
       "\"" + other.path() + "shadow\" is not a firebird.conf"},
      {"a link planted in a folder every user may change",
       [&] {
         EXPECT_EQ(chmod(other.path().c_str(), 01777), 0);
         std::filesystem::create_symlink(Conf(), other.file("firebird.conf"));
         EXPECT_EQ(lchown(other.file("firebird.conf").c_str(), 65534, 65534), 0);
         return other.file("firebird.conf");
       },
       "may be changed by every user"},
      {"a file of another user's", [&] { EXPECT_EQ(chown(Conf().c_str(), 65534, 65534), 0); return Conf(); },
       "belongs to the user nobody"},
      {"a named pipe", [&] { EXPECT_EQ(mkfifo(other.file("firebird.conf").c_str(), 0644), 0); return other.file("firebird.conf"); },
       "is not a regular file"},
      {"no file", [&] { return other.file("firebird.conf"); }, "There is no file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (const auto& entry : std::filesystem::directory_iterator(other.path())) std::filesystem::remove(entry);
    ASSERT_EQ(chmod(other.path().c_str(), 0755), 0);
    ASSERT_EQ(chown(Conf().c_str(), 0, 0), 0);
    const std::string path = c.plant();
    const Answer a = RunHelper({path, conf::Sha256Hex(kText), "TempBlockSize=2048"});
    EXPECT_EQ(a.code, 1) << a.out;
    EXPECT_EQ(a.out.substr(0, 8), "refused\n") << a.out;
    EXPECT_NE(a.out.find(c.said), std::string::npos) << a.out;
    EXPECT_EQ(ReadFileBytes(Conf()), kText);
  }
}

TEST_F(SaveHelperTest, ChangesSetWouldRefuseAreRefusedWhole) {
  for (const std::vector<std::string>& pairs : std::vector<std::vector<std::string>>{
           {"TempBlockSize=2048", "RemoteServicePort=30 50"},
           {"TempBlockSize=2048", "TempBlockSiz=1"},
           {"TempBlockSize=2048", "LockSignal=16"},  // the file has no line for it
           {"TempBlockSize=2048\nRemoteServicePort=3051"},
           {"TempBlockSize"}}) {
    SCOPED_TRACE(pairs.back());
    std::vector<std::string> args{Conf(), Sha()};
    args.insert(args.end(), pairs.begin(), pairs.end());
    const Answer a = RunHelper(args);
    EXPECT_EQ(a.code, 1) << a.out;
    EXPECT_EQ(a.out.substr(0, 8), "refused\n") << a.out;
    EXPECT_EQ(ReadFileBytes(Conf()), kText);
  }
  // A SHA-256 that is none.
  EXPECT_EQ(RunHelper({Conf(), "x", "TempBlockSize=2048"}).code, 1);
}

TEST_F(SaveHelperTest, AnotherServersFileOrTheDefaultsReplaceIt) {
  TempDir source;
  ASSERT_EQ(chmod(source.path().c_str(), 0755), 0);
  const std::string shown = "RootDirectory = /opt/a/\r\nTempBlockSize = 5\r\n";
  WriteFileBytes(source.file("firebird.conf"), shown);
  Answer a = RunHelper({Conf(), Sha(), "--from", source.file("firebird.conf"), conf::Sha256Hex(shown),
                        "RootDirectory=" + dir.path()});
  EXPECT_EQ(a.code, 0) << a.out;
  EXPECT_EQ(ReadFileBytes(Conf()), "RootDirectory = " + dir.path() + "\r\nTempBlockSize = 5\r\n");
  EXPECT_EQ(ReadFileBytes(source.file("firebird.conf")), shown);

  // A source of another user's is not written over root's file.
  ASSERT_EQ(chown(source.file("firebird.conf").c_str(), 65534, 65534), 0);
  const std::string now = ReadFileBytes(Conf());
  a = RunHelper({Conf(), Sha(), "--from", source.file("firebird.conf"), conf::Sha256Hex(shown)});
  EXPECT_EQ(a.code, 1) << a.out;
  EXPECT_EQ(ReadFileBytes(Conf()), now);

  WriteFileBytes(dir.file("firebird.conf.default"), "#TempBlockSize = 1048576\n");
  a = RunHelper({Conf(), Sha(), "--defaults"});
  EXPECT_EQ(a.code, 0) << a.out;
  EXPECT_EQ(ReadFileBytes(Conf()), SavedFromLf("#TempBlockSize = 1048576\r\n"));
}

TEST(SaveHelperLog, NamesTheUserAndCannotBeMadeToForgeALine) {
  helper::Result result;
  result.outcome = helper::Outcome::Refused;
  result.file = "/etc/firebird/3.0/firebird.conf";
  result.names = {"TempBlockSize\nJan  1 00:00:00 host sudo: root"};
  result.message = "two\nlines";
  EXPECT_EQ(helper::LogLine("alice (uid 1000)", result),
            "alice (uid 1000) asked to save \"/etc/firebird/3.0/firebird.conf\" "
            "(TempBlockSize / Jan  1 00:00:00 host sudo: root): refused: two / lines");
}

}  // namespace
