// Loading and saving firebird.conf, each beside the floor of plainly reading
// or writing the same bytes. Saving and its floor both sync the file, so the
// comparison is between equally durable writes. The server's reading and
// check run beside Load on the same files, and pellisto-conf as a whole
// process beside /bin/true.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include <fcntl.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "config/fs/AtomicFile.h"
#include "config/format/ConfReading.h"
#include "LegacyServerReader.h"
#include "config/document/TVantrel.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

const char kSample[] = PELLISTO_SAMPLES_DIR "/firebird-2.1.7.conf";
// Where the samples are missing, Debian's file where Debian installs it.
const char* const kSample30 = fs::exists(PELLISTO_SAMPLES_DIR "/firebird-3.0.11-debian.conf")
                                  ? PELLISTO_SAMPLES_DIR "/firebird-3.0.11-debian.conf"
                                  : "/etc/firebird/3.0/firebird.conf";

std::string ReadFloor(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFloor(const std::string& path, const std::string& content) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) throw std::runtime_error("cannot create " + path);
  const char* data = content.data();
  std::size_t left = content.size();
  while (left > 0) {
    ssize_t n = ::write(fd, data, left);
    if (n <= 0) throw std::runtime_error("cannot write " + path);
    data += n;
    left -= static_cast<std::size_t>(n);
  }
  ::fsync(fd);
  ::close(fd);
}

// Scratch folders, removed when the run ends.
class Workspace {
 public:
  static Workspace& Get() {
    static Workspace workspace;
    return workspace;
  }
  ~Workspace() {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }

  // A folder holding firebird.conf: the sample itself (megabytes 0) or the
  // sample repeated to the given size. Empty when the sample is missing.
  std::string Folder(std::size_t megabytes, const char* sampleFile = kSample) {
    const std::string key = std::to_string(megabytes) + sampleFile;
    auto found = folders_.find(key);
    if (found != folders_.end()) return found->second;
    if (!fs::exists(sampleFile)) return {};
    std::string sample = ReadFloor(sampleFile);
    std::string content = sample;
    while (content.size() < megabytes * 1024 * 1024) content += sample;
    std::string folder = root_ + "/" + std::to_string(folders_.size()) + "-" + std::to_string(megabytes) + "MB/";
    fs::create_directories(folder);
    WriteFloor(folder + "firebird.conf", content);
    return folders_[key] = folder;
  }

 private:
  Workspace() {
    std::string pattern = (fs::temp_directory_path() / "pellisto-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    root_ = pattern;
  }
  std::string root_;
  std::map<std::string, std::string> folders_;
};

bool Prepare(benchmark::State& state, std::size_t megabytes, std::string& folder,
             const char* sample = kSample) {
  folder = Workspace::Get().Folder(megabytes, sample);
  if (folder.empty()) state.SkipWithError((std::string("sample missing: ") + sample).c_str());
  return !folder.empty();
}

void BM_Load(benchmark::State& state, std::size_t megabytes) {
  std::string folder;
  if (!Prepare(state, megabytes, folder)) return;
  for (auto _ : state) {
    TVantrel doc;
    doc.Load(folder);
    std::size_t total = 0;
    for (const auto& p : kParameters) total += doc.Value(p.key).size();
    benchmark::DoNotOptimize(total);
  }
  state.SetBytesProcessed(state.iterations() *
                          static_cast<int64_t>(fs::file_size(folder + "firebird.conf")));
}

void BM_ReadFloor(benchmark::State& state, std::size_t megabytes) {
  std::string folder;
  if (!Prepare(state, megabytes, folder)) return;
  const std::string path = folder + "firebird.conf";
  for (auto _ : state) benchmark::DoNotOptimize(ReadFloor(path));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(fs::file_size(path)));
}

// Reading the file and handing its text to read (the server's reading or
// check), as Load reads the file and takes it apart.
template <class Read>
void ReadThen(benchmark::State& state, std::size_t megabytes, Read read, const char* sample = kSample) {
  std::string folder;
  if (!Prepare(state, megabytes, folder, sample)) return;
  const std::string path = folder + "firebird.conf";
  for (auto _ : state) {
    const conf::FileBuffer file = conf::ReadWholeFileBuffer(path);
    benchmark::DoNotOptimize(read(file.view()));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(fs::file_size(path)));
}

void BM_ReadAsServer(benchmark::State& state, std::size_t megabytes) {
  ReadThen(state, megabytes, ReadAsServer);
}

void BM_Check(benchmark::State& state, std::size_t megabytes) {
  ReadThen(state, megabytes, CheckAsServer);
}

// What list, get and check do now: the version detected, then the file read
// by that version's reader (and checked), beside BM_Check above.
ConfReading DetectThenRead(std::string_view text) {
  DetectedVersion detected{};
  return ReadConfAsDetected(text, "firebird.conf", detected);
}

void BM_DetectThenRead(benchmark::State& state, std::size_t megabytes) {
  ReadThen(state, megabytes, DetectThenRead);
}

void BM_DetectThenCheck(benchmark::State& state, std::size_t megabytes) {
  ReadThen(state, megabytes, [](std::string_view text) { return CheckConf(DetectThenRead(text)).size(); });
}

// The same on the Debian 3.0 file, read by the 3.0 reader.
void BM_DetectThenRead30(benchmark::State& state, std::size_t megabytes) {
  ReadThen(state, megabytes, DetectThenRead, kSample30);
}

// check on Debian's 3.0 file: read as its version reads it, then checked.
void BM_DetectThenCheck30(benchmark::State& state, std::size_t megabytes) {
  ReadThen(
      state, megabytes, [](std::string_view text) { return CheckConf(DetectThenRead(text)).size(); }, kSample30);
}

// Runs a program to its end with its output thrown away.
void Spawn(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
    throw std::runtime_error("cannot run " + args[0]);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error(args[0] + " failed");
}

// pellisto-conf get on the 2.1.7 sample, start to end (wall time: the work
// is in the child).
void BM_ConfGetProcess(benchmark::State& state) {
  std::string folder;
  if (!Prepare(state, 0, folder)) return;
  for (auto _ : state) Spawn({PELLISTO_CONF, "--folder", folder, "get", "TempBlockSize"});
}

// pellisto-conf check on Debian's 3.0 file where Debian keeps it (else a
// copy of the sample), start to end.
void BM_ConfCheckProcess30(benchmark::State& state) {
  std::string folder = "/etc/firebird/3.0/";
  if (!fs::exists(folder + "firebird.conf") && !Prepare(state, 0, folder, kSample30)) return;
  for (auto _ : state) Spawn({PELLISTO_CONF, "--folder", folder, "check"});
}

// The floor of starting any process.
void BM_TrueProcess(benchmark::State& state) {
  for (auto _ : state) Spawn({"/bin/true"});
}

// Three pending changes per save; the values alternate so that every round
// has something to write.
void BM_Save(benchmark::State& state, std::size_t megabytes) {
  std::string source;
  if (!Prepare(state, megabytes, source)) return;
  const std::string folder = source + "save/";
  fs::create_directories(folder);
  TVantrel doc;
  doc.Load(source);
  bool flip = false;
  for (auto _ : state) {
    flip = !flip;
    doc.SetTempBlockSize(flip ? "2048" : "4096");
    doc.SetLockSignal(flip ? "16" : "8");
    doc.SetGCPolicy(flip ? "cooperative" : "background");
    doc.Save(folder);
    doc.SetModified(false);
  }
  state.SetBytesProcessed(state.iterations() *
                          static_cast<int64_t>(conf::JoinLines(doc.Lines()).size()));
}

void BM_WriteFloor(benchmark::State& state, std::size_t megabytes) {
  std::string source;
  if (!Prepare(state, megabytes, source)) return;
  TVantrel doc;
  doc.Load(source);
  const std::string content = conf::JoinLines(doc.Lines());
  const std::string path = source + "floor.conf";
  for (auto _ : state) WriteFloor(path, content);
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(content.size()));
}

// The least time of the repetitions (--benchmark_repetitions) is the
// figure least disturbed by other work on the machine.
double Least(const std::vector<double>& times) {
  return times.empty() ? 0.0 : *std::min_element(times.begin(), times.end());
}

#define PELLISTO_SIZE(bm, name, megabytes)   \
  BENCHMARK_CAPTURE(bm, name, megabytes)     \
      ->Unit(benchmark::kMicrosecond)        \
      ->ComputeStatistics("min", Least)
#define PELLISTO_SIZES(bm)                  \
  PELLISTO_SIZE(bm, sample_2_1_7, 0);       \
  PELLISTO_SIZE(bm, generated_1MB, 1);      \
  PELLISTO_SIZE(bm, generated_10MB, 10)

PELLISTO_SIZES(BM_Load);
PELLISTO_SIZES(BM_ReadAsServer);
PELLISTO_SIZES(BM_Check);
PELLISTO_SIZES(BM_DetectThenRead);
PELLISTO_SIZES(BM_DetectThenCheck);
PELLISTO_SIZE(BM_DetectThenRead30, generated_10MB, 10);
PELLISTO_SIZE(BM_DetectThenCheck30, sample_3_0_11_debian, 0);
PELLISTO_SIZE(BM_DetectThenCheck30, generated_10MB, 10);
PELLISTO_SIZES(BM_ReadFloor);
PELLISTO_SIZES(BM_Save);
PELLISTO_SIZES(BM_WriteFloor);
BENCHMARK(BM_ConfGetProcess)->UseRealTime()->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", Least);
BENCHMARK(BM_ConfCheckProcess30)->UseRealTime()->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", Least);
BENCHMARK(BM_TrueProcess)->UseRealTime()->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", Least);

}  // namespace

int main(int argc, char** argv) {
  // glibc moves its mmap and trim thresholds after large blocks are freed, so
  // without fixed values an iteration's page faults depend on what the
  // benchmark before it allocated. Fixed, every run measures warm memory.
  mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
  mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
