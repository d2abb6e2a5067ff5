// Every parameter shown in its control: how a value fills the control, which
// default a commented parameter shows, how a parameter the file lacks is
// marked, and what the control writes back on every change.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPalette>
#include <array>
#include <span>

#include "app/Functions.h"
#include "ui/main/MainFrm.h"
#include "ui_MainFrm.h"

const QString TMainFrm::kUnsupportedHint =
    QStringLiteral("Characteristic unsupported in their version of Firebird");

namespace {

enum class Kind {
  InstallFolder,  // edRootDirectory
  Edit,           // the edit's whole text
  FlagOffByDefault,
  FlagOnByDefault,
  KeywordList,   // the keyword of the chosen position, in lower case
  NumberedList,  // the chosen position, "0" or "1"
  AccessLists,   // access policies and folder lists, loaded in their own file
};

struct Binding {
  ParamKey key;
  const char* control;  // component name; the handler is <control>Change/Click
  Kind kind;
  const char* defaultText;  // shown for a commented edit; default item of a list
  bool markWhenAbsent;
  std::span<const char* const> keywords = {};  // keyword lists, by position
};

// The English keywords behind the list items. The items may be translated;
// the value written is always taken from here by the chosen position.
constexpr std::array<const char*, 3> kAuthenticationKeywords = {"mixed", "native", "trusted"};
constexpr std::array<const char*, 3> kGCPolicyKeywords = {"cooperative", "background",
                                                          "combined"};

using K = ParamKey;
// In the order the controls are filled.
const Binding kBindings[] = {
    {K::RootDirectory, "edRootDirectory", Kind::InstallFolder, "", false},
    {K::DatabaseAccess, "GBDatabaseAccess", Kind::AccessLists, "", true},
    {K::ExternalFileAccess, "GBExternalFileAccess", Kind::AccessLists, "", true},
    {K::UdfAccess, "GBUDFAccess", Kind::AccessLists, "", true},
    {K::TempDirectories, "GBTempDirectories", Kind::AccessLists, "", true},
    {K::Authentication, "CBAuthentication", Kind::KeywordList, "mixed", true,
     kAuthenticationKeywords},
    {K::LegacyHash, "CBLegacyHASH", Kind::FlagOnByDefault, "", false},
    {K::DefaultDbCachePages, "edDefaultDbCachePages", Kind::Edit, "2048", true},
    {K::DatabaseGrowthIncrement, "edDatabaseGrowthIncrement", Kind::Edit, "134217728", true},
    {K::MaxFileSystemCache, "edMaxFileSystemCache", Kind::Edit, "65536", true},
    {K::TempBlockSize, "edTempBlockSize", Kind::Edit, "1048576", true},
    {K::TempCacheLimit, "edTempCacheLimit", Kind::Edit, "67108864", true},
    {K::CompleteBooleanEvaluation, "CBCompleteBooleanEvaluation", Kind::FlagOffByDefault, "",
     true},
    {K::DeadlockTimeout, "edDeadlockTimeout", Kind::Edit, "10", true},
    {K::MaxUnflushedWrites, "edMaxUnflushedWrites", Kind::Edit, "100", true},
    {K::MaxUnflushedWriteTime, "edMaxUnflushedWriteTime", Kind::Edit, "5", true},
    {K::BugcheckAbort, "CBBugcheckAbort", Kind::FlagOffByDefault, "", true},
    {K::ConnectionTimeout, "edConnectionTimeout", Kind::Edit, "180", true},
    {K::RemoteServiceName, "edRemoteServiceName", Kind::Edit, "gds_db", true},
    {K::RemoteServicePort, "edRemoteServicePort", Kind::Edit, "3050", true},
    {K::RemoteAuxPort, "edRemoteAuxPort", Kind::Edit, "0", true},
    {K::TcpRemoteBufferSize, "edTcpRemoteBufferSize", Kind::Edit, "8192", true},
    {K::TcpNoNagle, "CBTcpNoNagle", Kind::FlagOnByDefault, "", true},
    {K::RemoteBindAddress, "edRemoteBindAddress", Kind::Edit, "", true},
    {K::LockMemSize, "edLockMemSize", Kind::Edit, "1048576", true},
    {K::LockSemCount, "edLockSemCount", Kind::Edit, "32", true},
    {K::LockAcquireSpins, "edLockAcquireSpins", Kind::Edit, "0", true},
    {K::LockHashSlots, "edLockHashSlots", Kind::Edit, "1009", true},
    {K::EventMemSize, "edEventMemSize", Kind::Edit, "65536", true},
    {K::CpuAffinityMask, "edCpuAffinityMask", Kind::Edit, "1", true},
    {K::UsePriorityScheduler, "CBUsePriorityScheduler", Kind::FlagOnByDefault, "", true},
    {K::PrioritySwitchDelay, "edPrioritySwitchDelay", Kind::Edit, "100", true},
    {K::PriorityBoost, "edPriorityBoost", Kind::Edit, "5", true},
    {K::GCPolicy, "CBGCPolicy", Kind::KeywordList, "combined", false, kGCPolicyKeywords},
    {K::GuardianOption, "CBGuardianOption", Kind::NumberedList, "", true},
    {K::ProcessPriorityLevel, "edProcessPriorityLevel", Kind::Edit, "0", true},
    {K::IpcName, "edIpcName", Kind::Edit, "FIREBIRD", true},
    {K::RemotePipeName, "edRemotePipeName", Kind::Edit, "interbas", true},
    {K::CreateInternalWindow, "CBCreateInternalWindow", Kind::FlagOnByDefault, "", true},
    {K::LockSignal, "edLockSignal", Kind::Edit, "16", true},
    {K::RemoteFileOpenAbility, "CBRemoteFileOpenAbility", Kind::FlagOffByDefault, "", true},
    {K::Redirection, "CBRedirection", Kind::FlagOffByDefault, "", true},
    {K::OldParameterOrdering, "CBOldParameterOrdering", Kind::FlagOffByDefault, "", true},
    {K::OldColumnNaming, "CBOldColumnNaming", Kind::FlagOffByDefault, "", true},
    {K::LockGrantOrder, "CBLockGrantOrder", Kind::NumberedList, "", true},
};

// A parameter line with nothing after "=" reads like a commented one.
bool ShowsDefault(const std::string& value) { return value.empty() || value[0] == '#'; }
bool Absent(const std::string& value) { return !value.empty() && value[0] == '*'; }

}  // namespace

void TMainFrm::SetDocumentValue(ParamKey key, const QString& value) {
  if (document_) document_->SetValue(key, ToDoc(value));
}

void TMainFrm::MarkUnsupported(QWidget* control) {
  control->setToolTip(kUnsupportedHint);
  if (auto* edit = qobject_cast<QLineEdit*>(control)) {
    edit->setReadOnly(true);
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, QColor(239, 239, 239));
    edit->setPalette(palette);
  }
}

// The change handlers ed<Key>Change, CB<Key>Click and CB<Key>Change: each
// passes its control's value to the setter of its key.
void TMainFrm::ConnectControls() {
  for (const Binding& b : kBindings) {
    const ParamKey key = b.key;
    switch (b.kind) {
      case Kind::InstallFolder:
      case Kind::Edit: {
        auto* edit = findChild<QLineEdit*>(b.control);
        connect(edit, &QLineEdit::textChanged, this,
                [this, key](const QString& text) { SetDocumentValue(key, text); });
        break;
      }
      case Kind::FlagOffByDefault:
      case Kind::FlagOnByDefault: {
        auto* box = findChild<QCheckBox*>(b.control);
        connect(box, &QCheckBox::toggled, this, [this, key](bool checked) {
          SetDocumentValue(key, checked ? QStringLiteral("1") : QStringLiteral("0"));
        });
        break;
      }
      case Kind::KeywordList: {
        auto* list = findChild<QComboBox*>(b.control);
        const auto keywords = b.keywords;
        // Only a choice by the user writes; filling the list does not.
        connect(list, &QComboBox::activated, this, [this, key, keywords](int index) {
          if (index >= 0 && static_cast<std::size_t>(index) < keywords.size())
            SetDocumentValue(key, QString::fromLatin1(keywords[index]));
        });
        break;
      }
      case Kind::NumberedList: {
        auto* list = findChild<QComboBox*>(b.control);
        connect(list, &QComboBox::activated, this,
                [this, key](int index) { SetDocumentValue(key, QString::number(index)); });
        break;
      }
      case Kind::AccessLists:
        break;
    }
  }
  ConnectAccessControls();
}

void TMainFrm::ShowEditValue(QLineEdit* edit, const std::string& value,
                             const QString& defaultText) {
  if (Absent(value))
    MarkUnsupported(edit);
  else if (ShowsDefault(value))
    edit->setText(defaultText);
  else
    edit->setText(FromDoc(value));
}

void TMainFrm::LoadControls() {
  for (const Binding& b : kBindings) {
    // Read afresh each time: filling one control may change another's value.
    const std::string value = document_->Value(b.key);
    switch (b.kind) {
      case Kind::InstallFolder:
        findChild<QLineEdit*>(b.control)->setText(FromDoc(value));
        break;
      case Kind::Edit:
        ShowEditValue(findChild<QLineEdit*>(b.control), value,
                      QString::fromLatin1(b.defaultText));
        break;
      case Kind::FlagOffByDefault:
      case Kind::FlagOnByDefault: {
        auto* box = findChild<QCheckBox*>(b.control);
        if (value == "*" && b.markWhenAbsent) {
          MarkUnsupported(box);
          break;
        }
        box->setChecked(b.kind == Kind::FlagOffByDefault
                            ? !ShowsDefault(value) && value != "0" && value != "*"
                            : ShowsDefault(value) || value == "1");
        break;
      }
      case Kind::KeywordList: {
        auto* list = findChild<QComboBox*>(b.control);
        const QString wanted =
            ShowsDefault(value) ? QString::fromLatin1(b.defaultText) : FromDoc(value);
        for (std::size_t i = 0; i < b.keywords.size(); ++i)
          if (wanted.compare(QLatin1String(b.keywords[i]), Qt::CaseInsensitive) == 0)
            list->setCurrentIndex(static_cast<int>(i));
        if (Absent(value) && b.markWhenAbsent) MarkUnsupported(list);
        break;
      }
      case Kind::NumberedList: {
        auto* list = findChild<QComboBox*>(b.control);
        list->setCurrentIndex(ShowsDefault(value) || value == "1" ? 1 : 0);
        if (Absent(value)) MarkUnsupported(list);
        break;
      }
      case Kind::AccessLists:
        if (b.key == K::DatabaseAccess) LoadDatabaseAccess();
        if (b.key == K::ExternalFileAccess) LoadExternalFileAccess();
        if (b.key == K::UdfAccess) LoadUdfAccess();
        if (b.key == K::TempDirectories) LoadTempDirectories();
        break;
    }
  }
  RestoreActivePage();
  document_->SetModified(false);
}
