// Every parameter shown in its control: how a value fills the control, which
// default a commented parameter shows, how a parameter the file lacks is
// marked, and what the control writes back on every change.

#include "ui/main/ControlBinding.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>

#include "app/DesignedColours.h"
#include "app/Functions.h"
#include "config/firebird/ParameterRules.h"
#include "config/document/ShownValues.h"
#include "config/document/TVantrel.h"
#include "i18n/Gettext.h"

namespace {

using Kind = ControlBinding::Kind;
// Defaults, keywords and what a value means come from the parameter rules;
// this table only says which control shows which parameter.
using K = ParamKey;
// In the order the controls are filled.
constexpr ControlBinding::Binding kBindings[] = {
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

}  // namespace

const QString ControlBinding::kUnsupportedHint =
    QStringLiteral("Characteristic unsupported in their version of Firebird");

std::span<const ControlBinding::Binding> ControlBinding::Bindings() { return kBindings; }

void ControlBinding::MarkUnsupported(QWidget* control) {
  control->setToolTip(kUnsupportedHint);
  if (auto* edit = qobject_cast<QLineEdit*>(control)) {
    edit->setReadOnly(true);
    SetFieldColour(edit, ReadOnlyFieldColour(edit->palette()));
  }
}

ControlBinding::ControlBinding(QWidget* window, std::function<TVantrel*()> document)
    : QObject(window), document_(std::move(document)) {
  for (const Binding& b : kBindings) {
    controls_.push_back(window->findChild<QWidget*>(QLatin1String(b.control)));
    Connect(b, controls_.back());
  }
}

void ControlBinding::SetDocumentValue(ParamKey key, const std::string& value) {
  if (TVantrel* document = document_()) document->SetValue(key, value);
}

// The change handlers ed<Key>Change, CB<Key>Click and CB<Key>Change: each
// passes its control's value to the setter of its key.
void ControlBinding::Connect(const Binding& b, QWidget* control) {
  const ParamKey key = b.key;
  switch (b.kind) {
    case Kind::InstallFolder:
    case Kind::Edit:
      connect(static_cast<QLineEdit*>(control), &QLineEdit::textChanged, this,
              [this, key](const QString& text) { SetDocumentValue(key, ToDoc(text)); });
      if (key == ParamKey::RemoteServicePort) {
        // 3.0+ ships 0, which a reader takes for port 0: it means the port
        // of the service named beside it.
        auto* edit = static_cast<QLineEdit*>(control);
        connect(edit, &QLineEdit::textChanged, this, [edit](const QString& text) {
          if (edit->isReadOnly()) return;
          edit->setToolTip(text.trimmed() == QLatin1String("0")
                               ? i18n::Translate(N_("0: the port of the service named in Remote Service Name (3050 for gds_db)"))
                               : QString());
        });
      }
      break;
    case Kind::Flag:
      connect(static_cast<QCheckBox*>(control), &QCheckBox::toggled, this,
              [this, key](bool checked) { SetDocumentValue(key, checked ? "1" : "0"); });
      break;
    case Kind::KeywordList:
      // Only a choice by the user writes; filling the list does not. The
      // items may be translated: the keyword comes from the position.
      connect(static_cast<QComboBox*>(control), &QComboBox::activated, this, [this, key](int index) {
        const auto keywords = RuleOf(key).keywords;
        if (index >= 0 && static_cast<std::size_t>(index) < keywords.size())
          SetDocumentValue(key, std::string(keywords[static_cast<std::size_t>(index)]));
      });
      break;
    case Kind::NumberedList:
      connect(static_cast<QComboBox*>(control), &QComboBox::activated, this,
              [this, key](int index) { SetDocumentValue(key, std::to_string(index)); });
      break;
    case Kind::AccessLists:
      break;
  }
}

QString ControlBinding::DefaultShown(ParamKey key) const {
  return FromDoc(::DefaultShown(key, version_, superMode_));
}

namespace {

bool SuperModeOf(const TVantrel& document) {
  const std::string value = document.ValueOf(*FindSetting("ServerMode"));  // the decoded text points into it
  const DecodedValue mode = Decode(value);
  return mode.state != ValueState::Active || IsSuperMode(mode.text);
}

bool IsPending(const TVantrel& document, ParamKey key) {
  const std::string_view name = KeyName(key);
  for (const std::string& entry : document.PendingChanges())
    if (entry.size() > name.size() && entry[name.size()] == '=' && entry.starts_with(name)) return true;
  return false;
}

}  // namespace

void ControlBinding::FollowServerMode() {
  TVantrel* document = document_();
  if (!document || GenerationOf(version_) != Generation::V3) return;
  const bool wasSuper = superMode_;
  superMode_ = SuperModeOf(*document);
  if (superMode_ == wasSuper) return;
  for (std::size_t row = 0; row < std::size(kBindings); ++row) {
    const Binding& b = kBindings[row];
    if (b.kind != Kind::Edit && b.kind != Kind::KeywordList) continue;
    if (::DefaultShown(b.key, version_, wasSuper) == ::DefaultShown(b.key, version_, superMode_)) continue;
    if (IsPending(*document, b.key) || !ShowsDefault(Decode(document->LoadedValue(b.key)), version_)) continue;
    ShowDefault(b, controls_[row]);
    // The document held the default shown before; it holds the file's
    // value form again, so that any value typed is a change.
    document->SetValue(b.key, ToDoc(DefaultShown(b.key)));
    document->WithdrawChange(SettingIdOf(b.key));
  }
}

void ControlBinding::ShowDefault(const Binding& b, QWidget* control) {
  const QSignalBlocker quiet(control);
  if (auto* edit = qobject_cast<QLineEdit*>(control)) {
    edit->setText(DefaultShown(b.key));
  } else if (const auto index = KeywordIndex(b.key, ToDoc(DefaultShown(b.key)))) {
    static_cast<QComboBox*>(control)->setCurrentIndex(static_cast<int>(*index));
  }
}

void ControlBinding::Load() {
  const TVantrel* document = document_();
  if (!document) return;
  // The version decides the defaults shown and how flags read.
  version_ = document->Version();
  superMode_ = SuperModeOf(*document);
  for (std::size_t row = 0; row < std::size(kBindings); ++row)
    LoadRow(kBindings[row], controls_[row], *document);
}

void ControlBinding::LoadRow(const Binding& b, QWidget* control, const TVantrel& document) {
  // Read afresh for each row: filling one control may change another's value.
  const std::string value = document.Value(b.key);
  const DecodedValue decoded = Decode(value);
  const bool marked = decoded.state == ValueState::Absent && b.markWhenAbsent;
  switch (b.kind) {
    case Kind::InstallFolder:
      static_cast<QLineEdit*>(control)->setText(FromDoc(value));
      break;
    case Kind::Edit:
      if (!marked)
        static_cast<QLineEdit*>(control)->setText(ShowsDefault(decoded, version_)
                                                      ? DefaultShown(b.key)
                                                      : FromDoc(std::string(decoded.text)));
      break;
    case Kind::Flag:
      if (!marked) static_cast<QCheckBox*>(control)->setChecked(FlagShownOn(b.key, decoded, version_, superMode_));
      break;
    case Kind::KeywordList: {
      const auto index =
          KeywordIndex(b.key, decoded.UsesDefault() ? ToDoc(DefaultShown(b.key)) : std::string(decoded.text));
      if (index) static_cast<QComboBox*>(control)->setCurrentIndex(static_cast<int>(*index));
      break;
    }
    case Kind::NumberedList:
      static_cast<QComboBox*>(control)->setCurrentIndex(FlagShownOn(b.key, decoded, version_, superMode_) ? 1 : 0);
      break;
    case Kind::AccessLists:
      break;
  }
  if (marked) MarkUnsupported(control);
}
