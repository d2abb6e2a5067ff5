// The three access policies and the temporary folder list: radio buttons and
// folder lists read from the value at loading and composed again at Apply.

#include "i18n/Gettext.h"
#include "ui/main/AccessLists.h"

#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QVariant>

#include "app/ErrorBox.h"
#include "app/Functions.h"
#include "config/firebird/AccessPolicy.h"
#include "config/firebird/ParameterRules.h"
#include "config/document/TVantrel.h"
#include "ui/main/MainFrmUi.h"

namespace {

// Tags of the controls a radio button enables or disables together.
constexpr int kAliasesTag = 1;
constexpr int kFolderListTag = 2;

using U = Ui::TMainFrm;

// The radio buttons by policy choice; the grammar of the values is the core's.
constexpr int Index(PolicyChoice c) { return static_cast<int>(c); }
static_assert(Index(PolicyChoice::Full) == 0 && Index(PolicyChoice::None) == 1 &&
              Index(PolicyChoice::Restrict) == 2 && Index(PolicyChoice::RestrictUdf) == 3);

constexpr AccessLists::Policy kPolicies[] = {
    {{ParamKey::DatabaseAccess, &U::GBDatabaseAccess, &U::LBRestrict, &U::BtAddRestrict, &U::BtRemoveRestrict},
     {&U::RBFull, &U::RBNone, &U::RBRestrict, nullptr},
     {0, kAliasesTag, kFolderListTag, 0},
     {{kAliasesTag, kFolderListTag}, {kFolderListTag, 0}, {kAliasesTag, 0}, {0, 0}}},
    {{ParamKey::ExternalFileAccess, &U::GBExternalFileAccess, &U::LBRestrictExtFileAccess, &U::BtAddExternalFileAccess,
      &U::BtRemoveExternalFileAccess},
     {&U::RBFullExtFileAccess, &U::RBNoneExtFileAccess, &U::RBRestrictExtFileAccess, nullptr},
     {0, kAliasesTag, kFolderListTag, 0},
     {{kFolderListTag, 0}, {kFolderListTag, 0}, {kAliasesTag, 0}, {0, 0}}},
    {{ParamKey::UdfAccess, &U::GBUDFAccess, &U::LBRestrictUDFAccess, &U::BtAddUDFAccess, &U::BtRemoveUDFAccess},
     {&U::RBFullUDFAccess, &U::RBNoneUDFAccess, &U::RBRestrictUDFAccess, &U::RBRestrictUDFAccessUDF},
     {0, kAliasesTag, kFolderListTag, 0},
     {{kFolderListTag, 0}, {kFolderListTag, 0}, {kAliasesTag, 0}, {kFolderListTag, 0}}},
};
constexpr std::size_t kDatabaseAccess = 0, kExternalFileAccess = 1, kUdfAccess = 2;

constexpr AccessLists::FolderList kTempDirectories = {ParamKey::TempDirectories, &U::GBTempDirectories,
                                                      &U::LBTempDirectories, &U::Button1, &U::Button2};

QStringList ToItems(const std::vector<std::string>& folders) {
  QStringList items;
  for (const std::string& folder : folders) items << FromDoc(folder);
  return items;
}

std::vector<std::string> Entries(const QListWidget* list) {
  std::vector<std::string> entries;
  for (int i = 0; i < list->count(); ++i) entries.push_back(ToDoc(list->item(i)->text()));
  return entries;
}

template <class T>
T* In(const Ui::TMainFrm& ui, T* Ui::TMainFrm::*member) {
  return member ? ui.*member : nullptr;
}

}  // namespace

std::span<const AccessLists::Policy> AccessLists::Policies() { return kPolicies; }

const AccessLists::FolderList& AccessLists::TempDirectories() { return kTempDirectories; }

AccessLists::AccessLists(QWidget* window, const Ui::TMainFrm& ui, std::function<TVantrel*()> document)
    : QObject(window), window_(window), ui_(ui), document_(std::move(document)) {
  Attach();
}

void AccessLists::Attach() {
  const auto connectButtons = [this](const FolderList& folders, QListWidget* list) {
    connect(In(ui_, folders.addButton), &QPushButton::clicked, this, [this, list] { AddPath(list); });
    connect(In(ui_, folders.removeButton), &QPushButton::clicked, this, [this, list] { RemovePaths(list); });
  };
  for (std::size_t p = 0; p < std::size(kPolicies); ++p) {
    Controls& c = controls_[p];
    if (c.group || !In(ui_, kPolicies[p].folders.group)) continue;
    c.group = In(ui_, kPolicies[p].folders.group);
    c.list = In(ui_, kPolicies[p].folders.list);
    for (int choice = 0; choice < kChoiceCount; ++choice) {
      c.radios[choice] = In(ui_, kPolicies[p].radios[choice]);
      if (!c.radios[choice]) continue;
      // Becoming checked, by the user or by loading, is the radio's click.
      connect(c.radios[choice], &QRadioButton::toggled, this, [this, p, choice](bool checked) {
        if (checked) PolicyRadioChecked(p, choice);
      });
    }
    connectButtons(kPolicies[p].folders, c.list);
    if (loaded_) LoadPolicy(p);
  }
  if (!tempDirectories_ && In(ui_, kTempDirectories.list)) {
    tempDirectories_ = In(ui_, kTempDirectories.list);
    connectButtons(kTempDirectories, tempDirectories_);
    if (loaded_) LoadTempDirectories();
  }
}

void AccessLists::SetModified(bool value) {
  // Filling the controls is no change of the user's.
  if (loading_) return;
  if (TVantrel* document = document_()) document->SetModified(value);
}

void AccessLists::PolicyRadioChecked(std::size_t p, int choice) {
  const int* disabled = kPolicies[p].disable[choice];
  EnableByTag(controls_[p].group, kPolicies[p].enable[choice], disabled[0]);
  if (disabled[1]) EnableByTag(controls_[p].group, 0, disabled[1]);
}

void AccessLists::EnableByTag(QGroupBox* group, int enableTag, int disableTag) {
  for (QWidget* control : group->findChildren<QWidget*>()) {
    const QVariant tag = control->property("Tag");
    if (!tag.isValid()) continue;
    if (tag.toInt() == enableTag)
      control->setEnabled(true);
    else if (tag.toInt() == disableTag)
      control->setEnabled(false);
  }
  SetModified(true);
}

void AccessLists::Load() {
  loaded_ = true;
  LoadDatabaseAccess();
  LoadExternalFileAccess();
  LoadUdfAccess();
  LoadTempDirectories();
}

void AccessLists::LoadPolicy(std::size_t p) {
  // A page not built yet is filled when it is.
  if (!controls_[p].group) return;
  const QScopedValueRollback quiet(loading_, true);
  QListWidget* list = controls_[p].list;
  // A reset to defaults must not carry the old folders into the new file.
  list->clear();
  const AccessPolicy read = ReadAccessPolicy(kPolicies[p].folders.key, document_()->Value(kPolicies[p].folders.key));
  if (read.choice) {
    controls_[p].radios[Index(*read.choice)]->setChecked(true);
    list->addItems(ToItems(read.folders));
  }
}

void AccessLists::LoadDatabaseAccess() { LoadPolicy(kDatabaseAccess); }
void AccessLists::LoadExternalFileAccess() { LoadPolicy(kExternalFileAccess); }
void AccessLists::LoadUdfAccess() { LoadPolicy(kUdfAccess); }

void AccessLists::LoadTempDirectories() {
  if (!tempDirectories_) return;
  tempDirectories_->clear();
  const std::string value = document_()->TempDirectories();
  if (Decode(value).state != ValueState::Absent) tempDirectories_->addItems(ToItems(ReadFolderList(value)));
}

void AccessLists::StorePolicy(std::size_t p) {
  TVantrel* document = document_();
  if (!document) return;
  // The value is composed whole and passed once, so a policy that did not
  // change leaves its line in the file as it was.
  for (int c = 0; c < kChoiceCount; ++c) {
    if (!controls_[p].radios[c] || !controls_[p].radios[c]->isChecked()) continue;
    document->SetValue(kPolicies[p].folders.key,
                       ComposeAccessPolicy(static_cast<PolicyChoice>(c), Entries(controls_[p].list)));
    return;
  }
}

void AccessLists::StoreTempDirectories() {
  TVantrel* document = document_();
  if (!document || !tempDirectories_) return;
  const std::vector<std::string> entries = Entries(tempDirectories_);
  // A file without the parameter shows an empty list: left empty, it is no
  // change (and would be reported as one that could not be saved).
  if (entries.empty() &&
      Decode(document->LoadedValue(ParamKey::TempDirectories)).state == ValueState::Absent)
    return;
  document->SetValue(ParamKey::TempDirectories, JoinFolderList(entries));
}
void AccessLists::StoreUdfAccess() { StorePolicy(kUdfAccess); }
void AccessLists::StoreExternalFileAccess() { StorePolicy(kExternalFileAccess); }
void AccessLists::StoreDatabaseAccess() { StorePolicy(kDatabaseAccess); }

void AccessLists::AddPath(QListWidget* list) {
  const QString folder = WithTrailingSeparator(ChooseFolder(window_));
  if (folder.isEmpty()) return;
  list->addItem(folder);
  SetModified(true);
}

void AccessLists::RemovePaths(QListWidget* list) {
  if (list->selectedItems().isEmpty()) return;
  const auto answer = ShowMessageBox(
      window_, QMessageBox::Question, i18n::Translate(N_("You are sure to remove the path's selected")),
      QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
  if (answer != QMessageBox::Yes) return;
  qDeleteAll(list->selectedItems());
  SetModified(true);
}
