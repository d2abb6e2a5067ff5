#pragma once
// TMainFrm: the editor window of one firebird.conf.
//
// Its behaviour is split by concern: MainFrm.cpp (creation, Apply, Done,
// Cancel, closing, reset to defaults), MainFrmBinding.cpp (every control
// bound to its parameter), MainFrmAccess.cpp (access policies and folder
// lists), MainFrmLayout.cpp (fonts, size, scrolling pages, how texts show),
// MainFrmCommands.cpp (menu commands, links, the install-folder change). The
// options tree and the search belong to its OptionsNavigator, the page of the
// file's other parameters to its OtherParametersPage.

#include <QMainWindow>
#include <memory>
#include <string>
#include <vector>

#include "config/ServerVersion.h"
#include "config/TVantrel.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QRadioButton;
class AccessLists;
class ControlBinding;
class OptionsNavigator;
class OtherParametersPage;

namespace Ui {
class TMainFrm;
}

class TMainFrm : public QMainWindow {
  Q_OBJECT

 public:
  // Creates the window over InstallPath's firebird.conf (FormCreate).
  explicit TMainFrm(QWidget* parent = nullptr);
  ~TMainFrm() override;

  Ui::TMainFrm* form() const { return ui.get(); }
  // The configuration document; null once the window has closed.
  TVantrel* Document() const { return document_.get(); }
  // False when firebird.conf could not be loaded: nothing can be saved then.
  bool DocumentLoaded() const { return loaded_; }
  OptionsNavigator* Navigator() const { return navigator_; }
  OtherParametersPage* OtherParameters() const { return otherParameters_; }

  // --- lifecycle ---
  // Validates, saves and clears the change state; false when it stopped.
  bool BtApplyClick();
  void BtDoneClick();
  void BtCancelClick();
  void AInitAllExecute();
  void ApplyEnable(TVantrel& sender, bool modified);
  bool CheckTcpRemoteBufferSize();
  // What a save did: whether it changed a parameter in the file, and which
  // changes it left out because the file has no line for them.
  struct SaveOutcome {
    bool changed = false;
    std::vector<SettingId> leftOut;
  };
  // Saves the document (Apply's save). When another program changed the file
  // since it was read, the user's changes are put on top of the file as it
  // is now, asking which value to keep where both changed the same
  // parameter, and the controls are filled again from the result.
  SaveOutcome SaveDocument();
  void ShowRestartNotice();
  // Says beside the folder when no file is open, or when this user may not
  // write the file the window saves into; nothing when all is well.
  void ShowFileState();
  void SaveActivePage();
  void RestoreActivePage();

  // --- controls ---
  void LoadControls();

 protected:
  void closeEvent(QCloseEvent* event) override;  // FormCloseQuery + FormClose
  bool eventFilter(QObject* watched, QEvent* event) override;  // FormKeyPress

 private slots:
  // --- menu commands and links ---
  void APreferencesExecute();
  void AWebProductExecute();
  void AFirebirdDocExecute();
  void ACheckForUpdateExecute();
  void AAboutExecute();
  void Label4Click();
  void BtAliasesConfClick();
  void SBFirebirdInstallClick();

 private:
  void FormCreate();
  // Loads the folder's firebird.conf and makes the folder the one saved
  // into; from the first success on, changes reach the Apply button and the
  // document can be saved.
  void LoadFolder(const QString& folder);
  // The folder the window shows and saves into (InstallPath until a file
  // has been loaded).
  QString ShownFolder() const;
  void ConnectCommands();
  void SetUpLayout();
  // The fixed client size: the designed one, taller by any tab rows beyond
  // the designed two.
  void FitClientArea();
  // Run on the translated texts: wrapped lines break at blanks, not in paths.
  void KeepPathsWhole();
  // Shows beside the folder the server version the file was taken for.
  void ShowServerVersion();
  // Refuses, with an error naming the parameter, a save that would write a
  // control character or change a value nobody touched.
  static void CheckBeforeSaving(const TVantrel& document);
  // Apply's steps that compose the access policies and the folder list.
  void StoreTempDirectories();
  void StoreUdfAccess();
  void StoreExternalFileAccess();
  void StoreDatabaseAccess();
  bool KeepOwnValue(const TVantrel::Conflict& conflict);

  std::unique_ptr<Ui::TMainFrm> ui;
  std::unique_ptr<TVantrel> document_;
  ControlBinding* binding_ = nullptr;
  AccessLists* access_ = nullptr;
  OptionsNavigator* navigator_ = nullptr;
  OtherParametersPage* otherParameters_ = nullptr;
  bool loaded_ = false;
  bool closing_ = false;
};
