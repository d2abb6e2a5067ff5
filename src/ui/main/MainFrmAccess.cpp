// The three access policies and the temporary folder list: radio buttons and
// folder lists read from the value at loading and composed again at Apply.

#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVariant>

#include "app/ErrorBox.h"
#include "app/Functions.h"
#include "config/AccessPolicy.h"
#include "config/ParameterRules.h"
#include "ui/main/MainFrm.h"
#include "ui_MainFrm.h"

namespace {

// Tags of the controls a radio button enables or disables together.
constexpr int kAliasesTag = 1;
constexpr int kFolderListTag = 2;

// The radio buttons by policy choice; the grammar of the values is the core's.
constexpr int kChoiceCount = 4;
constexpr int Index(PolicyChoice c) { return static_cast<int>(c); }
static_assert(Index(PolicyChoice::Full) == 0 && Index(PolicyChoice::None) == 1 &&
              Index(PolicyChoice::Restrict) == 2 && Index(PolicyChoice::RestrictUdf) == 3);

struct Policy {
  ParamKey key;
  const char* group;
  const char* radios[kChoiceCount];  // nullptr: the policy has no such choice
  const char* list;
  const char* addButton;
  const char* removeButton;
  // Per choice: the tag enabled (0: none) and the tags disabled, in order.
  int enable[kChoiceCount];
  int disable[kChoiceCount][2];
};

const Policy kPolicies[] = {
    {ParamKey::DatabaseAccess, "GBDatabaseAccess",
     {"RBFull", "RBNone", "RBRestrict", nullptr}, "LBRestrict", "BtAddRestrict",
     "BtRemoveRestrict",
     {0, kAliasesTag, kFolderListTag, 0},
     {{kAliasesTag, kFolderListTag}, {kFolderListTag, 0}, {kAliasesTag, 0}, {0, 0}}},
    {ParamKey::ExternalFileAccess, "GBExternalFileAccess",
     {"RBFullExtFileAccess", "RBNoneExtFileAccess", "RBRestrictExtFileAccess", nullptr},
     "LBRestrictExtFileAccess", "BtAddExternalFileAccess", "BtRemoveExternalFileAccess",
     {0, kAliasesTag, kFolderListTag, 0},
     {{kFolderListTag, 0}, {kFolderListTag, 0}, {kAliasesTag, 0}, {0, 0}}},
    {ParamKey::UdfAccess, "GBUDFAccess",
     {"RBFullUDFAccess", "RBNoneUDFAccess", "RBRestrictUDFAccess", "RBRestrictUDFAccessUDF"},
     "LBRestrictUDFAccess", "BtAddUDFAccess", "BtRemoveUDFAccess",
     {0, kAliasesTag, kFolderListTag, 0},
     {{kFolderListTag, 0}, {kFolderListTag, 0}, {kAliasesTag, 0}, {kFolderListTag, 0}}},
};
constexpr std::size_t kDatabaseAccess = 0, kExternalFileAccess = 1, kUdfAccess = 2;

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

}  // namespace

void TMainFrm::SetDocumentValue(ParamKey key, const std::string& value) {
  if (document_) document_->SetValue(key, value);
}

void TMainFrm::SetModified(bool value) {
  if (document_) document_->SetModified(value);
}

void TMainFrm::ConnectAccessControls() {
  for (std::size_t p = 0; p < std::size(kPolicies); ++p) {
    for (const char* name : kPolicies[p].radios) {
      if (!name) continue;
      auto* radio = findChild<QRadioButton*>(name);
      // Becoming checked, by the user or by loading, is the radio's click.
      connect(radio, &QRadioButton::toggled, this, [this, p, radio](bool checked) {
        if (checked) PolicyRadioChecked(p, radio);
      });
    }
    auto* list = findChild<QListWidget*>(kPolicies[p].list);
    connect(findChild<QPushButton*>(kPolicies[p].addButton), &QPushButton::clicked, this,
            [this, list] { AddPath(list); });
    connect(findChild<QPushButton*>(kPolicies[p].removeButton), &QPushButton::clicked, this,
            [this, list] { RemovePaths(list); });
  }
  connect(ui->Button1, &QPushButton::clicked, this, [this] { AddPath(ui->LBTempDirectories); });
  connect(ui->Button2, &QPushButton::clicked, this,
          [this] { RemovePaths(ui->LBTempDirectories); });
}

// RBFullClick, RBNoneClick, RBRestrictClick and their twins of the other
// two groups.
void TMainFrm::PolicyRadioChecked(std::size_t p, QRadioButton* radio) {
  const Policy& policy = kPolicies[p];
  auto* group = findChild<QGroupBox*>(policy.group);
  for (int c = 0; c < kChoiceCount; ++c) {
    if (!policy.radios[c] || radio->objectName() != QLatin1String(policy.radios[c])) continue;
    const int* disabled = policy.disable[c];
    EnableByTag(group, policy.enable[c], disabled[0]);
    if (disabled[1]) EnableByTag(group, 0, disabled[1]);
  }
}

void TMainFrm::EnableByTag(QGroupBox* group, int enableTag, int disableTag) {
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

void TMainFrm::LoadPolicy(std::size_t p) {
  const Policy& policy = kPolicies[p];
  auto* list = findChild<QListWidget*>(policy.list);
  // A reset to defaults must not carry the old folders into the new file.
  list->clear();
  const std::string value = document_->Value(policy.key);
  const AccessPolicy read = ReadAccessPolicy(policy.key, value);
  if (read.choice) {
    findChild<QRadioButton*>(policy.radios[Index(*read.choice)])->setChecked(true);
    list->addItems(ToItems(read.folders));
  }
}

void TMainFrm::LoadDatabaseAccess() { LoadPolicy(kDatabaseAccess); }
void TMainFrm::LoadExternalFileAccess() { LoadPolicy(kExternalFileAccess); }
void TMainFrm::LoadUdfAccess() { LoadPolicy(kUdfAccess); }

void TMainFrm::LoadTempDirectories() {
  ui->LBTempDirectories->clear();
  const std::string value = document_->TempDirectories();
  if (Decode(value).state != ValueState::Absent)
    ui->LBTempDirectories->addItems(ToItems(ReadFolderList(value)));
}

void TMainFrm::StorePolicy(std::size_t p) {
  const Policy& policy = kPolicies[p];
  // The value is composed whole and passed once, so a policy that did not
  // change leaves its line in the file as it was.
  for (int c = 0; c < kChoiceCount; ++c) {
    if (!policy.radios[c] || !findChild<QRadioButton*>(policy.radios[c])->isChecked()) continue;
    SetDocumentValue(policy.key, ComposeAccessPolicy(static_cast<PolicyChoice>(c),
                                                     Entries(findChild<QListWidget*>(policy.list))));
    return;
  }
}

void TMainFrm::StoreTempDirectories() {
  const std::vector<std::string> entries = Entries(ui->LBTempDirectories);
  // A file without the parameter shows an empty list: left empty, it is no
  // change (and would be reported as one that could not be saved).
  if (entries.empty() &&
      Decode(document_->LoadedValue(ParamKey::TempDirectories)).state == ValueState::Absent)
    return;
  SetDocumentValue(ParamKey::TempDirectories, JoinFolderList(entries));
}
void TMainFrm::StoreUdfAccess() { StorePolicy(kUdfAccess); }
void TMainFrm::StoreExternalFileAccess() { StorePolicy(kExternalFileAccess); }
void TMainFrm::StoreDatabaseAccess() { StorePolicy(kDatabaseAccess); }

void TMainFrm::AddPath(QListWidget* list) {
  const QString folder = WithTrailingSeparator(ChooseFolder(this));
  if (folder.isEmpty()) return;
  list->addItem(folder);
  SetModified(true);
}

void TMainFrm::RemovePaths(QListWidget* list) {
  if (list->selectedItems().isEmpty()) return;
  const auto answer = ShowMessageBox(
      this, QMessageBox::Question, QStringLiteral("You are sure to remove the path's selected"),
      QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
  if (answer != QMessageBox::Yes) return;
  qDeleteAll(list->selectedItems());
  SetModified(true);
}
