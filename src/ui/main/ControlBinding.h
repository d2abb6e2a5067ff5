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

  // Takes the controls from the window's layout and connects their change
  // handlers; owned by the window. document: the window's document of the
  // moment.
  ControlBinding(QObject* window, const Ui::TMainFrm& ui, std::function<TVantrel*()> document);
  // The controls, by row of Bindings().
  std::span<QWidget* const> Controls() const { return controls_; }

  // Fills every control from the document (the access policies' radio
  // buttons and lists aside), as the version the file was taken for reads
  // it: a commented value shows its default, an absent one is marked.
  void Load();
  // Shows the defaults that follow ServerMode (3.0+) for the ServerMode the
  // document holds now, pending or written, in the controls that show
  // their default; a value the user gave stays. Nothing becomes pending.
  void FollowServerMode();
  // The server version the controls were last filled for.
  ServerVersion FileVersion() const { return version_; }

 private:
  void Connect(const Binding& b, QWidget* control);
  void LoadRow(const Binding& b, QWidget* control, const TVantrel& document);
  QString DefaultShown(ParamKey key) const;
  void ShowDefault(const Binding& b, QWidget* control);
  void SetDocumentValue(ParamKey key, const std::string& value);

  std::function<TVantrel*()> document_;
  std::vector<QWidget*> controls_;  // by row of the table
  ServerVersion version_ = kAssumedVersion;
  bool superMode_ = true;  // 3.0+: the ServerMode the file sets
};
