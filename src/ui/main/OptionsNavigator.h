#pragma once
// The options tree and the search by parameter name. Both end in
// FindParameter, which finds a control of the editor window by its component
// name, brings its page to the front and scrolls it into view, optionally
// gives it the focus, and marks it in bold.

#include <QObject>
#include <QPalette>
#include <QPointer>
#include <QString>
#include <functional>
#include <span>
#include <vector>

class QLineEdit;
class QPushButton;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;
namespace Ui {
class TMainFrm;
}

class OptionsNavigator : public QObject {
  Q_OBJECT

 public:
  // Takes its controls from the window's layout, once buildPages has built
  // every page (on the first search); owned by the window.
  OptionsNavigator(QObject* window, const Ui::TMainFrm& ui, std::function<void()> buildPages);

  // The controls the search can find by their component names, in the order
  // it examines them; when several contain the key, the last one wins.
  std::vector<QWidget*> Candidates() const;

  // Searches the key (the text without spaces, letters a to z compared in
  // upper case). No match: the search box turns yellow with red text and
  // nothing else changes.
  void FindParameter(const QString& text, bool focus);
  // Shows the page holding the control and scrolls the control into view; a
  // control on no page changes nothing.
  void ShowPageOf(QWidget* control);
  // The control FindParameter last set in bold, if any.
  QWidget* HighlightedControl() const { return highlighted_; }

  // The parameters of a page that comes and goes with the file (its other
  // parameters): a last node of the tree, captioned caption, with one child
  // per parameter (the name spelled with spaces), and, once the page has
  // its controls (SetAddedControls), search candidates examined after all
  // the others. A search finds one of them only when no other control
  // matches, and then the one whose parameter is the key, else the last
  // whose name holds it, so that every other search finds what it found
  // before. No parameters: neither node nor candidates.
  void SetAddedPage(const QString& caption, const std::vector<QString>& parameters);
  // The page's controls, one per parameter in the same order.
  void SetAddedControls(const std::vector<QWidget*>& controls);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private slots:
  void edSearchIncChange(const QString& text);
  void btFocusedClick();
  void TVWOptionsClick();

 private:
  struct Candidate {
    QString upperName;
    QPointer<QWidget> control;
  };

  void TakeCandidates() const;
  void SetSearchColours(bool found);
  QWidget* FindAdded(const QString& key) const;
  // Shows the control found, gives it the focus when asked, marks it bold.
  void Mark(QWidget* found, bool focus);

  struct AddedCandidate {
    QString upperName;       // the component name
    QString upperParameter;  // the parameter's name
    QPointer<QWidget> control;
  };

  const Ui::TMainFrm& ui_;
  std::function<void()> buildPages_;
  QTabWidget* pages_;
  QLineEdit* search_;
  QTreeWidget* tree_;
  mutable std::vector<Candidate> candidates_;
  std::vector<AddedCandidate> added_;
  QTreeWidgetItem* addedNode_ = nullptr;
  QPalette searchPalette_;  // the search box's own colours
  QPointer<QWidget> highlighted_;
};
