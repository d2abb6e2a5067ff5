#pragma once
// The tabs of a tab widget on as many rows as they need, the way the Windows
// tab control lays them out: the tabs fill the rows in their order, every
// caption stays whole, and the row holding the current tab sits next to the
// pages.
//
// The tab widget's own bar shows the current row (its other tabs hidden), so
// the current tab still joins the page frame, and focus, Ctrl+Tab and the
// tab order stay the tab widget's. This widget, placed right above the tab
// widget, shows the other rows with no tab selected; clicking a tab there
// switches the tab widget's page, and that row moves down to the pages. The
// arrow keys go through the tabs of all rows, and Ctrl+PgDn/Ctrl+PgUp turn
// the pages from every control of the window, a drop-down list included
// (whose value they would change otherwise).

#include <QFont>
#include <QStringList>
#include <QTabWidget>
#include <QWidget>
#include <vector>

class QKeyEvent;
class QTabBar;
class QVBoxLayout;

// The tab widget the rows are for. Its tabs are all added before the rows
// lay them out, and its bar measures none of them until then: when the rows
// take it (TabRows::SetPages), or when it is first shown.
class TabPages : public QTabWidget {
  Q_OBJECT

 public:
  explicit TabPages(QWidget* parent = nullptr);
  // Ends the filling: the bar measures its tabs from now on.
  void Filled();

 protected:
  void showEvent(QShowEvent* event) override;
};

class TabRows : public QWidget {
  Q_OBJECT

 public:
  explicit TabRows(QWidget* parent = nullptr);

  // The tab widget whose tabs these rows show; set once.
  void SetPages(QTabWidget* pages);

  // Reads the tab texts again and lays the tabs out on rows anew. Runs by
  // itself when the rows are shown or change font, when the tab widget is
  // resized, and when a tab text of the shown tab widget changes; call it
  // after changing the texts of a tab widget that is not shown, to have the
  // rows right at once.
  void Sync();

  // The height the rows beyond the first `rows` take: what the window adds
  // to keep its pages as tall as designed when the tabs need more rows.
  int HeightBeyond(int rows) const;

 signals:
  // The tabs went onto another number of rows.
  void RowCountChanged(int rows);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void changeEvent(QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  int RowCount() const { return static_cast<int>(rows_.size()); }
  // The row of a page, counted from the row of the first page.
  int RowOf(int page) const;
  std::vector<std::vector<int>> Distribute(int width);
  void BuildBars();
  void Arrange();
  void ShowRow(std::size_t slot, int row);
  void ClickTab(std::size_t slot, QPoint pos);
  bool StepPage(int step);
  // Ctrl+PgDn/Ctrl+PgUp sent to a widget of this window: turns the page.
  bool TurnPage(QObject* receiver, const QKeyEvent& key);

  QTabWidget* pages_ = nullptr;
  QVBoxLayout* layout_;
  QTabBar* measure_;                     // hidden; sizes each tab for its text
  std::vector<std::vector<int>> rows_;   // page indexes of each row
  std::vector<QTabBar*> bars_;           // the rows above the current one, top down
  std::vector<int> shownRows_;           // the row each of them shows
  QStringList texts_;                    // the tab texts the rows were built for
  // The width each tab needs, for the texts and font they were measured
  // with: the tab widget asks for a new layout on every page switch, and
  // measuring means shaping every caption again.
  std::vector<int> widths_;
  QStringList measuredTexts_;
  QFont measuredFont_;
  bool arranging_ = false;
};
