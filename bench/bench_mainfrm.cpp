// Opening the editor window: constructing TMainFrm, which translates it,
// loads firebird.conf and fills every control, beside constructing an empty
// main window with a tab widget in the same run; the same on the 3.0 file,
// which fills the page of other parameters too. And one keystroke in its
// search box (FindParameter), beside looking up one control by name.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QMainWindow>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/Functions.h"
#include "app/PlatformServices.h"
#include "ui/main/MainFrm.h"
#include "ui/main/OptionsNavigator.h"

namespace {

const char kSample[] = PELLISTO_SAMPLES_DIR "/firebird-2.1.7.conf";
// Debian's 3.0 file: the page of other parameters holds 22 rows.
const char kSample30[] = PELLISTO_SAMPLES_DIR "/firebird-3.0.11-debian.conf";

// Answers every box with its default and keeps Config.ini in a scratch folder.
class QuietDesktop : public DesktopServices {
 public:
  explicit QuietDesktop(QString folder) : folder_(std::move(folder)) {}
  QMessageBox::StandardButton ShowMessage(QWidget*, QMessageBox::Icon, const QString&,
                                          const QString&, QMessageBox::StandardButtons,
                                          QMessageBox::StandardButton answer) override {
    return answer;
  }
  QString ApplicationFolder() override { return folder_; }

 private:
  QString folder_;
};

// A scratch Firebird folder holding the sample, made the run's folder, with
// the quiet desktop in place for as long as it lives.
class SampleFolder {
 public:
  explicit SampleFolder(const char* sample = kSample) : desktop_(dir_.path() + "/") {
    const QString folder = dir_.path() + "/";
    std::filesystem::copy_file(sample, (folder + "firebird.conf").toStdString());
    SetPlatform(&desktop_);
    InstallPath = folder;
  }
  ~SampleFolder() { SetPlatform(nullptr); }

 private:
  QTemporaryDir dir_;
  QuietDesktop desktop_;
};

bool SampleMissing(benchmark::State& state, const char* sample = kSample) {
  if (std::filesystem::exists(sample)) return false;
  state.SkipWithError((std::string(sample) + " not found").c_str());
  return true;
}

void BM_OpenEditorWindow(benchmark::State& state) {
  if (SampleMissing(state)) return;
  SampleFolder folder;
  for (auto _ : state) {
    TMainFrm window;
    benchmark::DoNotOptimize(window.Document());
  }
}
BENCHMARK(BM_OpenEditorWindow)->Unit(benchmark::kMillisecond)->MinTime(0.5)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_OpenEditorWindowOnThreeZero(benchmark::State& state) {
  if (SampleMissing(state, kSample30)) return;
  SampleFolder folder(kSample30);
  for (auto _ : state) {
    TMainFrm window;
    benchmark::DoNotOptimize(window.Document());
  }
}
BENCHMARK(BM_OpenEditorWindowOnThreeZero)->Unit(benchmark::kMillisecond)->MinTime(0.5)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_EmptyMainWindowFloor(benchmark::State& state) {
  for (auto _ : state) {
    QMainWindow window;
    auto* pages = new QTabWidget(&window);
    window.setCentralWidget(pages);
    benchmark::DoNotOptimize(pages);
  }
}
BENCHMARK(BM_EmptyMainWindowFloor)->Unit(benchmark::kMillisecond)->MinTime(0.5)->Repetitions(5)->ReportAggregatesOnly(true);

// One keystroke in the search box. Alternating two keys makes every run
// move the bold, and for other_page switch the page too, as typing does at
// worst. Two figures per case: "call" times FindParameter alone (the search
// over the 78 candidates, the page switch, the fonts set), with what it
// leaves to the event loop done outside the timing; "settled" times the
// keystroke until the window is laid out and painted again. Events are
// always drained before the next key, as between two keys of a user: left
// queued, they would slow every later post and skew the figures.
void BM_FindParameterPerKeystroke(benchmark::State& state, const char* key1, const char* key2,
                                  const char* sample = kSample) {
  if (SampleMissing(state, sample)) return;
  const bool settled = state.range(0) != 0;
  SampleFolder folder(sample);
  TMainFrm window;
  window.show();
  QCoreApplication::processEvents();
  OptionsNavigator* navigator = window.Navigator();
  const QString keys[] = {QString::fromLatin1(key1), QString::fromLatin1(key2)};
  std::size_t next = 0;
  for (auto _ : state) {
    navigator->FindParameter(keys[next++ % 2], false);
    if (!settled) state.PauseTiming();
    QCoreApplication::processEvents();
    if (!settled) state.ResumeTiming();
  }
  window.close();
}
#define PELLISTO_KEYSTROKE(name, key1, key2)                                         \
  BENCHMARK_CAPTURE(BM_FindParameterPerKeystroke, name, key1, key2)                  \
      ->ArgName("settled")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->MinTime(0.5) \
      ->Repetitions(5)->ReportAggregatesOnly(true);
PELLISTO_KEYSTROKE(other_page, "lock hash", "db cache")
PELLISTO_KEYSTROKE(same_page, "lock hash", "lock sem")
PELLISTO_KEYSTROKE(same_control, "lock hash", "lock hash")
PELLISTO_KEYSTROKE(no_match, "##", "#")
#undef PELLISTO_KEYSTROKE
// On the 3.0 file: rows of the page of other parameters, found after the
// ten pages' controls (none of which matches), among themselves and from
// another page.
#define PELLISTO_KEYSTROKE_30(name, key1, key2)                                           \
  BENCHMARK_CAPTURE(BM_FindParameterPerKeystroke, name, key1, key2, kSample30)           \
      ->ArgName("settled")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->MinTime(0.5) \
      ->Repetitions(5)->ReportAggregatesOnly(true);
PELLISTO_KEYSTROKE_30(other_parameters_same_page, "wire crypt", "server mode")
PELLISTO_KEYSTROKE_30(other_parameters_other_page, "wire crypt", "lock hash")
PELLISTO_KEYSTROKE_30(other_parameters_no_match, "##", "#")
#undef PELLISTO_KEYSTROKE_30

// What switching the page costs by itself, laid out and painted.
void BM_PageSwitchFloor(benchmark::State& state) {
  if (SampleMissing(state)) return;
  SampleFolder folder;
  TMainFrm window;
  window.show();
  auto* pages = window.findChild<QTabWidget*>(QStringLiteral("PCMain"));
  int next = 0;
  for (auto _ : state) {
    pages->setCurrentIndex(next++ % 2 ? 0 : 4);
    QCoreApplication::processEvents();
  }
  window.close();
}
BENCHMARK(BM_PageSwitchFloor)->Unit(benchmark::kMicrosecond)->MinTime(0.5)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_FindChildOfOneNameFloor(benchmark::State& state) {
  if (SampleMissing(state)) return;
  SampleFolder folder;
  TMainFrm window;
  for (auto _ : state)
    benchmark::DoNotOptimize(window.findChild<QWidget*>(QStringLiteral("edLockHashSlots")));
}
BENCHMARK(BM_FindChildOfOneNameFloor)->Unit(benchmark::kMicrosecond)->MinTime(0.5)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
