// Opening the editor window: constructing TMainFrm, which translates it,
// loads firebird.conf and fills every control, beside constructing an empty
// main window with a tab widget in the same run. And one keystroke in its
// search box (FindParameter), beside looking up one control by name.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QMainWindow>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cstdlib>
#include <filesystem>

#include "app/Functions.h"
#include "app/PlatformServices.h"
#include "ui/main/MainFrm.h"
#include "ui/main/OptionsNavigator.h"

namespace {

const char kSample[] = PELLISTO_SAMPLES_DIR "/firebird-2.1.7.conf";

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
  SampleFolder() : desktop_(dir_.path() + "/") {
    const QString folder = dir_.path() + "/";
    std::filesystem::copy_file(kSample, (folder + "firebird.conf").toStdString());
    SetPlatform(&desktop_);
    InstallPath = folder;
  }
  ~SampleFolder() { SetPlatform(nullptr); }

 private:
  QTemporaryDir dir_;
  QuietDesktop desktop_;
};

bool SampleMissing(benchmark::State& state) {
  if (std::filesystem::exists(kSample)) return false;
  state.SkipWithError("firebird-2.1.7.conf sample not found");
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

void BM_EmptyMainWindowFloor(benchmark::State& state) {
  for (auto _ : state) {
    QMainWindow window;
    auto* pages = new QTabWidget(&window);
    window.setCentralWidget(pages);
    benchmark::DoNotOptimize(pages);
  }
}
BENCHMARK(BM_EmptyMainWindowFloor)->Unit(benchmark::kMillisecond)->MinTime(0.5)->Repetitions(5)->ReportAggregatesOnly(true);

// One keystroke: FindParameter over the 78 candidates, with the layout its
// new bold asks for (the event loop would run it before the next key).
// Alternating two keys makes every run move the bold, and for other_page
// switch the page too, as typing does at worst.
void BM_FindParameterPerKeystroke(benchmark::State& state, const char* key1, const char* key2) {
  if (SampleMissing(state)) return;
  SampleFolder folder;
  TMainFrm window;
  window.show();
  OptionsNavigator* navigator = window.Navigator();
  const QString keys[] = {QString::fromLatin1(key1), QString::fromLatin1(key2)};
  std::size_t next = 0;
  for (auto _ : state) {
    navigator->FindParameter(keys[next++ % 2], false);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
  }
  window.close();
}
BENCHMARK_CAPTURE(BM_FindParameterPerKeystroke, other_page, "lock hash", "db cache")
    ->Unit(benchmark::kMicrosecond)->MinTime(0.5)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(BM_FindParameterPerKeystroke, same_page, "lock hash", "lock sem")
    ->Unit(benchmark::kMicrosecond)->MinTime(0.5)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(BM_FindParameterPerKeystroke, same_control, "lock hash", "lock hash")
    ->Unit(benchmark::kMicrosecond)->MinTime(0.5)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(BM_FindParameterPerKeystroke, no_match, "##", "#")
    ->Unit(benchmark::kMicrosecond)->MinTime(0.5)->Repetitions(5)->ReportAggregatesOnly(true);

// What switching the page costs by itself, laid out.
void BM_PageSwitchFloor(benchmark::State& state) {
  if (SampleMissing(state)) return;
  SampleFolder folder;
  TMainFrm window;
  window.show();
  auto* pages = window.findChild<QTabWidget*>(QStringLiteral("PCMain"));
  int next = 0;
  for (auto _ : state) {
    pages->setCurrentIndex(next++ % 2 ? 0 : 4);
    for (int pass = 0; pass < 3; ++pass)
      QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
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
