// The floor for the start-up benchmark: a Qt program that shows one empty
// main window of the editor window's size (a menu bar over a 694 x 611
// client area) and ends as soon as it is shown, tearing nothing down, as the
// benchmark's build of the program does.

#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QMainWindow window;
  window.menuBar()->addMenu(QStringLiteral("File"));
  auto* client = new QWidget(&window);
  client->setFixedSize(694, 611);
  window.setCentralWidget(client);
  window.show();
  QTimer::singleShot(0, &app, [] {
    std::fflush(nullptr);
    std::_Exit(0);
  });
  return app.exec();
}
