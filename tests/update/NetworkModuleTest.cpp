// The network module the update check loads: only one that no other user
// can have put in place or changed is loaded, and it fetches as the program
// would itself.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

#include "support/HttpStub.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"
#include "update/NetworkModule.h"

namespace {

namespace fs = std::filesystem;

// The built module, copied as the program's own would be installed: 0644
// in a folder of 0755, owned by the user running the tests.
struct Installed {
  TempDir dir;
  std::string folder = dir.path() + "lib";
  std::string module = folder + "/" + kNetworkModuleName;
  Installed() {
    fs::create_directory(folder);
    ::chmod(folder.c_str(), 0755);
    fs::copy_file(PELLISTO_NETWORK_MODULE, module);
    ::chmod(module.c_str(), 0644);
  }
};

TEST(NetworkModuleTest, TheProgramsOwnModuleFetchesThePublishedVersion) {
  const Installed installed;
  std::string refusal;
  const FetchEntry fetch = LoadNetworkModule(QString::fromStdString(installed.module), refusal);
  ASSERT_NE(fetch, nullptr) << refusal;
  HttpStub server;
  server.answers[kVersionDocumentPath] = HttpStub::Ok(VersionDocument(" 0.2.0.4 "));
  QString version;
  EXPECT_TRUE(fetch(server.Url(kVersionDocumentPath), 5000, version));
  EXPECT_EQ(version, "0.2.0.4");
  EXPECT_FALSE(fetch(RefusingUrl(), 5000, version));
}

// Each way another user could have a root program load code of theirs.
TEST(NetworkModuleTest, AModuleAnotherUserCouldHavePlacedOrChangedIsNotLoaded) {
  struct Attack {
    const char* what;
    std::function<void(const Installed&)> plant;
    bool asRootOnly = false;  // giving a file away takes root
  };
  const Attack attacks[] = {
      {"module writable by others", [](const Installed& i) { ::chmod(i.module.c_str(), 0646); }},
      {"module writable by its group", [](const Installed& i) { ::chmod(i.module.c_str(), 0664); }},
      {"folder writable by others, even sticky", [](const Installed& i) { ::chmod(i.folder.c_str(), 01777); }},
      {"folder writable by its group", [](const Installed& i) { ::chmod(i.folder.c_str(), 0775); }},
      {"a symbolic link to the real module",
       [](const Installed& i) {
         fs::rename(i.module, i.module + ".real");
         fs::create_symlink(i.module + ".real", i.module);
       }},
      {"a named pipe (never waited on)",
       [](const Installed& i) {
         fs::remove(i.module);
         ::mkfifo(i.module.c_str(), 0644);
       }},
      {"no library at all", [](const Installed& i) { WriteFileBytes(i.module, "#!/bin/sh\n"); }},
      {"module of another user", [](const Installed& i) { EXPECT_EQ(::chown(i.module.c_str(), 65534, 65534), 0); },
       true},
      {"folder of another user", [](const Installed& i) { EXPECT_EQ(::chown(i.folder.c_str(), 65534, 65534), 0); },
       true},
  };
  for (const Attack& attack : attacks) {
    if (attack.asRootOnly && ::geteuid() != 0) continue;
    SCOPED_TRACE(attack.what);
    const Installed installed;
    attack.plant(installed);
    std::string refusal;
    EXPECT_EQ(LoadNetworkModule(QString::fromStdString(installed.module), refusal), nullptr);
    EXPECT_FALSE(refusal.empty());
  }
}

}  // namespace
