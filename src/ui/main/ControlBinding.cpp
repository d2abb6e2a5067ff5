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
#include "ui_MainFrm.h"

namespace {

using Kind = ControlBinding::Kind;
// Defaults, keywords and what a value means come from the parameter rules;
// this table only says which control shows which parameter.
using K = ParamKey;
using U = Ui::TMainFrm;
// A row's control, reached through the window's layout by its member.
template <auto Member>
QWidget* In(const Ui::TMainFrm& ui) {
  return ui.*Member;
}
// In the order the controls are filled.
constexpr ControlBinding::Binding kBindings[] = {
    {K::RootDirectory, In<&U::edRootDirectory>, Kind::InstallFolder, false},
    {K::DatabaseAccess, In<&U::GBDatabaseAccess>, Kind::AccessLists, true},
    {K::ExternalFileAccess, In<&U::GBExternalFileAccess>, Kind::AccessLists, true},
    {K::UdfAccess, In<&U::GBUDFAccess>, Kind::AccessLists, true},
    {K::TempDirectories, In<&U::GBTempDirectories>, Kind::AccessLists, true},
    {K::Authentication, In<&U::CBAuthentication>, Kind::KeywordList, true},
    {K::LegacyHash, In<&U::CBLegacyHASH>, Kind::Flag, false},
    {K::DefaultDbCachePages, In<&U::edDefaultDbCachePages>, Kind::Edit, true},
    {K::DatabaseGrowthIncrement, In<&U::edDatabaseGrowthIncrement>, Kind::Edit, true},
    {K::MaxFileSystemCache, In<&U::edMaxFileSystemCache>, Kind::Edit, true},
    {K::TempBlockSize, In<&U::edTempBlockSize>, Kind::Edit, true},
    {K::TempCacheLimit, In<&U::edTempCacheLimit>, Kind::Edit, true},
    {K::CompleteBooleanEvaluation, In<&U::CBCompleteBooleanEvaluation>, Kind::Flag, true},
    {K::DeadlockTimeout, In<&U::edDeadlockTimeout>, Kind::Edit, true},
    {K::MaxUnflushedWrites, In<&U::edMaxUnflushedWrites>, Kind::Edit, true},
    {K::MaxUnflushedWriteTime, In<&U::edMaxUnflushedWriteTime>, Kind::Edit, true},
    {K::BugcheckAbort, In<&U::CBBugcheckAbort>, Kind::Flag, true},
    {K::ConnectionTimeout, In<&U::edConnectionTimeout>, Kind::Edit, true},
    {K::RemoteServiceName, In<&U::edRemoteServiceName>, Kind::Edit, true},
    {K::RemoteServicePort, In<&U::edRemoteServicePort>, Kind::Edit, true},
    {K::RemoteAuxPort, In<&U::edRemoteAuxPort>, Kind::Edit, true},
    {K::TcpRemoteBufferSize, In<&U::edTcpRemoteBufferSize>, Kind::Edit, true},
    {K::TcpNoNagle, In<&U::CBTcpNoNagle>, Kind::Flag, true},
    {K::RemoteBindAddress, In<&U::edRemoteBindAddress>, Kind::Edit, true},
    {K::LockMemSize, In<&U::edLockMemSize>, Kind::Edit, true},
    {K::LockSemCount, In<&U::edLockSemCount>, Kind::Edit, true},
    {K::LockAcquireSpins, In<&U::edLockAcquireSpins>, Kind::Edit, true},
    {K::LockHashSlots, In<&U::edLockHashSlots>, Kind::Edit, true},
    {K::EventMemSize, In<&U::edEventMemSize>, Kind::Edit, true},
    {K::CpuAffinityMask, In<&U::edCpuAffinityMask>, Kind::Edit, true},
    {K::UsePriorityScheduler, In<&U::CBUsePriorityScheduler>, Kind::Flag, true},
    {K::PrioritySwitchDelay, In<&U::edPrioritySwitchDelay>, Kind::Edit, true},
    {K::PriorityBoost, In<&U::edPriorityBoost>, Kind::Edit, true},
    {K::GCPolicy, In<&U::CBGCPolicy>, Kind::KeywordList, false},
    {K::GuardianOption, In<&U::CBGuardianOption>, Kind::NumberedList, true},
    {K::ProcessPriorityLevel, In<&U::edProcessPriorityLevel>, Kind::Edit, true},
    {K::IpcName, In<&U::edIpcName>, Kind::Edit, true},
    {K::RemotePipeName, In<&U::edRemotePipeName>, Kind::Edit, true},
    {K::CreateInternalWindow, In<&U::CBCreateInternalWindow>, Kind::Flag, true},
    {K::LockSignal, In<&U::edLockSignal>, Kind::Edit, true},
    {K::RemoteFileOpenAbility, In<&U::CBRemoteFileOpenAbility>, Kind::Flag, true},
    {K::Redirection, In<&U::CBRedirection>, Kind::Flag, true},
    {K::OldParameterOrdering, In<&U::CBOldParameterOrdering>, Kind::Flag, true},
    {K::OldColumnNaming, In<&U::CBOldColumnNaming>, Kind::Flag, true},
    {K::LockGrantOrder, In<&U::CBLockGrantOrder>, Kind::NumberedList, true},
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

ControlBinding::ControlBinding(QObject* window, const Ui::TMainFrm& ui, std::function<TVantrel*()> document)
    : QObject(window), document_(std::move(document)) {
  controls_.reserve(std::size(kBindings));
  for (const Binding& b : kBindings) {
    controls_.push_back(b.control(ui));
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
      // The folder is where the document saves: a path, as the file layer
      // takes one.
      connect(static_cast<QLineEdit*>(control), &QLineEdit::textChanged, this,
              [this, key](const QString& text) { SetDocumentValue(key, ToDocPath(text)); });
      break;
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
      static_cast<QLineEdit*>(control)->setText(FromDocPath(value));
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
