// Every parameter shown in its control: how a value fills the control, which
// default a commented parameter shows, how a parameter the file lacks is
// marked, and what the control writes back on every change.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include "app/DesignedColours.h"
#include "app/Functions.h"
#include "config/ConfReading.h"
#include "config/ParameterRules.h"
#include "config/ShownValues.h"
#include "i18n/Gettext.h"
#include "ui/main/MainFrm.h"
#include "ui/main/OtherParametersPage.h"
#include "ui_MainFrm.h"

const QString TMainFrm::kUnsupportedHint =
    QStringLiteral("Characteristic unsupported in their version of Firebird");

namespace {

enum class Kind {
  InstallFolder,  // edRootDirectory
  Edit,           // the edit's whole text
  Flag,           // a check box, "1" or "0"
  KeywordList,    // the keyword of the chosen position, in lower case
  NumberedList,   // the chosen position, "0" or "1"
  AccessLists,    // access policies and folder lists, loaded in their own file
};

// Defaults, keywords and what a value means come from the parameter rules;
// this table only says which control shows which parameter.
struct Binding {
  ParamKey key;
  const char* control;  // component name; the handler is <control>Change/Click
  Kind kind;
  bool markWhenAbsent;
};

using K = ParamKey;
// In the order the controls are filled.
const Binding kBindings[] = {
    {K::RootDirectory, "edRootDirectory", Kind::InstallFolder, false},
    {K::DatabaseAccess, "GBDatabaseAccess", Kind::AccessLists, true},
    {K::ExternalFileAccess, "GBExternalFileAccess", Kind::AccessLists, true},
    {K::UdfAccess, "GBUDFAccess", Kind::AccessLists, true},
    {K::TempDirectories, "GBTempDirectories", Kind::AccessLists, true},
    {K::Authentication, "CBAuthentication", Kind::KeywordList, true},
    {K::LegacyHash, "CBLegacyHASH", Kind::Flag, false},
    {K::DefaultDbCachePages, "edDefaultDbCachePages", Kind::Edit, true},
    {K::DatabaseGrowthIncrement, "edDatabaseGrowthIncrement", Kind::Edit, true},
    {K::MaxFileSystemCache, "edMaxFileSystemCache", Kind::Edit, true},
    {K::TempBlockSize, "edTempBlockSize", Kind::Edit, true},
    {K::TempCacheLimit, "edTempCacheLimit", Kind::Edit, true},
    {K::CompleteBooleanEvaluation, "CBCompleteBooleanEvaluation", Kind::Flag, true},
    {K::DeadlockTimeout, "edDeadlockTimeout", Kind::Edit, true},
    {K::MaxUnflushedWrites, "edMaxUnflushedWrites", Kind::Edit, true},
    {K::MaxUnflushedWriteTime, "edMaxUnflushedWriteTime", Kind::Edit, true},
    {K::BugcheckAbort, "CBBugcheckAbort", Kind::Flag, true},
    {K::ConnectionTimeout, "edConnectionTimeout", Kind::Edit, true},
    {K::RemoteServiceName, "edRemoteServiceName", Kind::Edit, true},
    {K::RemoteServicePort, "edRemoteServicePort", Kind::Edit, true},
    {K::RemoteAuxPort, "edRemoteAuxPort", Kind::Edit, true},
    {K::TcpRemoteBufferSize, "edTcpRemoteBufferSize", Kind::Edit, true},
    {K::TcpNoNagle, "CBTcpNoNagle", Kind::Flag, true},
    {K::RemoteBindAddress, "edRemoteBindAddress", Kind::Edit, true},
    {K::LockMemSize, "edLockMemSize", Kind::Edit, true},
    {K::LockSemCount, "edLockSemCount", Kind::Edit, true},
    {K::LockAcquireSpins, "edLockAcquireSpins", Kind::Edit, true},
    {K::LockHashSlots, "edLockHashSlots", Kind::Edit, true},
    {K::EventMemSize, "edEventMemSize", Kind::Edit, true},
    {K::CpuAffinityMask, "edCpuAffinityMask", Kind::Edit, true},
    {K::UsePriorityScheduler, "CBUsePriorityScheduler", Kind::Flag, true},
    {K::PrioritySwitchDelay, "edPrioritySwitchDelay", Kind::Edit, true},
    {K::PriorityBoost, "edPriorityBoost", Kind::Edit, true},
    {K::GCPolicy, "CBGCPolicy", Kind::KeywordList, false},
    {K::GuardianOption, "CBGuardianOption", Kind::NumberedList, true},
    {K::ProcessPriorityLevel, "edProcessPriorityLevel", Kind::Edit, true},
    {K::IpcName, "edIpcName", Kind::Edit, true},
    {K::RemotePipeName, "edRemotePipeName", Kind::Edit, true},
    {K::CreateInternalWindow, "CBCreateInternalWindow", Kind::Flag, true},
    {K::LockSignal, "edLockSignal", Kind::Edit, true},
    {K::RemoteFileOpenAbility, "CBRemoteFileOpenAbility", Kind::Flag, true},
    {K::Redirection, "CBRedirection", Kind::Flag, true},
    {K::OldParameterOrdering, "CBOldParameterOrdering", Kind::Flag, true},
    {K::OldColumnNaming, "CBOldColumnNaming", Kind::Flag, true},
    {K::LockGrantOrder, "CBLockGrantOrder", Kind::NumberedList, true},
};

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

void TMainFrm::SetDocumentValue(ParamKey key, const QString& value) {
  SetDocumentValue(key, ToDoc(value));
}

void TMainFrm::SetDocumentValue(ParamKey key, const std::string& value) {
  if (document_) document_->SetValue(key, value);
}

void TMainFrm::MarkUnsupported(QWidget* control) {
  control->setToolTip(kUnsupportedHint);
  if (auto* edit = qobject_cast<QLineEdit*>(control)) {
    edit->setReadOnly(true);
    SetFieldColour(edit, ReadOnlyFieldColour(edit->palette()));
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
      case Kind::Flag: {
        auto* box = findChild<QCheckBox*>(b.control);
        connect(box, &QCheckBox::toggled, this, [this, key](bool checked) {
          SetDocumentValue(key, checked ? QStringLiteral("1") : QStringLiteral("0"));
        });
        break;
      }
      case Kind::KeywordList: {
        auto* list = findChild<QComboBox*>(b.control);
        // Only a choice by the user writes; filling the list does not. The
        // items may be translated: the keyword comes from the position.
        connect(list, &QComboBox::activated, this, [this, key](int index) {
          const auto keywords = RuleOf(key).keywords;
          if (index >= 0 && static_cast<std::size_t>(index) < keywords.size())
            SetDocumentValue(key, std::string(keywords[static_cast<std::size_t>(index)]));
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
  const DecodedValue decoded = Decode(value);
  if (decoded.state == ValueState::Absent)
    MarkUnsupported(edit);
  else if (ShowsDefault(decoded, serverVersion_))
    edit->setText(defaultText);
  else
    edit->setText(FromDoc(std::string(decoded.text)));
}

void TMainFrm::DetectServerVersion() {
  // The version decides the defaults shown and how flags read.
  serverVersion_ = document_->Version();
  const DecodedValue mode = Decode(document_->ValueOf(*FindSetting("ServerMode")));
  superMode_ = mode.state != ValueState::Active || IsSuperMode(mode.text);
  const std::string text = conf::JoinLines(document_->Lines());
  const VersionCue cue = ::DetectServerVersion(text).cue;
  ui->lblServerVersion->setText(i18n::Translate(kVersionCaption).arg(QString::fromUtf8(VersionName(serverVersion_))));
  ui->lblServerVersion->setToolTip(i18n::Translate(CueHint(cue)));
}

QString TMainFrm::DefaultShown(ParamKey key) const {
  return FromDoc(::DefaultShown(key, serverVersion_, superMode_));
}

void TMainFrm::LoadControls() {
  DetectServerVersion();
  for (const Binding& b : kBindings) {
    // Read afresh each time: filling one control may change another's value.
    const std::string value = document_->Value(b.key);
    const DecodedValue decoded = Decode(value);
    const bool absent = decoded.state == ValueState::Absent;
    switch (b.kind) {
      case Kind::InstallFolder:
        findChild<QLineEdit*>(b.control)->setText(FromDoc(value));
        break;
      case Kind::Edit:
        ShowEditValue(findChild<QLineEdit*>(b.control), value, DefaultShown(b.key));
        break;
      case Kind::Flag: {
        auto* box = findChild<QCheckBox*>(b.control);
        if (absent && b.markWhenAbsent)
          MarkUnsupported(box);
        else
          box->setChecked(FlagShownOn(b.key, decoded, serverVersion_, superMode_));
        break;
      }
      case Kind::KeywordList: {
        auto* list = findChild<QComboBox*>(b.control);
        const auto index =
            KeywordIndex(b.key, decoded.UsesDefault() ? ToDoc(DefaultShown(b.key)) : std::string(decoded.text));
        if (index) list->setCurrentIndex(static_cast<int>(*index));
        if (absent && b.markWhenAbsent) MarkUnsupported(list);
        break;
      }
      case Kind::NumberedList: {
        auto* list = findChild<QComboBox*>(b.control);
        list->setCurrentIndex(FlagShownOn(b.key, decoded, serverVersion_, superMode_) ? 1 : 0);
        if (absent) MarkUnsupported(list);
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
  otherParameters_->Load();
  RestoreActivePage();
  document_->SetModified(false);
  ShowFileState();
}
