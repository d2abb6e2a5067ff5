// The window on a screen of 1600 x 1000 at the scale factors 1, 1.5 and 2:
// it opens inside the screen's available area, and every control can be
// reached, inside its page and, where the designed size does not fit, by
// scrolling the window's client area. A scale factor is fixed when the
// application starts, so each scale runs in a process of its own.

#include <QCoreApplication>
#include <QDir>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <cstdlib>

#include "support/Process.h"
#include "ui/MainFrmFixture.h"

namespace {

class ScreenProbe : public MainFrmTest {};

// What one control breaks, or "" when it lies where it can be reached.
std::string Problem(const QWidget* w, const QWidget* inside) {
  const QRect rect(w->mapTo(inside, QPoint()), w->size());
  if (inside->rect().contains(rect)) return {};
  return w->objectName().toStdString() + " " + std::to_string(rect.x()) + "," + std::to_string(rect.y()) + " " +
         std::to_string(rect.width()) + "x" + std::to_string(rect.height()) + " outside " +
         inside->objectName().toStdString();
}

// Run by the test below in a child process; skipped in a plain run.
TEST_F(ScreenProbe, Check) {
  if (!std::getenv("PELLISTO_SCREEN_PROBE")) GTEST_SKIP() << "run by ScreenTest.FitsAtEveryScale";
  for (const char* sample : {"firebird-2.1.7.conf", "firebird-3.0.11-debian.conf"}) {
    const std::string path = SamplePath(sample);
    if (path.empty()) GTEST_SKIP() << "sample files not found";
    TMainFrm& window = Open(ReadFileBytes(path));
    window.show();
    QApplication::processEvents();
    const QRect available = window.screen()->availableGeometry();
    EXPECT_TRUE(available.contains(window.frameGeometry()))
        << sample << ": window " << window.frameGeometry().x() << "," << window.frameGeometry().y() << " "
        << window.frameGeometry().width() << "x" << window.frameGeometry().height();
    EXPECT_TRUE(window.menuBar()->isVisible());

    // The client area is whole inside its scroll area, which scrolls to
    // whatever its view does not show.
    auto* scroll = W<QScrollArea>("ScrollClientArea");
    QWidget* client = scroll->widget();
    EXPECT_EQ(scroll->horizontalScrollBar()->maximum() > 0, client->width() > scroll->viewport()->width());
    EXPECT_EQ(scroll->verticalScrollBar()->maximum() > 0, client->height() > scroll->viewport()->height());
    auto* pages = W<QTabWidget>("PCMain");
    for (int page = 0; page < pages->count(); ++page) {
      pages->setCurrentIndex(page);
      QApplication::processEvents();
      auto* content = pages->widget(page)->findChild<QScrollArea*>()->widget();
      for (QWidget* w : client->findChildren<QWidget*>()) {
        if (!w->isVisible() || w->isWindow()) continue;
        const bool onPage = content->isAncestorOf(w);
        const std::string problem = Problem(w, onPage ? content : client);
        EXPECT_EQ(problem, "") << sample << ", page " << page;
      }
    }
  }
}

TEST(ScreenTest, FitsAtEveryScale) {
  if (SamplePath("firebird-2.1.7.conf").empty()) GTEST_SKIP() << "sample files not found";
  for (const char* scale : {"1", "1.5", "2"}) {
    ProcessOptions options;
    options.environment = {{"PELLISTO_SCREEN_PROBE", "1"}, {"QT_SCALE_FACTOR", scale}};
    Process probe(QDir::toNativeSeparators(QCoreApplication::applicationFilePath()).toStdString(),
                  {"--gtest_filter=ScreenProbe.Check"}, options);
    EXPECT_EQ(probe.Wait(), 0) << "scale " << scale << "\n" << probe.Out() << probe.Err();
    EXPECT_NE(probe.Out().find("[  PASSED  ] 1 test"), std::string::npos) << probe.Out();
  }
}

}  // namespace
