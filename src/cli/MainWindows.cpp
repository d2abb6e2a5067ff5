// pellisto-conf, the command-line companion of the editor, on Windows: its
// arguments and the FIREBIRD variable arrive as UTF-16 and become the UTF-8
// the core works in; what it prints is UTF-8 with LF line ends, as on
// Linux, except on a console, which is given UTF-16 so that every letter
// shows.

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <streambuf>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "config/base/Utf16.h"

namespace {

// The length of the text up to a UTF-8 sequence that is not complete yet.
std::size_t WholeLetters(std::string_view text) {
  for (std::size_t back = 1; back <= 3 && back <= text.size(); ++back) {
    const unsigned char c = static_cast<unsigned char>(text[text.size() - back]);
    if ((c & 0xC0) == 0x80) continue;  // a continuation byte
    const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    return length > back ? text.size() - back : text.size();
  }
  return text.size();
}

// Collects UTF-8 text and writes it to a console as UTF-16.
class ConsoleBuffer : public std::streambuf {
 public:
  explicit ConsoleBuffer(HANDLE console) : console_(console) {}
  ~ConsoleBuffer() override { sync(); }

 protected:
  int_type overflow(int_type c) override {
    if (c != traits_type::eof()) text_ += traits_type::to_char_type(c);
    return c;
  }
  std::streamsize xsputn(const char* data, std::streamsize n) override {
    text_.append(data, static_cast<std::size_t>(n));
    return n;
  }
  int sync() override {
    // A letter cut in two waits for its other bytes.
    const std::size_t whole = WholeLetters(text_);
    const std::wstring wide = conf::Widen(std::string_view(text_).substr(0, whole));
    text_.erase(0, whole);
    DWORD written = 0;
    for (std::size_t at = 0; at < wide.size(); at += written) {
      if (!::WriteConsoleW(console_, wide.data() + at, static_cast<DWORD>(wide.size() - at), &written,
                           nullptr) ||
          written == 0)
        return -1;
    }
    return 0;
  }

 private:
  HANDLE console_;
  std::string text_;
};

// One of the standard outputs, for the time of the run: a console gets its
// own buffer, anything else the bytes as they are.
class Output {
 public:
  Output(DWORD which, FILE* file, std::ostream& stream) : stream_(stream), saved_(stream.rdbuf()) {
    const HANDLE handle = ::GetStdHandle(which);
    DWORD mode = 0;
    if (handle != INVALID_HANDLE_VALUE && handle && ::GetConsoleMode(handle, &mode)) {
      console_ = std::make_unique<ConsoleBuffer>(handle);
      stream.rdbuf(console_.get());
    } else {
      ::_setmode(::_fileno(file), _O_BINARY);  // "\n" stays LF
    }
  }
  ~Output() {
    stream_.flush();
    stream_.rdbuf(saved_);
  }
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;

 private:
  std::ostream& stream_;
  std::streambuf* saved_;
  std::unique_ptr<ConsoleBuffer> console_;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::ios::sync_with_stdio(false);
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(conf::Narrow(argv[i]));
  std::string firebird;
  const wchar_t* variable = ::_wgetenv(L"FIREBIRD");
  if (variable) firebird = conf::Narrow(variable);

  const Output out(STD_OUTPUT_HANDLE, stdout, std::cout), err(STD_ERROR_HANDLE, stderr, std::cerr);
  return cli::Main(args, variable ? firebird.c_str() : nullptr, std::cout, std::cerr, _isatty(_fileno(stdout)) != 0);
}
