// The editor window's life: creation, filling the controls, Apply, Done,
// Cancel, the question before discarding changes, the page remembered at
// closing, and the reset of every parameter to firebird.conf.default.

#include "ui/main/MainFrm.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>

#include "app/ErrorBox.h"
#include "app/Functions.h"
#include "app/WindowFont.h"
#include "config/fs/AtomicFile.h"
#include "config/format/ConfReading.h"
#include "config/firebird/ParameterRules.h"
#include "i18n/Gettext.h"
#include "ui/main/AccessLists.h"
#include "ui/main/AdminSave.h"
#include "ui/main/ControlBinding.h"
#include "ui/widgets/DialogKeys.h"
#include "ui/main/DocumentSaver.h"
#include "ui/main/OptionsNavigator.h"
#include "ui/main/OtherParametersPage.h"
#include "ui/main/MainFrmUi.h"

namespace {
QMessageBox::StandardButton Ask(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                                QMessageBox::StandardButton defaultButton) {
  return ShowMessageBox(parent, icon, text, QMessageBox::Yes | QMessageBox::No, defaultButton);
}

// "Read as Firebird 3.0" beside the folder, and how the version was found.
const char* const kVersionCaption = N_("Read as Firebird %1");
const char* CueHint(VersionCue cue) {
  switch (cue) {
    case VersionCue::Header:
      return N_("Taken from the header of the file");
    case VersionCue::Names:
      return N_("Taken from the parameter names in the file");
    case VersionCue::None:
    case VersionCue::Given:
      break;
  }
  return N_("Nothing in the file tells its version: read as Firebird 2.1 reads it");
}

}  // namespace

TMainFrm::TMainFrm(QWidget* parent) : QMainWindow(parent), ui(std::make_unique<Ui::TMainFrm>()) {
  // Set on the window before its controls exist, so that every control is
  // born with it rather than told of it afterwards, and so that the bold of
  // a found control is added to this font and removed again.
  setFont(WindowFont());
  // The frame only: the pages are built as they are needed (BuildPage), and
  // their controls are null until then.
  {
    const WindowFontAsDefault building(font());
    ui->MainFrame::setupUi(this);
  }
  SetUpLayout();
  saver_ = std::make_unique<DocumentSaver>(this);
  binding_ = new ControlBinding(this, *ui, [this] { return document_.get(); });
  access_ = new AccessLists(this, *ui, [this] { return document_.get(); });
  navigator_ = new OptionsNavigator(this, *ui, [this] { BuildAllPages(); });
  otherParameters_ = new OtherParametersPage(this, ui->PCMain, navigator_, [this] { return document_.get(); });
  connect(otherParameters_, &OtherParametersPage::ServerModeChanged, binding_, &ControlBinding::FollowServerMode);
  ConnectCommands();
  UseDialogKeys(this);
  connect(ui->BtApply, &QPushButton::clicked, this, [this] { RunGuarded([this] { BtApplyClick(); }, this); });
  connect(ui->BtDone, &QPushButton::clicked, this, [this] { RunGuarded([this] { BtDoneClick(); }, this); });
  connect(ui->BtCancel, &QPushButton::clicked, this, &TMainFrm::BtCancelClick);
  connect(ui->AInitAll, &QAction::triggered, this, [this] { RunGuarded([this] { AInitAllExecute(); }, this); });
  connect(ui->SExit, &QAction::triggered, this, &TMainFrm::close);
  // The window sees every key before its controls (Esc closes it).
  qApp->installEventFilter(this);
  FormCreate();
}

TMainFrm::~TMainFrm() = default;

void TMainFrm::FormCreate() {
  // Nothing here needs excluding from translation: the walker never looks at
  // component names, fonts, dynamic properties or the options tree's nodes.
  i18n::TranslateComponent(this);
  KeepPathsWhole(this);
  // From now on a page coming to the front is built first.
  connect(ui->PCMain, &QTabWidget::currentChanged, this, &TMainFrm::BuildPage);

  ui->BtApply->setEnabled(false);
  document_ = std::make_unique<TVantrel>();
  // A file that cannot be read leaves the window unfilled, and with nothing
  // loaded nothing can be saved; the folder box still shows where it looked.
  if (RunGuarded([this] { LoadFolder(InstallPath); }, this)) {
    // What the file includes may be unreadable (a named pipe, too many
    // files): the window opens on the file, and says why.
    if (!RunGuarded([this] { LoadControls(); }, this)) {
      document_->SetModified(false);
      ShowFileState();
    }
  } else {
    const QSignalBlocker quiet(ui->edRootDirectory);
    ui->edRootDirectory->setText(InstallPath);
    ShowFileState();
  }
  BuildPage(ui->PCMain->currentIndex());
}

void TMainFrm::LoadControls() {
  binding_->Load();
  ShowServerVersion();
  access_->Load();
  otherParameters_->Load();
  RestoreActivePage();
  document_->SetModified(false);
  ShowFileState();
}

void TMainFrm::ShowServerVersion() {
  const VersionCue cue = document_->VersionFoundBy();
  ui->lblServerVersion->setText(
      i18n::Translate(kVersionCaption).arg(QString::fromUtf8(VersionName(binding_->FileVersion()))));
  ui->lblServerVersion->setToolTip(i18n::Translate(CueHint(cue)));
}

void TMainFrm::ShowFileState() {
  const QString folder = ui->edRootDirectory->text();
  QString state, hint;
  if (!loaded_) {
    state = i18n::Translate(N_("No file is open: there is no readable firebird.conf in %1")).arg(folder);
  } else {
    const std::string path = ToDocPath(ShownFolder() + QStringLiteral("firebird.conf"));
    switch (conf::CheckWriteAccess(path)) {
      case conf::WriteAccess::Allowed:
        break;
      case conf::WriteAccess::NoWritePermission:
        state = i18n::Translate(N_("Read-only: firebird.conf in %1 has no write permission")).arg(folder);
        break;
      case conf::WriteAccess::NotPermitted:
        state = i18n::Translate(N_("Read-only: you may not write firebird.conf in %1")).arg(folder);
        // Short enough for the strip; the hint says the rest.
        if (AdminSave::Offered(path)) {
          hint = state + i18n::Translate(N_(": Apply saves it as administrator, after the system asks for an administrator's password"));
          state = i18n::Translate(N_("Read-only for you: firebird.conf is saved as administrator"));
        } else if (AdminSave::WantsPkexec(path)) {
          hint = state + i18n::Translate(N_("; install the pkexec package to save it as administrator"));
          state = i18n::Translate(N_("Read-only for you: install the pkexec package to save it as administrator"));
        }
        break;
      case conf::WriteAccess::ReadOnlyFileSystem:
        state = i18n::Translate(N_("Read-only: %1 is on a read-only file system")).arg(folder);
        break;
      case conf::WriteAccess::Impossible:
        state = i18n::Translate(N_("Read-only: firebird.conf in %1 cannot be written")).arg(folder);
        break;
    }
  }
  ui->lblFileState->setText(state);
  // A long folder may not show whole in the strip; the hint holds it all.
  ui->lblFileState->setToolTip(hint.isEmpty() ? state : hint);
}

void TMainFrm::LoadFolder(const QString& folder) {
  document_->Load(ToDocPath(folder));
  // The folder shown is where this window saves, whatever the file says.
  document_->SetRootDirectory(ToDocPath(folder));
  if (!loaded_) {
    loaded_ = true;
    document_->OnModified = [this](TVantrel& sender, bool modified) { ApplyEnable(sender, modified); };
  }
}

void TMainFrm::ApplyEnable(TVantrel&, bool modified) {
  // A button disabled while it has the focus hands it on down the tab order,
  // into the read-only folder box; Done is the button left to press.
  if (!modified && focusWidget() == ui->BtApply) ui->BtDone->setFocus();
  ui->BtApply->setEnabled(modified);
}

bool TMainFrm::CheckTcpRemoteBufferSize() {
  // A file without the parameter has nothing to check; otherwise the text
  // shown is what will be saved.
  if (Decode(document_->TcpRemoteBufferSize()).state == ValueState::Absent) return true;
  const QString text = ui->edTcpRemoteBufferSize->text();
  bool isNumber = false;
  long long size = text.trimmed().toLongLong(&isNumber);
  // A 3.0+ server also reads a number with k, m or g after it.
  if (!isNumber && GenerationOf(binding_->FileVersion()) == Generation::V3) {
    const std::optional<long long> read = StrictInteger(ToDoc(text.trimmed()));
    isNumber = read.has_value() && !text.trimmed().isEmpty();
    size = read.value_or(0);
  }
  if (!isNumber)
    throw std::runtime_error(ToDoc(i18n::Translate(N_("'%1' is not a valid integer value")).arg(text)));
  const ValueRange range = *RuleOf(ParamKey::TcpRemoteBufferSize).range;
  if (range.Contains(size)) return true;
  ShowMessageBox(this, QMessageBox::Critical,
                 FromDoc(RangeMessage(KeyName(ParamKey::TcpRemoteBufferSize), range,
                                      RangeWording::Correction)),
                 QMessageBox::Ok, QMessageBox::Ok);
  return false;
}

void TMainFrm::ShowRestartNotice() {
  ShowMessageBox(this, QMessageBox::Information,
                 i18n::Translate(N_("The changes will take effect when reset the Firebird service")),
                 QMessageBox::Ok, QMessageBox::Ok);
}

void TMainFrm::StoreTempDirectories() { access_->StoreTempDirectories(); }
void TMainFrm::StoreUdfAccess() { access_->StoreUdfAccess(); }
void TMainFrm::StoreExternalFileAccess() { access_->StoreExternalFileAccess(); }
void TMainFrm::StoreDatabaseAccess() { access_->StoreDatabaseAccess(); }

bool TMainFrm::BtApplyClick() {
  if (!loaded_) return false;
  // Apply reads the pages' controls: every page is there first.
  BuildAllPages();
  if (!CheckTcpRemoteBufferSize()) return false;
  StoreTempDirectories();
  StoreUdfAccess();
  StoreExternalFileAccess();
  StoreDatabaseAccess();
  const DocumentSaver::Outcome saved = SaveDocument();
  // Not saved, as the user chose: the changes wait for another Apply.
  if (saved.stopped) return false;
  // The notice for what was written, then what was not.
  if (saved.changed) ShowRestartNotice();
  saver_->ReportLate(saved.late);
  if (!saved.leftOut.empty()) saver_->ReportLeftOut(saved.leftOut);
  document_->SetModified(false);
  return true;
}

DocumentSaver::Outcome TMainFrm::SaveDocument() {
  DocumentSaver::Outcome saved = saver_->Save(*document_);
  if (saved.merged) {
    // What was written is the file now (after a merge, or as the helper
    // wrote it): the window shows it, on the page it showed.
    saved.merged->OnModified = document_->OnModified;
    document_ = std::move(saved.merged);
    const int page = ui->PCMain->currentIndex();
    LoadControls();
    ui->PCMain->setCurrentIndex(page);
    if (saved.mergedOthers) saver_->ReportMerged(saved.changed);
  } else {
    // The values the server uses now (after a merge, LoadControls listed them).
    otherParameters_->ShowServerValues();
  }
  return saved;
}

void TMainFrm::BtDoneClick() {
  if (loaded_ && document_->Modified() && !BtApplyClick()) return;
  close();
}

void TMainFrm::BtCancelClick() { close(); }

bool TMainFrm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    auto* widget = qobject_cast<QWidget*>(watched);
    // Only keys for this window itself, not for a dialog or an open list.
    if (widget && widget->window() == this && !QApplication::activePopupWidget() &&
        !QApplication::activeModalWidget()) {
      BtCancelClick();
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void TMainFrm::closeEvent(QCloseEvent* event) {
  // Not while a save as administrator is waiting for its answer.
  if (AdminSave::Running()) {
    event->ignore();
    return;
  }
  // FormCloseQuery: unsaved changes are only dropped when the user agrees.
  if (loaded_ && document_ && document_->Modified() &&
      Ask(this, QMessageBox::Question, i18n::Translate(N_("Abandon changes")), QMessageBox::No) !=
          QMessageBox::Yes) {
    event->ignore();
    return;
  }
  // FormClose: remember the page; the document goes without saving.
  RunGuarded([this] { SaveActivePage(); }, this);
  document_.reset();
  qApp->removeEventFilter(this);
  event->accept();
}

void TMainFrm::SaveActivePage() { WriteActivePage(ui->PCMain->currentIndex()); }

void TMainFrm::RestoreActivePage() {
  const int page = ReadActivePage();
  // A page that does not exist shows the first one, never an empty control.
  ui->PCMain->setCurrentIndex(page >= 0 && page < ui->PCMain->count() ? page : 0);
}

void TMainFrm::AInitAllExecute() {
  // The folder the window shows: after a change of folder, that is the
  // server being edited, not the one the program started with.
  const QString shown = ShownFolder();
  // Said whole: the answer overwrites the file.
  if (Ask(this, QMessageBox::Warning,
          i18n::Translate(N_("Copy firebird.conf.default over firebird.conf in %1? Every parameter then has the value of firebird.conf.default, and changes not applied are lost.")).arg(shown),
          QMessageBox::No) != QMessageBox::Yes)
    return;
  std::string late;
  if (!saver_->ResetToDefaults(ToDoc(shown), late)) return;
  LoadFolder(shown);
  LoadControls();
  saver_->ReportLate(late);
}
