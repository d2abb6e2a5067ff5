// A save of firebird.conf under attack by another local user, as root often
// runs it: each test makes the attack real (at the moment a test hook opens,
// where it is a race) and checks that the save stays on the file it checked,
// makes its own files exclusively, takes the writers' lock, keeps the
// file's metadata, and says what happened.

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <linux/fs.h>
#include <pwd.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "config/fs/AtomicFile.h"
#include "config/ConfigTestSupport.h"
#include "config/fs/FileLock.h"
#include "config/fs/SafetyCopy.h"
#include "config/fs/SaveTarget.h"
#include "config/document/TVantrel.h"
#include "support/InterruptedWrite.h"
#include "support/Process.h"

namespace {

namespace fs = std::filesystem;

struct stat StatOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
  return st;
}

const passwd* Nobody() { return ::getpwnam("nobody"); }

// Runs fn in a child process (after setup, which may give up root or enter
// a namespace, and says whether it could); its text, or nothing when the
// setup failed.
std::optional<std::string> RunForked(const std::function<bool()>& setup, const std::function<std::string()>& fn) {
  int fds[2];
  if (::pipe(fds) != 0) return std::nullopt;
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    const std::string out = setup() ? fn() : "\x01";
    const ssize_t ignored = ::write(fds[1], out.data(), out.size());
    (void)ignored;
    ::_exit(0);
  }
  ::close(fds[1]);
  std::string out;
  char buffer[4096];
  for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;) out.append(buffer, static_cast<std::size_t>(n));
  ::close(fds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (out == "\x01") return std::nullopt;
  return out;
}

bool BecomeNobody() {
  const passwd* nobody = Nobody();
  return nobody && ::setgroups(0, nullptr) == 0 && ::setgid(nobody->pw_gid) == 0 && ::setuid(nobody->pw_uid) == 0;
}

class SaveAttack : public WriterTest {
 protected:
  // firebird.conf with one parameter, loaded and changed.
  void Changed(const std::string& folder) {
    WriteFileBytes(folder + "firebird.conf", "TempBlockSize = 1\n# the rest\n");
    doc.Load(folder);
    doc.SetTempBlockSize("2");
  }
  // Does what another process would, once, when the save reaches the step.
  static void At(const std::string& step, const std::function<void()>& act) {
    conf::TestWriteHooks().step = [step, act, done = false](std::string_view now) mutable {
      if (!done && now == step) {
        done = true;
        act();
      }
    };
  }
  static void Give(const std::string& path, mode_t mode, uid_t uid = 0, gid_t gid = 0) {
    ASSERT_EQ(::chown(path.c_str(), uid, gid), 0) << path;
    ASSERT_EQ(::chmod(path.c_str(), mode), 0) << path;
  }
  static bool Root() { return ::geteuid() == 0; }

  TVantrel doc;
  TempDir elsewhere;  // holds what an attacker aims at
  const std::string kSaved = SavedFromLf("TempBlockSize = 2\r\n# the rest\r\n");
};

TEST_F(SaveAttack, ALinkPutInThePlaceOfTheCheckedFileIsNeitherFollowedNorReplaced) {
  const std::string secret = elsewhere.file("shadow");
  WriteFileBytes(secret, "root's only\n");
  Changed(dir.path());
  At("checked", [&] {
    fs::remove(ConfIn(dir));
    fs::create_symlink(secret, ConfIn(dir));
  });
  EXPECT_THROW(doc.Save(dir.path()), FileChangedError);
  EXPECT_EQ(ReadFileBytes(secret), "root's only\n");
  EXPECT_EQ(FolderEntries(elsewhere.path()), std::vector<std::string>{"shadow"});
  EXPECT_TRUE(fs::is_symlink(ConfIn(dir)));
  EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"firebird.conf"});
}

TEST_F(SaveAttack, AFileSwappedInJustBeforeTheRenameIsNotReplaced) {
  Changed(dir.path());
  // Between the new text's sync and the rename, as RENAME_EXCHANGE would.
  At("synced", [&] {
    WriteFileBytes(dir.file("theirs"), "theirs\n");
    fs::rename(dir.file("theirs"), ConfIn(dir));
  });
  EXPECT_THROW(doc.Save(dir.path()), FileChangedError);
  EXPECT_EQ(ReadFileBytes(ConfIn(dir)), "theirs\n");
  EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"firebird.conf"});
}

TEST_F(SaveAttack, ALinkRepointedDuringTheSaveWritesNothing) {
  // As an admin switching the folder's link to another server's file.
  TempDir first, second;
  WriteFileBytes(ConfIn(second), "TempBlockSize = 9\n");
  Changed(first.path());
  const std::string link = ConfIn(dir);
  fs::create_symlink(ConfIn(first), link);
  TVantrel viaLink;
  viaLink.Load(dir.path());
  viaLink.SetTempBlockSize("3");
  At("checked", [&] {
    fs::remove(link);
    fs::create_symlink(ConfIn(second), link);
  });
  try {
    viaLink.Save(dir.path());
    ADD_FAILURE() << "saved";
  } catch (const FileChangedError& e) {
    EXPECT_NE(std::string(e.what()).find("now leads to another file"), std::string::npos) << e.what();
  }
  EXPECT_EQ(ReadFileBytes(ConfIn(first)), "TempBlockSize = 1\n# the rest\n");
  EXPECT_EQ(ReadFileBytes(ConfIn(second)), "TempBlockSize = 9\n");
}

TEST_F(SaveAttack, RootRefusesAFileReachedThroughAFolderOthersMayChange) {
  if (!Root() || !Nobody()) GTEST_SKIP() << "needs root and the user nobody";
  const uid_t nobody = Nobody()->pw_uid;
  struct Case {
    const char* what;
    mode_t folderMode;
    uid_t folderOwner, fileOwner;
    bool refused;
  };
  const Case cases[] = {
      {"everyone may write the folder", 0777, 0, 0, true},
      {"its group may write the folder", 0775, 0, 0, true},
      {"another user owns the folder", 0755, nobody, 0, true},
      {"a sticky folder, the file root's", 01777, 0, 0, false},
      {"the folder and the file nobody's", 0755, nobody, nobody, false},
      {"root's alone", 0755, 0, 0, false},
  };
  for (const Case& c : cases) {
    TempDir folder;
    WriteFileBytes(ConfIn(folder), "TempBlockSize = 1\n");
    Give(ConfIn(folder), 0644, c.fileOwner, 100);
    Give(folder.path(), c.folderMode, c.folderOwner, 100);
    TVantrel changed;
    changed.Load(folder.path());
    changed.SetTempBlockSize("2");
    const std::string error = SaveError(changed, folder.path());
    EXPECT_EQ(!error.empty(), c.refused) << c.what << ": " << error;
    if (!c.refused) continue;
    EXPECT_NE(error.find("the folder \"" + folder.path() + "\""), std::string::npos) << error;
    EXPECT_NE(error.find("--trust-folders"), std::string::npos) << error;
    EXPECT_EQ(ReadFileBytes(ConfIn(folder)), "TempBlockSize = 1\n") << c.what;
    // Trusted on purpose, it saves.
    conf::SaveTarget::Options trusted;
    trusted.trustFolders = true;
    conf::SaveTarget target(ConfIn(folder), trusted);
    changed.Save(target);
    EXPECT_EQ(ReadFileBytes(ConfIn(folder)), SavedFromLf("TempBlockSize = 2\r\n")) << c.what;
  }

  // A link of nobody's, in nobody's folder, to a file of root's.
  TempDir theirs;
  Give(theirs.path(), 0755, nobody);
  Changed(dir.path());
  ASSERT_EQ(::symlink(ConfIn(dir).c_str(), ConfIn(theirs).c_str()), 0);
  ASSERT_EQ(::lchown(ConfIn(theirs).c_str(), nobody, 0), 0);
  EXPECT_NE(SaveError(doc, theirs.path()).find("Refusing to write"), std::string::npos);
  EXPECT_EQ(ReadFileBytes(ConfIn(dir)), "TempBlockSize = 1\n# the rest\n");
}

TEST_F(SaveAttack, RootKeepsItsCopiesInItsOwnHomeNotInTheOneItsEnvironmentNames) {
  if (!Root() || !Nobody()) GTEST_SKIP() << "needs root and the user nobody";
  // sudo -E keeps the user's variables; their folders are the user's.
  TempDir users, rootHome;
  Give(users.path(), 0755, Nobody()->pw_uid, Nobody()->pw_gid);
  const char* home = std::getenv("HOME");
  const std::string savedHome = home ? home : "";
  SetVariable("XDG_STATE_HOME", users.path());
  SetVariable("HOME", users.path());
  conf::TestWriteHooks().rootHome = rootHome.path();
  conf::TestWriteHooks().forceInPlace = true;
  Changed(dir.path());
  std::vector<std::string> copies;
  At("copy kept", [&] { copies = FolderEntries(rootHome.file(".local/state/pellisto")); });
  doc.Save(dir.path());
  EXPECT_EQ(ReadFileBytes(ConfIn(dir)), kSaved);
  EXPECT_TRUE(FolderEntries(users.path()).empty());
  EXPECT_EQ(copies.size(), 2u);  // the copy and its note, while the write went on
  const struct stat own = StatOf(rootHome.file(".local/state/pellisto"));
  EXPECT_EQ(own.st_uid, 0u);
  EXPECT_EQ(own.st_mode & 0777, 0700u);
  SetVariable("HOME", savedHome);
}

TEST_F(SaveAttack, CopiesGoOnlyIntoAStateFolderOfTheUsersOwn) {
  conf::TestWriteHooks().forceInPlace = true;
  // The state folder a link to another folder, then a folder others may
  // write: no copy goes there, so nothing is rewritten in place.
  fs::create_symlink(elsewhere.path(), state.file("pellisto"));
  Changed(dir.path());
  EXPECT_NE(SaveError(doc, dir.path()).find("no copy of it could be kept"), std::string::npos);
  EXPECT_TRUE(FolderEntries(elsewhere.path()).empty());
  EXPECT_EQ(ReadFileBytes(ConfIn(dir)), "TempBlockSize = 1\n# the rest\n");

  fs::remove(state.file("pellisto"));
  ASSERT_EQ(::mkdir(state.file("pellisto").c_str(), 0700), 0);
  WriteFileBytes(state.file("pellisto/firebird.conf.abcdef"), "planted\n");
  WriteFileBytes(state.file("pellisto/firebird.conf.abcdef.origin"), ConfIn(dir) + "\n");
  ASSERT_EQ(::chmod(state.file("pellisto").c_str(), 0777), 0);
  EXPECT_TRUE(conf::FindLeftOverCopies().empty()) << "a copy reported from a folder others may write";
  EXPECT_NE(SaveError(doc, dir.path()).find("no copy of it could be kept"), std::string::npos);
  EXPECT_EQ(ReadFileBytes(ConfIn(dir)), "TempBlockSize = 1\n# the rest\n");

  // A state folder taken from a folder others may write (and not sticky):
  // they could swap it for their own.
  ASSERT_EQ(::chmod(state.file("pellisto").c_str(), 0700), 0);
  ASSERT_EQ(::chmod(state.path().c_str(), 0777), 0);
  conf::TestWriteHooks().rootHome = state.path();  // root's home, in the same place
  EXPECT_NE(SaveError(doc, dir.path()).find("no copy of it could be kept"), std::string::npos);
  EXPECT_EQ(ReadFileBytes(ConfIn(dir)), "TempBlockSize = 1\n# the rest\n");
  ASSERT_EQ(::chmod(state.path().c_str(), 0700), 0);

  // A name taken by a link is never opened through it.
  ASSERT_EQ(::chmod(state.file("pellisto").c_str(), 0700), 0);
  const conf::native::HeldFolder own = conf::native::OpenStateFolder(false);
  fs::create_symlink(elsewhere.file("target"), state.file("pellisto/planted"));
  conf::native::File file;
  EXPECT_EQ(own.Open("planted", file, conf::native::File::Mode::CreateNew), EEXIST);
  EXPECT_FALSE(FileExists(elsewhere.file("target")));
}

TEST_F(SaveAttack, ANoteWhoseCopyNeverCameToBeIsClearedNotReported) {
  const std::string copies = SafetyCopiesUnder(state.path());
  ASSERT_TRUE(fs::create_directories(copies));
  WriteFileBytes(copies + "firebird.conf.abcdef.origin", ConfIn(dir) + "\n");
  WriteFileBytes(copies + "firebird.conf.abcdef.part", "half a copy");
  EXPECT_TRUE(conf::FindLeftOverCopies().empty());
  EXPECT_TRUE(FolderEntries(copies).empty());
}

TEST_F(SaveAttack, AFolderNotEveryoneMayReadIsLockedAlikeForRootAndUsers) {
  if (!Root() || !Nobody()) GTEST_SKIP() << "needs root and the user nobody";
  WriteFileBytes(ConfIn(dir), "TempBlockSize = 1\n");
  Give(ConfIn(dir), 0666);
  Give(dir.path(), 0711);  // as hand installs under /opt often are
  const std::string release = elsewhere.file("release");
  Process holder(TestChild(), {"hold-lock", ConfIn(dir), release});
  ASSERT_TRUE(holder.WaitForOutput("ready")) << holder.Err();
  const auto seen = RunForked(BecomeNobody, [&] {
    try {
      conf::FileLock lock(ConfIn(dir), std::chrono::milliseconds(0));
      return std::string("taken");
    } catch (const conf::LockTimeout&) {
      return std::string("held");
    } catch (const FileError& e) {
      return std::string(e.what());
    }
  });
  WriteFileBytes(release, "");
  EXPECT_EQ(holder.Wait(), 0);
  if (!seen) GTEST_SKIP() << "unable to switch to user nobody";
  EXPECT_EQ(*seen, "held");
}

TEST_F(SaveAttack, ALockThatCannotBeTakenFailsTheSave) {
  Changed(dir.path());
  conf::TestWriteHooks().fault = [](std::string_view operation) { return operation == "lock" ? EIO : 0; };
  const std::string error = SaveError(doc, dir.path());
  EXPECT_NE(error.find("the lock that keeps two writers apart cannot be taken"), std::string::npos) << error;
  EXPECT_EQ(ReadFileBytes(ConfIn(dir)), "TempBlockSize = 1\n# the rest\n");
}

TEST_F(SaveAttack, TheLockIsAwaitedFiveSecondsAndNoLonger) {
  WriteFileBytes(ConfIn(dir), "TempBlockSize = 1\n");
  const std::string release = elsewhere.file("release");
  Process holder(TestChild(), {"hold-lock", ConfIn(dir), release});
  ASSERT_TRUE(holder.WaitForOutput("ready")) << holder.Err();
  // A clock of the test's own, moved on by each pause.
  std::chrono::steady_clock::time_point now{};
  conf::TestWriteHooks().clock = [&] { return now; };
  conf::TestWriteHooks().pause = [&](std::chrono::milliseconds pause) { now += pause; };
  EXPECT_THROW(conf::FileLock{ConfIn(dir)}, conf::LockTimeout);
  WriteFileBytes(release, "");
  EXPECT_EQ(holder.Wait(), 0);
  EXPECT_GE(now.time_since_epoch(), std::chrono::seconds(5));
  EXPECT_LE(now.time_since_epoch(), std::chrono::milliseconds(5010));
}

// A POSIX ACL as the kernel stores it: the file's owner and group, one named
// user and a mask, all but nothing for others.
std::string AclGranting(uid_t user) {
  std::string acl;
  const auto add = [&](auto value) { acl.append(reinterpret_cast<const char*>(&value), sizeof value); };
  add(std::uint32_t{2});
  const auto entry = [&](std::uint16_t tag, std::uint16_t perm, std::uint32_t id) {
    add(tag);
    add(perm);
    add(id);
  };
  entry(0x01, 6, ~0u);  // owner: rw
  entry(0x02, 6, user);  // the named user: rw
  entry(0x04, 4, ~0u);  // group: r
  entry(0x10, 6, ~0u);  // mask: rw
  entry(0x20, 0, ~0u);  // others: nothing
  return acl;
}

std::string Attribute(const std::string& path, const char* name) {
  char value[256];
  const ssize_t n = ::getxattr(path.c_str(), name, value, sizeof value);
  return n < 0 ? std::string() : std::string(value, static_cast<std::size_t>(n));
}

TEST_F(SaveAttack, AReplacementKeepsTheAclAndExtendedAttributes) {
  Changed(dir.path());
  const std::string acl = AclGranting(65534);
  if (::setxattr(ConfIn(dir).c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) != 0 ||
      ::setxattr(ConfIn(dir).c_str(), "user.pellisto", "kept", 4, 0) != 0)
    GTEST_SKIP() << "the file system keeps no ACLs or user attributes: " << std::strerror(errno);
  const struct stat before = StatOf(ConfIn(dir));
  doc.Save(dir.path());
  const struct stat after = StatOf(ConfIn(dir));
  EXPECT_NE(after.st_ino, before.st_ino) << "expected a replacement";
  EXPECT_EQ(ReadFileBytes(ConfIn(dir)), kSaved);
  EXPECT_EQ(after.st_mode & 07777, before.st_mode & 07777) << "the mask became group bits, or the reverse";
  EXPECT_EQ(Attribute(ConfIn(dir), "system.posix_acl_access"), acl);
  EXPECT_EQ(Attribute(ConfIn(dir), "user.pellisto"), "kept");
}

TEST_F(SaveAttack, MetadataAUserCannotGiveANewFileIsKeptByWritingInPlace) {
  if (!Root() || !Nobody()) GTEST_SKIP() << "needs root and the user nobody";
  // nobody may write the file and its folder, but may not give a new file
  // the file's group.
  const passwd* nobody = Nobody();
  Give(dir.path(), 0755, nobody->pw_uid, nobody->pw_gid);
  Give(state.path(), 0700, nobody->pw_uid, nobody->pw_gid);
  WriteFileBytes(ConfIn(dir), "TempBlockSize = 1\n");
  Give(ConfIn(dir), 0640, nobody->pw_uid, 0);
  const ino_t inode = StatOf(ConfIn(dir)).st_ino;
  const auto result = RunForked(BecomeNobody, [&] {
    TVantrel changed;
    changed.Load(dir.path());
    changed.SetTempBlockSize("2");
    return SaveError(changed, dir.path());
  });
  if (!result) GTEST_SKIP() << "unable to switch to user nobody";
  EXPECT_EQ(*result, "");
  const struct stat after = StatOf(ConfIn(dir));
  EXPECT_EQ(after.st_ino, inode) << "expected a write in place";
  EXPECT_EQ(after.st_gid, 0u);
  EXPECT_EQ(after.st_mode & 07777, 0640u);
  EXPECT_EQ(ReadFileBytes(ConfIn(dir)), SavedFromLf("TempBlockSize = 2\r\n"));
}

TEST_F(SaveAttack, AFileWithAnotherNameKeepsBothNamesOnTheNewText) {
  Changed(dir.path());
  ASSERT_EQ(::link(ConfIn(dir).c_str(), elsewhere.file("other-name").c_str()), 0);
  doc.Save(dir.path());
  EXPECT_EQ(ReadFileBytes(ConfIn(dir)), kSaved);
  EXPECT_EQ(ReadFileBytes(elsewhere.file("other-name")), kSaved);
  EXPECT_TRUE(conf::FindLeftOverCopies().empty());
}

TEST_F(SaveAttack, AFileMountedOnItsOwnIsWrittenInPlace) {
  if (!Root()) GTEST_SKIP() << "needs root to mount";
  Changed(dir.path());
  const std::string source = elsewhere.file("firebird.conf");
  WriteFileBytes(source, "TempBlockSize = 1\n# the rest\n");
  const auto result = RunForked(
      [&] {
        return ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
               ::mount(source.c_str(), ConfIn(dir).c_str(), nullptr, MS_BIND, nullptr) == 0;
      },
      [&] { return SaveError(doc, dir.path()); });
  if (!result) GTEST_SKIP() << "no mount namespace here";
  EXPECT_EQ(*result, "");
  EXPECT_EQ(ReadFileBytes(source), kSaved);
}

TEST_F(SaveAttack, AFailureAfterTheNewTextIsDurableIsASaveWithAWord) {
  conf::TestWriteHooks().forceInPlace = true;
  Changed(dir.path());
  bool armed = false;
  At("part written", [&] { armed = true; });
  conf::TestWriteHooks().fault = [&](std::string_view operation) { return armed && operation == "close" ? EIO : 0; };
  const std::string late = doc.Save(dir.path());
  EXPECT_NE(late.find("closing it afterwards failed"), std::string::npos) << late;
  EXPECT_EQ(ReadFileBytes(ConfIn(dir)), kSaved);
  EXPECT_TRUE(conf::FindLeftOverCopies().empty()) << "a copy that would undo the save";
}

TEST_F(SaveAttack, ATornFileIsNotWrittenUntilItsCopyIsDealtWith) {
  WriteFileBytes(ConfIn(dir), "TempBlockSize = 1\r\n# long enough to be written in parts\r\n");
  ASSERT_TRUE(InterruptInPlaceSave(dir.path(), state.path()));
  const std::string torn = ReadFileBytes(ConfIn(dir));
  TVantrel again;
  again.Load(dir.path());
  again.SetTempBlockSize("7");
  const std::string error = SaveError(again, dir.path());
  EXPECT_NE(error.find("may be damaged"), std::string::npos) << error;
  EXPECT_EQ(ReadFileBytes(ConfIn(dir)), torn);

  const std::vector<conf::LeftOverCopy> copies = conf::LeftOverCopiesOf(ConfIn(dir));
  ASSERT_EQ(copies.size(), 1u);
  conf::SaveTarget target(ConfIn(dir));
  target.Restore(copies[0]);
  EXPECT_EQ(ReadFileBytes(ConfIn(dir)), "TempBlockSize = 1\r\n# long enough to be written in parts\r\n");
  EXPECT_TRUE(conf::FindLeftOverCopies().empty());
}

TEST_F(SaveAttack, WhatIsNotAWritableRegularFileIsCalledWhatItIs) {
  // A named pipe: said, and never waited on.
  TempDir pipe;
  ASSERT_EQ(::mkfifo(ConfIn(pipe).c_str(), 0644), 0);
  Changed(dir.path());
  EXPECT_EQ(SaveError(doc, pipe.path()),
            "Cannot write file \"" + ConfIn(pipe) + "\". It is a named pipe, not a regular file");

  // Immutable: read-only for root too.
  if (!Root()) GTEST_SKIP() << "needs root to set the immutable flag";
  const int fd = ::open(ConfIn(dir).c_str(), O_RDONLY);
  long flags = 0;
  if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) != 0 || (flags |= FS_IMMUTABLE_FL, ::ioctl(fd, FS_IOC_SETFLAGS, &flags)) != 0) {
    ::close(fd);
    GTEST_SKIP() << "no immutable flag here";
  }
  const std::string error = SaveError(doc, dir.path());
  flags &= ~FS_IMMUTABLE_FL;
  ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
  ::close(fd);
  EXPECT_EQ(error, "Cannot write file \"" + ConfIn(dir) +
                       "\". It is read-only (its immutable or append-only flag is set)");
}

}  // namespace
