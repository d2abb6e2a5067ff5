// Only regular files are read, with bounded work: what another local user
// can put where pellisto-conf reads (firebird.conf itself, or a file it
// includes) makes it stop with a message, at once and in little memory,
// never wait for ever or fill the memory. Each run has a time and a memory
// limit, which a reader that waits or reads on would hit.

#ifndef _WIN32

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <filesystem>

#include "support/Process.h"
#include "support/TempDir.h"
#include "support/TestSystem.h"

namespace {

struct Result {
  int code = -1;
  std::string out, err;
};

// pellisto-conf in 20 seconds and 512 MiB at most (timeout exits 124, a
// failed allocation aborts). Built with AddressSanitizer, the program
// reserves terabytes of address space for the sanitizer's own bookkeeping
// before it starts: there only the time is bounded, and the plain build
// checks the memory.
#ifdef __SANITIZE_ADDRESS__
constexpr const char* kBounds = "exec timeout 20 \"$0\" \"$@\"";
#else
constexpr const char* kBounds = "ulimit -v 524288; exec timeout 20 \"$0\" \"$@\"";
#endif

Result Bounded(const std::string& folder, std::vector<std::string> args) {
  TempDir state;
  args.insert(args.begin(), {"-c", kBounds, PELLISTO_CONF, "--folder", folder});
  Process run("/bin/sh", args, {{{kStateVariable, state.path()}, {"FIREBIRD", std::nullopt}}});
  Result r;
  r.code = run.Wait();
  r.out = run.Out();
  r.err = run.Err();
  return r;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A file of size bytes that takes no room on the disk.
void Sparse(const std::string& path, off_t size) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::ftruncate(fd, size), 0);
  ::close(fd);
}

// A socket file that nobody listens on once the test goes on.
void Socket(const std::string& path) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(fd, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(path.size(), sizeof address.sun_path);
  path.copy(address.sun_path, path.size());
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ::close(fd);
}

}  // namespace

TEST(ReadBounds, FirebirdConfThatIsNoRegularFileIsRefusedAtOnce) {
  struct Case {
    const char* what;
    void (*make)(const std::string& path);
    const char* reason;
  };
  const Case cases[] = {
      {"a named pipe nobody writes to", [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0); },
       "It is a named pipe, not a regular file"},
      {"a link to /dev/zero", [](const std::string& p) { ASSERT_EQ(::symlink("/dev/zero", p.c_str()), 0); },
       "It is a device, not a regular file"},
      {"a socket", [](const std::string& p) { Socket(p); }, "It is a socket, not a regular file"},
      {"a sparse file of 2 GiB", [](const std::string& p) { Sparse(p, off_t{2} << 30); },
       "It is larger than 64 MiB, the most Pellisto reads from a file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    c.make(dir.file("firebird.conf"));
    for (const char* command : {"get", "check"}) {
      const Result r = Bounded(dir.path(), command == std::string("get") ? std::vector<std::string>{"get", "GCPolicy"}
                                                                        : std::vector<std::string>{"check"});
      EXPECT_EQ(r.code, 3) << command << "\n" << r.err;
      EXPECT_TRUE(Contains(r.err, "Cannot open file \"" + dir.file("firebird.conf") + "\". " + c.reason))
          << command << "\n" << r.err;
    }
  }
}

TEST(ReadBounds, IncludedFilesAreRegularFilesOrFolders) {
  TempDir dir;
  const std::string conf = dir.file("firebird.conf");
  ASSERT_EQ(::mkfifo(dir.file("pipe.conf").c_str(), 0644), 0);
  ASSERT_EQ(::symlink("/dev/zero", dir.file("zero.conf").c_str()), 0);
  Sparse(dir.file("huge.conf"), off_t{2} << 30);
  std::filesystem::create_directory(dir.file("folder.conf"));
  for (const auto& [target, reason] : std::vector<std::pair<std::string, std::string>>{
           {"pipe.conf", "It is a named pipe, not a regular file"},
           {"zero.conf", "It is a device, not a regular file"},
           {"huge.conf", "It is larger than 64 MiB"},
           // A pattern finds the pipe among the other names.
           {"p*.conf", "It is a named pipe, not a regular file"},
       }) {
    SCOPED_TRACE(target);
    WriteFileBytes(conf, "# Firebird version 3.0 configuration file\nDeadlockTimeout = 5\ninclude " + target + "\n");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"get", "DeadlockTimeout"}, {"check"}, {"set", "DeadlockTimeout=6"}}) {
      const Result r = Bounded(dir.path(), args);
      EXPECT_EQ(r.code, 3) << args[0] << "\n" << r.err;
      EXPECT_TRUE(Contains(r.err, "Cannot open file \"" + dir.file(target.substr(0, 1)))) << r.err;
      EXPECT_TRUE(Contains(r.err, reason)) << args[0] << "\n" << r.err;
      EXPECT_TRUE(Contains(r.err, "(included by line 3 of " + conf + ")")) << r.err;
    }
  }
  // The server reads an included folder as empty, and starts.
  WriteFileBytes(conf, "# Firebird version 3.0 configuration file\ninclude folder.conf\nDeadlockTimeout = 5\n");
  Result r = Bounded(dir.path(), {"get", "DeadlockTimeout"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "5\n");
  r = Bounded(dir.path(), {"check"});
  EXPECT_EQ(r.code, 0) << r.out;
}

TEST(ReadBounds, IncludesThatFanOutStopAtTheLimit) {
  // Forty files, each including the next one twice: no loop, 40 deep, and
  // 2^40 files to open.
  TempDir diamond;
  WriteFileBytes(diamond.file("firebird.conf"), "# Firebird version 3.0 configuration file\ninclude level0.conf\n");
  for (int level = 0; level < 40; ++level)
    WriteFileBytes(diamond.file("level" + std::to_string(level) + ".conf"),
                   "include level" + std::to_string(level + 1) + ".conf\ninclude level" +
                       std::to_string(level + 1) + ".conf\n");
  WriteFileBytes(diamond.file("level40.conf"), "DeadlockTimeout = 7\n");

  // A pattern that takes 200 files, each taking the same 200 again.
  TempDir fan;
  WriteFileBytes(fan.file("firebird.conf"), "# Firebird version 3.0 configuration file\ninclude a/*.conf\n");
  std::filesystem::create_directories(fan.file("a"));
  std::filesystem::create_directories(fan.file("b"));
  for (int i = 0; i < 200; ++i) {
    WriteFileBytes(fan.file("a/" + std::to_string(i) + ".conf"), "include ../b/*.conf\n");
    WriteFileBytes(fan.file("b/" + std::to_string(i) + ".conf"), "DeadlockTimeout = 7\n");
  }

  for (const TempDir* dir : {&diamond, &fan}) {
    const std::string text = ReadFileBytes(dir->file("firebird.conf"));
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"get", "DeadlockTimeout"}, {"check"}, {"set", "DeadlockTimeout=6"}}) {
      SCOPED_TRACE(dir->path() + " " + args[0]);
      const Result r = Bounded(dir->path(), args);
      EXPECT_EQ(r.code, 3) << r.err;
      EXPECT_TRUE(Contains(r.err, "Cannot read \"" + dir->file("firebird.conf") +
                                      "\": the include on line 2 takes more than 10000 files in all"))
          << r.err;
      EXPECT_EQ(ReadFileBytes(dir->file("firebird.conf")), text);
    }
  }
  // And the line that opened the last one.
  const Result r = Bounded(diamond.path(), {"check"});
  EXPECT_TRUE(Contains(r.err, "(the last one by line 1 of " + diamond.file("level3"))) << r.err;
}

#endif
