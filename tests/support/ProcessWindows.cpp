#include "support/Process.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>

#include "config/base/Utf16.h"

namespace {

// One argument as the C runtime's parser reads it back.
std::wstring Quoted(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (const wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, L'\\');
  return quoted + L"\"";
}

std::wstring NameOf(const std::wstring& entry) {
  // "=C:=C:\\..." entries keep the first "=" in their name.
  return entry.substr(0, entry.find(L'=', 1));
}

bool SameName(const std::wstring& a, const std::wstring& b) { return _wcsicmp(a.c_str(), b.c_str()) == 0; }

// This process's variables with the changes, sorted as Windows keeps them.
std::wstring EnvironmentBlock(const ProcessOptions& options) {
  std::vector<std::wstring> entries;
  wchar_t* current = GetEnvironmentStringsW();
  for (const wchar_t* at = current; *at; at += wcslen(at) + 1) entries.emplace_back(at);
  FreeEnvironmentStringsW(current);
  for (const auto& [name, value] : options.environment) {
    const std::wstring wideName = conf::Widen(name);
    std::erase_if(entries, [&](const std::wstring& e) { return SameName(NameOf(e), wideName); });
    if (value) entries.push_back(wideName + L"=" + conf::Widen(*value));
  }
  std::sort(entries.begin(), entries.end(),
            [](const std::wstring& a, const std::wstring& b) { return _wcsicmp(a.c_str(), b.c_str()) < 0; });
  std::wstring block;
  for (const std::wstring& e : entries) block += e + L'\0';
  return block + L'\0';
}

HANDLE Inheritable(const std::wstring& name, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return CreateFileW(name.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                     disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

Process::Process(const std::string& program, const std::vector<std::string>& args,
                 const ProcessOptions& options) {
  std::wstring commandLine = Quoted(conf::Widen(program));
  for (const std::string& a : args) commandLine += L" " + Quoted(conf::Widen(a));
  std::wstring environment = EnvironmentBlock(options);

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = Inheritable(L"NUL", GENERIC_READ, OPEN_EXISTING);
  startup.hStdOutput = Inheritable(conf::Widen(io_.file("out")), GENERIC_WRITE, CREATE_ALWAYS);
  startup.hStdError = Inheritable(conf::Widen(io_.file("err")), GENERIC_WRITE, CREATE_ALWAYS);
  PROCESS_INFORMATION started{};
  if (CreateProcessW(conf::Widen(program).c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                     CREATE_UNICODE_ENVIRONMENT, environment.data(), nullptr, &startup, &started)) {
    CloseHandle(started.hThread);
    handle_ = reinterpret_cast<std::intptr_t>(started.hProcess);
  }
  for (HANDLE h : {startup.hStdInput, startup.hStdOutput, startup.hStdError})
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
}

Process::~Process() {
  Wait();
  if (Started()) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

int Process::Wait() {
  if (code_) return *code_;
  if (!Started()) return -1;
  const HANDLE process = reinterpret_cast<HANDLE>(handle_);
  DWORD code = 0;
  WaitForSingleObject(process, INFINITE);
  code_ = GetExitCodeProcess(process, &code) ? static_cast<int>(code) : -1;
  return *code_;
}
