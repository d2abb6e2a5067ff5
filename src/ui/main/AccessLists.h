#pragma once
// The three access policies and the temporary folder list: the radio buttons
// and folder lists filled from the document's values, the controls a radio
// button enables and disables (by their "Tag"), folders added and removed,
// and each value composed again at Apply. The grammar of the values is the
// core's (AccessPolicy.h).

#include <QObject>
#include <functional>
#include <span>

#include "config/firebird/ParameterCatalogue.h"

class QGroupBox;
class QListWidget;
class QRadioButton;
class QPushButton;
class QWidget;
class TFolderList;
class TVantrel;
namespace Ui {
class TMainFrm;
}

class AccessLists : public QObject {
  Q_OBJECT

 public:
  // A folder list with its buttons, inside its group box.
  struct FolderList {
    ParamKey key;
    QGroupBox* Ui::TMainFrm::*group;
    TFolderList* Ui::TMainFrm::*list;
    QPushButton* Ui::TMainFrm::*addButton;
    QPushButton* Ui::TMainFrm::*removeButton;
  };
  // The radio buttons by policy choice (Full, None, Restrict, Restrict UDF;
  // nullptr: the policy has no such choice) and, per choice, the tag it
  // enables (0: none) and the tags it disables.
  static constexpr int kChoiceCount = 4;
  struct Policy {
    FolderList folders;
    QRadioButton* Ui::TMainFrm::*radios[kChoiceCount];
    int enable[kChoiceCount];
    int disable[kChoiceCount][2];
  };
  static std::span<const Policy> Policies();
  static const FolderList& TempDirectories();

  // Takes the controls there are from the window's layout and connects
  // them; owned by the window. document: the window's document of the
  // moment.
  AccessLists(QWidget* window, const Ui::TMainFrm& ui, std::function<TVantrel*()> document);
  // Takes and connects the controls of pages built since, filled when a
  // file is loaded.
  void Attach();

  // Fills the radio buttons and lists there are from the document, the
  // lists emptied first; filling is no change.
  void Load();
  // Each composes its value from the controls and passes it to the
  // document, which records a change where the value differs; the
  // controls' pages must be built.
  void StoreTempDirectories();
  void StoreUdfAccess();
  void StoreExternalFileAccess();
  void StoreDatabaseAccess();

  // Enables the group's tagged controls with enableTag and disables those
  // with disableTag; the document counts as modified.
  void EnableByTag(QGroupBox* group, int enableTag, int disableTag);
  // A folder from the chooser, with a trailing separator, at the list's end.
  void AddPath(QListWidget* list);
  // The selected folders, once the user agrees.
  void RemovePaths(QListWidget* list);

 private:
  void LoadDatabaseAccess();
  void LoadExternalFileAccess();
  void LoadUdfAccess();
  void LoadTempDirectories();
  void LoadPolicy(std::size_t policy);
  void StorePolicy(std::size_t policy);
  // RBFullClick, RBNoneClick, RBRestrictClick and their twins.
  void PolicyRadioChecked(std::size_t policy, int choice);
  void SetModified(bool value);

  QWidget* window_;
  const Ui::TMainFrm& ui_;
  std::function<TVantrel*()> document_;
  bool loaded_ = false;   // Load has run: pages built later are filled
  bool loading_ = false;  // filling: the radios' clicks change nothing
  struct Controls {
    QGroupBox* group;
    QRadioButton* radios[kChoiceCount];
    QListWidget* list;
  };
  Controls controls_[3] = {};
  QListWidget* tempDirectories_ = nullptr;
};
