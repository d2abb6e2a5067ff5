#pragma once
// Every parameter of the ten pages in its control, from one table: which
// control shows which parameter and how; the change handlers that pass a
// control's value to the document (ed<Key>Change, CB<Key>Click,
// CB<Key>Change); the filling of every control from the document as the
// file's version reads it; and the marking of a control whose parameter the
// file lacks. The access policies and the temporary folders have rows here
// too, for their group boxes' marking; their radio buttons and lists are the
// AccessLists'.

#include <QObject>
#include <QString>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "config/firebird/ParameterCatalogue.h"
#include "config/firebird/ServerVersion.h"

class QWidget;
class TVantrel;
namespace Ui {
class TMainFrm;
}
struct DecodedValue;

class ControlBinding : public QObject {
  Q_OBJECT

 public:
  enum class Kind {
    InstallFolder,  // the read-only edRootDirectory: the folder as it is
    Edit,           // an edit box: its whole text
    Flag,           // a check box: "1" or "0"
    KeywordList,    // a drop-down list: the keyword of the chosen position, in lower case
    NumberedList,   // a drop-down list of two: the chosen position, "0" or "1"
    AccessLists,    // a group box of radio buttons and a folder list (AccessLists)
  };
  struct Binding {
    ParamKey key;
    QWidget* (*control)(const Ui::TMainFrm&);  // the component, from the window's layout
    Kind kind;
    bool markWhenAbsent;
  };
  // One row per parameter of the pages, in the order the controls are filled.
  static std::span<const Binding> Bindings();

  // The hint of a control whose parameter the loaded file lacks.
  static const QString kUnsupportedHint;
  // The hint, and an edit box made read-only in the read-only grey.
  static void MarkUnsupported(QWidget* control);

  // Takes the controls there are from the window's layout and connects
  // their change handlers; owned by the window. document: the window's
  // document of the moment.
  ControlBinding(QObject* window, const Ui::TMainFrm& ui, std::function<TVantrel*()> document);
  // Takes and connects the controls of pages built since, and fills them as
  // Load would have: the document holds what they show already, so it does
  // not change.
  void Attach();
  // The controls, by row of Bindings(); null for a page not built yet.
  std::span<QWidget* const> Controls() const { return controls_; }

  // Fills every control from the document (the access policies' radio
  // buttons and lists aside), as the version the file was taken for reads
  // it: a commented value shows its default, an absent one is marked. A
  // row whose page is not built yet gets in the document what its control
  // would write there, and is filled when it is built.
  void Load();
  // Shows the defaults that follow ServerMode (3.0+) for the ServerMode the
  // document holds now, pending or written, in the controls that show
  // their default; a value the user gave stays. Nothing becomes pending.
  void FollowServerMode();
  // The server version the controls were last filled for.
  ServerVersion FileVersion() const { return version_; }

 private:
  // What a row's control shows.
  struct Shown {
    QString text;                      // an edit box's
    bool on = false;                   // a check box's or a list of two's
    std::optional<std::size_t> index;  // a drop-down list's
    bool marked = false;               // unsupported: left as it is, and marked
  };
  void Connect(const Binding& b, QWidget* control);
  Shown ShownOf(const Binding& b, const TVantrel& document) const;
  void Fill(const Binding& b, QWidget* control, const Shown& shown);
  // What the row's change handler passes to the document when Fill shows
  // shown in its control.
  void WriteShown(const Binding& b, const Shown& shown);
  QString DefaultShown(ParamKey key) const;
  void ShowDefault(std::size_t row);
  void SetDocumentValue(ParamKey key, const std::string& value);

  const Ui::TMainFrm& ui_;
  std::function<TVantrel*()> document_;
  std::vector<QWidget*> controls_;  // by row of the table
  // Since Load, what the rows of pages not built yet are to show.
  std::vector<std::optional<Shown>> unfilled_;
  ServerVersion version_ = kAssumedVersion;
  bool superMode_ = true;  // 3.0+: the ServerMode the file sets
};
