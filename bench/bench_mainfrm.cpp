// Opening the editor window: constructing TMainFrm, which translates it,
// loads firebird.conf and fills every control, beside constructing an empty
// main window with a tab widget in the same run.

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

void BM_OpenEditorWindow(benchmark::State& state) {
  if (!std::filesystem::exists(kSample)) {
    state.SkipWithError("firebird-2.1.7.conf sample not found");
    return;
  }
  QTemporaryDir dir;
  const QString folder = dir.path() + "/";
  std::filesystem::copy_file(kSample, (folder + "firebird.conf").toStdString());
  QuietDesktop desktop(folder);
  SetPlatform(&desktop);
  InstallPath = folder;
  for (auto _ : state) {
    TMainFrm window;
    benchmark::DoNotOptimize(window.Document());
  }
  SetPlatform(nullptr);
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

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
