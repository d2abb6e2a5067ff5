// Windows only: where pellisto-conf.exe finds the Firebird folder, a folder
// whose name is not ASCII on its command line, and its help.

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <optional>

#include "cli/DefaultFolder.h"
#include "config/base/Utf16.h"
#include "config/base/Utf8Path.h"
#include "support/Process.h"
#include "support/TempDir.h"
#include "support/TestSystem.h"

namespace {

struct Result {
  int code = -1;
  std::string out;
  std::string err;
};

Result RunConf(const std::vector<std::string>& args, std::optional<std::string> firebird = std::nullopt) {
  TempDir state;
  Process run(PELLISTO_CONF, args, {{{"FIREBIRD", firebird}, {kStateVariable, state.path()}}});
  const int code = run.Wait();
  return {code, run.Out(), run.Err()};
}

const wchar_t kInstances[] = L"SOFTWARE\\Firebird Project\\Firebird Server\\Instances";

// The Firebird installer's value, in one view of the registry of this test's
// own Wine prefix (or machine), for the guard's life; what was there before
// comes back afterwards.
class RegisteredFolder {
 public:
  RegisteredFolder(const std::string& folder, REGSAM view) : view_(view) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kInstances, 0, nullptr, 0,
                        KEY_QUERY_VALUE | KEY_SET_VALUE | view_, nullptr, &key, nullptr) != ERROR_SUCCESS)
      return;
    key_ = key;
    DWORD size = 0;
    if (RegGetValueW(key_, nullptr, L"DefaultInstance", RRF_RT_REG_SZ, nullptr, nullptr, &size) ==
        ERROR_SUCCESS) {
      std::wstring before(size / sizeof(wchar_t), L'\0');
      if (RegGetValueW(key_, nullptr, L"DefaultInstance", RRF_RT_REG_SZ, nullptr, before.data(), &size) ==
          ERROR_SUCCESS)
        before_ = before.c_str();
    }
    set_ = Write(conf::Widen(folder));
  }
  ~RegisteredFolder() {
    if (!key_) return;
    if (before_)
      Write(*before_);
    else
      RegDeleteValueW(key_, L"DefaultInstance");
    RegCloseKey(key_);
  }
  RegisteredFolder(const RegisteredFolder&) = delete;
  RegisteredFolder& operator=(const RegisteredFolder&) = delete;
  bool Set() const { return set_; }

 private:
  bool Write(const std::wstring& value) {
    return RegSetValueExW(key_, L"DefaultInstance", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
  }

  REGSAM view_;
  HKEY key_ = nullptr;
  std::optional<std::wstring> before_;
  bool set_ = false;
};

// A Firebird folder whose server listens on its own port.
std::string FirebirdFolder(const TempDir& dir, const std::string& name, int port) {
  const std::string folder = dir.file(name + "\\");
  std::filesystem::create_directory(conf::PathFromUtf8(folder));
  WriteFileBytes(folder + "firebird.conf", "RemoteServicePort = " + std::to_string(port) + "\r\n");
  return folder;
}

TEST(WindowsCli, TheFolderComesFromTheFlagElseTheVariableElseTheRegistry) {
  TempDir dir;
  const std::string flag = FirebirdFolder(dir, "flag", 3051),
                    variable = FirebirdFolder(dir, "variable", 3052),
                    registered = FirebirdFolder(dir, "registered", 3053);
  const std::vector<std::string> get = {"get", "RemoteServicePort"};
  std::vector<std::string> withFlag = {"--folder", flag};
  withFlag.insert(withFlag.end(), get.begin(), get.end());
  {
    // As the installer writes it, but without the final backslash.
    RegisteredFolder value(registered.substr(0, registered.size() - 1), KEY_WOW64_64KEY);
    ASSERT_TRUE(value.Set());
    EXPECT_EQ(RunConf(get).out, "3053\n");
    EXPECT_EQ(RunConf(get, variable).out, "3052\n");
    EXPECT_EQ(RunConf(withFlag, variable).out, "3051\n");
  }
  {
    // A 32-bit Firebird on 64-bit Windows registers in the 32-bit view.
    RegisteredFolder value(registered, KEY_WOW64_32KEY);
    if (value.Set()) {
      EXPECT_EQ(RunConf(get).out, "3053\n");
    }
  }

  // Nothing registered: the variable, else a message and exit status 3.
  if (!cli::DefaultFolder().empty()) GTEST_SKIP() << "a Firebird installation is registered here";
  EXPECT_EQ(RunConf(get, variable).out, "3052\n");
  const Result none = RunConf(get);
  EXPECT_EQ(none.code, 3);
  EXPECT_EQ(none.out, "");
  EXPECT_EQ(none.err,
            "pellisto-conf: no Firebird folder is known: give --folder DIR or set FIREBIRD (no Firebird "
            "installation is registered on this machine)\n");
}

TEST(WindowsCli, AFolderNamedOutsideAsciiOnTheCommandLineAndInTheVariable) {
  TempDir dir;
  const std::string folder = FirebirdFolder(dir, "F\xC3\xADrebird \xCE\xA9mega", 3050);  // "Fírebird Ωmega"
  const std::string conf = folder + "firebird.conf";

  // Given without its final backslash, as a quoted folder must be.
  Result r = RunConf({"--folder", folder.substr(0, folder.size() - 1), "set", "RemoteServicePort=3051"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "--- " + conf + "\n+++ " + conf +
                       "\n@@ -1 +1 @@\n-RemoteServicePort = 3050\n+RemoteServicePort = 3051\n");
  EXPECT_EQ(ReadFileBytes(conf), "RemoteServicePort = 3051\r\n");

  r = RunConf({"get", "RemoteServicePort"}, folder);
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "3051\n");

  r = RunConf({"--folder", folder + "missing\\", "get", "RemoteServicePort"});
  EXPECT_EQ(r.code, 3);
  EXPECT_EQ(r.err.rfind("pellisto-conf: Cannot open file \"" + folder + "missing\\firebird.conf\". ", 0), 0u)
      << r.err;
}

TEST(WindowsCli, HelpShowsWindowsPaths) {
  const Result help = RunConf({"--help"});
  EXPECT_EQ(help.code, 0);
  EXPECT_NE(help.out.find("%FIREBIRD%, else the folder\n"
                          "                        that the Firebird installer registered\n"
                          "                        (DefaultInstance)"),
            std::string::npos)
      << help.out;
  EXPECT_NE(help.out.find("pellisto-conf --folder \"C:\\Program Files\\Firebird\\Firebird_3_0\" list\n"),
            std::string::npos)
      << help.out;
  EXPECT_EQ(help.out.find("/opt/firebird"), std::string::npos);
}

}  // namespace
