#pragma once
// The page "Other parameters", after the ten: the parameters of the file
// that the ten pages do not show (OtherParametersOf), one row each with its
// name, the value the server uses and an editor of its kind, and below the
// list the comment that the file carries above the chosen row's line. Rows
// of names the server ignores are read-only. The page, its node in the
// options tree and its search candidates are there only while the file has
// such a parameter.
//
// An editor writes to the document only when the user changes it; Apply
// checks and writes the values as the other pages' are (TMainFrm). The wheel
// over the list scrolls it, never a value.

#include <QObject>
#include <functional>
#include <vector>

#include "config/document/OtherParameters.h"

class OptionsNavigator;
class QGridLayout;
class QLabel;
class QPlainTextEdit;
class QScrollArea;
class QTabWidget;
class QWidget;
class TVantrel;

class OtherParametersPage : public QObject {
  Q_OBJECT

 public:
  // pages: the window's tab widget, which the page joins after the ten.
  // document: the window's document of the moment (null once it is gone).
  OtherParametersPage(QWidget* window, QTabWidget* pages, OptionsNavigator* navigator,
                      std::function<TVantrel*()> document);

  // Lists the other parameters of the document as it was loaded or last
  // written: the page stands after the ten while there is one, its rows
  // built when it first comes to the front (or BuildRows).
  void Load();
  void BuildRows();
  // The values the server uses now, after Apply wrote the file.
  void ShowServerValues();
  // The page while it stands among the others; null when the file has no
  // other parameter.
  QWidget* Page() const;
  // The rows' editors, in the order of the rows.
  std::vector<QWidget*> Editors() const;

 signals:
  // The user changed ServerMode's value (or took the change back): the
  // defaults that follow it may show others.
  void ServerModeChanged();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Row {
    OtherParameter parameter;
    QLabel* name;
    QLabel* value;
    QWidget* editor;
  };

  void BuildPage();
  // Puts each column title over its column.
  void PlaceHeader();
  void ClearRows();
  QWidget* NewContent();
  QWidget* AddRow(const OtherParameter& p, QWidget* content);
  void OrderFocus();
  QWidget* MakeEditor(const OtherParameter& p, QWidget* parent);
  QWidget* MakeIgnoredEdit(const OtherParameter& p, QWidget* parent);
  QWidget* MakeCheckBox(const OtherParameter& p, const std::string& shown, QWidget* parent);
  QWidget* MakeList(const OtherParameter& p, const std::string& shown, QWidget* parent);
  QString ServerValueText(const OtherParameter& p) const;
  void Write(SettingId id, const std::string& value);
  void SetCurrentRow(int row);
  int RowOf(const QWidget* widget) const;

  QWidget* window_;
  QTabWidget* pages_;
  OptionsNavigator* navigator_;
  std::function<TVantrel*()> document_;
  ServerVersion version_ = kAssumedVersion;

  // Built the first time a file has a row.
  QWidget* page_ = nullptr;
  int rowHeight_ = 0;
  QWidget* header_ = nullptr;
  std::vector<QLabel*> headings_;
  QScrollArea* scroll_ = nullptr;
  QGridLayout* grid_ = nullptr;
  QLabel* commentTitle_ = nullptr;
  QPlainTextEdit* comment_ = nullptr;

  std::vector<OtherParameter> parameters_;  // of the file, in their order
  std::vector<Row> rows_;
  int current_ = -1;
};
