#pragma once
// TMainFrm: the editor window of one firebird.conf.
//
// The window's own files: MainFrm.cpp (creation, Apply, Done, Cancel,
// closing, reset to defaults), MainFrmLayout.cpp (fonts, size, scrolling
// pages, how texts show), MainFrmCommands.cpp (menu commands, links, the
// install-folder change). Helpers it owns, each with its own state, do the
// rest: ControlBinding (every control bound to its parameter), AccessLists
// (access policies and folder lists), DocumentSaver (Apply's save, with a
// file another program changed, or as administrator through AdminSave), OptionsNavigator (the options tree and the
// search) and OtherParametersPage (the page of the file's other parameters).

#include <QMainWindow>
#include <array>
#include <memory>

#include "config/document/TVantrel.h"
#include "ui/main/DocumentSaver.h"

class AccessLists;
class QScrollArea;
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

  // The configuration document; null once the window has closed.
  TVantrel* Document() const { return document_.get(); }
  // False when firebird.conf could not be loaded: nothing can be saved then.
  bool DocumentLoaded() const { return loaded_; }
  ControlBinding* Binding() const { return binding_; }
  OptionsNavigator* Navigator() const { return navigator_; }
  OtherParametersPage* OtherParameters() const { return otherParameters_; }

  // The ten designed pages, built when first needed (MainFrmPages.cpp): the
  // one in front when the window opens, another when it comes to the front,
  // all before Apply or a search.
  static constexpr int kPageCount = 10;
  void BuildPage(int index);
  void BuildAllPages();
  // Makes a page's content as tall as its wrapped texts need at the width
  // its scroll area gives it.
  static void FitPageHeight(QScrollArea* area);

 protected:
  void closeEvent(QCloseEvent* event) override;  // FormCloseQuery + FormClose
  bool eventFilter(QObject* watched, QEvent* event) override;  // FormKeyPress

 private slots:
  // --- lifecycle ---
  // Validates, saves and clears the change state; false when it stopped.
  bool BtApplyClick();
  void BtDoneClick();
  void BtCancelClick();
  void AInitAllExecute();

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
  // Puts the designed client area into a scroll area, the window's central
  // widget.
  void WrapClientArea();
  // A page's scroll area and the empty content it scrolls, in the tab's
  // page: made as the page is first built.
  QScrollArea* MakePageArea(QWidget* tab, const QString& name);
  // Centres the window inside the screen's available area.
  void PlaceOnScreen();
  // Run on the translated texts: wrapped lines break at blanks, not in paths.
  void KeepPathsWhole(QWidget* root);
  // Puts a page built late back in its place in the tab order.
  void OrderFocus(int index);

  // Fills every control, the page shown last in front, and drops the
  // changes filling made.
  void LoadControls();
  // Shows beside the folder the server version the file was taken for.
  void ShowServerVersion();
  // Says beside the folder when no file is open, or when this user may not
  // write the file the window saves into; nothing when all is well.
  void ShowFileState();
  void SaveActivePage();
  void RestoreActivePage();

  void ApplyEnable(TVantrel& sender, bool modified);
  bool CheckTcpRemoteBufferSize();
  // Apply's steps that compose the access policies and the folder list.
  void StoreTempDirectories();
  void StoreUdfAccess();
  void StoreExternalFileAccess();
  void StoreDatabaseAccess();
  // Saves the document (Apply's save) and shows the values the server uses
  // now; after a merge with a file another program changed, or a save as
  // administrator, the window shows what was written.
  DocumentSaver::Outcome SaveDocument();
  void ShowRestartNotice();

  std::unique_ptr<Ui::TMainFrm> ui;
  std::unique_ptr<TVantrel> document_;
  std::unique_ptr<DocumentSaver> saver_;
  ControlBinding* binding_ = nullptr;
  AccessLists* access_ = nullptr;
  OptionsNavigator* navigator_ = nullptr;
  OtherParametersPage* otherParameters_ = nullptr;
  bool loaded_ = false;
  std::array<bool, kPageCount> built_{};
};
