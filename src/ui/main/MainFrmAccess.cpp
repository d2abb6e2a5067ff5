// The three access policies and the temporary folder list: radio buttons and
// folder lists read from the value at loading and composed again at Apply.

#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVariant>

#include "app/ErrorBox.h"
#include "app/Functions.h"
#include "ui/main/MainFrm.h"
#include "ui_MainFrm.h"

namespace {

// Tags of the controls a radio button enables or disables together.
constexpr int kAliasesTag = 1;
constexpr int kFolderListTag = 2;

enum Choice { Full, None, Restrict, RestrictUdf, ChoiceCount };

struct Policy {
  ParamKey key;
  const char* group;
  const char* radios[ChoiceCount];  // nullptr: the policy has no such choice
  const char* list;
  const char* addButton;
  const char* removeButton;
  Choice whenCommented;
  // Per choice: the tag enabled (0: none) and the tags disabled, in order.
  int enable[ChoiceCount];
  int disable[ChoiceCount][2];
};

const Policy kPolicies[] = {
    {ParamKey::DatabaseAccess, "GBDatabaseAccess",
     {"RBFull", "RBNone", "RBRestrict", nullptr}, "LBRestrict", "BtAddRestrict",
     "BtRemoveRestrict", Full,
     {0, kAliasesTag, kFolderListTag, 0},
     {{kAliasesTag, kFolderListTag}, {kFolderListTag, 0}, {kAliasesTag, 0}, {0, 0}}},
    {ParamKey::ExternalFileAccess, "GBExternalFileAccess",
     {"RBFullExtFileAccess", "RBNoneExtFileAccess", "RBRestrictExtFileAccess", nullptr},
     "LBRestrictExtFileAccess", "BtAddExternalFileAccess", "BtRemoveExternalFileAccess", None,
     {0, kAliasesTag, kFolderListTag, 0},
     {{kFolderListTag, 0}, {kFolderListTag, 0}, {kAliasesTag, 0}, {0, 0}}},
    {ParamKey::UdfAccess, "GBUDFAccess",
     {"RBFullUDFAccess", "RBNoneUDFAccess", "RBRestrictUDFAccess", "RBRestrictUDFAccessUDF"},
     "LBRestrictUDFAccess", "BtAddUDFAccess", "BtRemoveUDFAccess", RestrictUdf,
     {0, kAliasesTag, kFolderListTag, 0},
     {{kFolderListTag, 0}, {kFolderListTag, 0}, {kAliasesTag, 0}, {kFolderListTag, 0}}},
};
constexpr std::size_t kDatabaseAccess = 0, kExternalFileAccess = 1, kUdfAccess = 2;

const QString kRestrict = QStringLiteral("Restrict");

QString Trimmed(const QString& text) {
  // Blanks and control characters, as the file reader trims them.
  qsizetype begin = 0, end = text.size();
  while (begin < end && text[begin].unicode() <= 32) ++begin;
  while (end > begin && text[end - 1].unicode() <= 32) --end;
  return text.mid(begin, end - begin);
}

// Splits a folder list at ";", keeping quoted folders (which may hold ";")
// whole with their quotes, and dropping empty pieces.
QStringList SplitFolders(const QString& text) {
  QStringList pieces;
  QString piece;
  QChar quote;
  for (const QChar c : text) {
    if (!quote.isNull()) {
      if (c == quote) quote = QChar();
    } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
      quote = c;
    } else if (c == QLatin1Char(';')) {
      if (!piece.isEmpty()) pieces << piece;
      piece.clear();
      continue;
    }
    piece += c;
  }
  if (!piece.isEmpty()) pieces << piece;
  return pieces;
}

QStringList Entries(const QListWidget* list) {
  QStringList entries;
  for (int i = 0; i < list->count(); ++i) entries << list->item(i)->text();
  return entries;
}

}  // namespace

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
  for (int c = 0; c < ChoiceCount; ++c) {
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
  const QString value = FromDoc(document_->Value(policy.key));
  const QString upper = value.toUpper();
  auto check = [&](Choice c) { findChild<QRadioButton*>(policy.radios[c])->setChecked(true); };

  if (value.isEmpty() || value.startsWith(QLatin1Char('#'))) {
    check(policy.whenCommented);
  } else if (upper == QLatin1String("FULL")) {
    check(Full);
  } else if (upper == QLatin1String("NONE")) {
    check(None);
  } else if (policy.radios[RestrictUdf] && upper == QLatin1String("RESTRICT UDF")) {
    check(RestrictUdf);
  } else if (const qsizetype at = value.indexOf(kRestrict); at >= 0) {
    check(Restrict);
    list->addItems(SplitFolders(Trimmed(value.mid(at + kRestrict.size()))));
  }
  if (value.startsWith(QLatin1Char('*'))) MarkUnsupported(findChild<QGroupBox*>(policy.group));
}

void TMainFrm::LoadDatabaseAccess() { LoadPolicy(kDatabaseAccess); }
void TMainFrm::LoadExternalFileAccess() { LoadPolicy(kExternalFileAccess); }
void TMainFrm::LoadUdfAccess() { LoadPolicy(kUdfAccess); }

void TMainFrm::LoadTempDirectories() {
  ui->LBTempDirectories->clear();
  const QString value = FromDoc(document_->TempDirectories());
  if (value.startsWith(QLatin1Char('*')))
    MarkUnsupported(ui->GBTempDirectories);
  else if (!value.isEmpty() && !value.startsWith(QLatin1Char('#')))
    ui->LBTempDirectories->addItems(SplitFolders(Trimmed(value)));
}

void TMainFrm::StorePolicy(std::size_t p) {
  const Policy& policy = kPolicies[p];
  auto checked = [&](Choice c) {
    return policy.radios[c] && findChild<QRadioButton*>(policy.radios[c])->isChecked();
  };
  // The value is composed whole and passed once, so a policy that did not
  // change leaves its line in the file as it was.
  if (checked(Full))
    SetDocumentValue(policy.key, QStringLiteral("Full"));
  else if (checked(None))
    SetDocumentValue(policy.key, QStringLiteral("None"));
  else if (checked(Restrict))
    SetDocumentValue(policy.key, QStringLiteral("Restrict ") +
                                     Entries(findChild<QListWidget*>(policy.list)).join(';'));
  else if (checked(RestrictUdf))
    SetDocumentValue(policy.key, QStringLiteral("Restrict UDF"));
}

void TMainFrm::StoreTempDirectories() {
  SetDocumentValue(ParamKey::TempDirectories, Entries(ui->LBTempDirectories).join(';'));
}
void TMainFrm::StoreUdfAccess() { StorePolicy(kUdfAccess); }
void TMainFrm::StoreExternalFileAccess() { StorePolicy(kExternalFileAccess); }
void TMainFrm::StoreDatabaseAccess() { StorePolicy(kDatabaseAccess); }

void TMainFrm::AddPath(QListWidget* list) {
  QString folder = ChooseFolder(this);
  if (folder.isEmpty()) return;
  if (!folder.endsWith(QLatin1Char(kPathDelimiter))) folder += QLatin1Char(kPathDelimiter);
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
