// Every parameter shown in its control: how a value fills the control, which
// default a commented parameter shows, how a parameter the file lacks is
// marked, and what the control writes back on every change.

#include "ui/main/ControlBinding.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>
#include <algorithm>

#include "app/DesignedColours.h"
#include "app/Functions.h"
#include "config/firebird/ParameterRules.h"
#include "config/document/ShownValues.h"
#include "config/document/TVantrel.h"
#include "i18n/Gettext.h"
#include "ui/main/MainFrmUi.h"

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
    : QObject(window), ui_(ui), document_(std::move(document)), controls_(std::size(kBindings), nullptr) {
  Attach();
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

// Whether a list of pending changes ("Key=value" entries) holds one for the key.
bool IsPending(const std::vector<std::string>& changes, ParamKey key) {
  const std::string_view name = KeyName(key);
  return std::any_of(changes.begin(), changes.end(), [name](const std::string& entry) {
    return entry.size() > name.size() && entry[name.size()] == '=' && entry.starts_with(name);
  });
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
    if (IsPending(document->PendingChanges(), b.key) || !ShowsDefault(Decode(document->LoadedValue(b.key)), version_))
      continue;
    ShowDefault(row);
    // The document held the default shown before; it holds the file's
    // value form again, so that any value typed is a change.
    document->SetValue(b.key, ToDoc(DefaultShown(b.key)));
    document->WithdrawChange(SettingIdOf(b.key));
  }
}

void ControlBinding::ShowDefault(std::size_t row) {
  const Binding& b = kBindings[row];
  QWidget* control = controls_[row];
  if (!control) {
    // Its page is not built: it shows the default once it is.
    if (row < unfilled_.size() && unfilled_[row]) {
      if (b.kind == Kind::Edit)
        unfilled_[row]->text = DefaultShown(b.key);
      else
        unfilled_[row]->index = KeywordIndex(b.key, ToDoc(DefaultShown(b.key)));
    }
    return;
  }
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
  unfilled_.assign(std::size(kBindings), std::nullopt);
  for (std::size_t row = 0; row < std::size(kBindings); ++row) {
    // Read afresh for each row: filling one control may change another's value.
    const Shown shown = ShownOf(kBindings[row], *document_());
    if (QWidget* control = controls_[row]) {
      Fill(kBindings[row], control, shown);
    } else {
      WriteShown(kBindings[row], shown);
      unfilled_[row] = shown;
    }
  }
}

void ControlBinding::Attach() {
  std::vector<std::size_t> fresh;
  for (std::size_t row = 0; row < std::size(kBindings); ++row) {
    if (controls_[row]) continue;
    if (QWidget* control = kBindings[row].control(ui_)) {
      controls_[row] = control;
      Connect(kBindings[row], control);
      if (row < unfilled_.size() && unfilled_[row]) fresh.push_back(row);
    }
  }
  TVantrel* document = document_();
  if (!document || fresh.empty()) return;
  // The document holds what the controls are to show, so filling them
  // passes it nothing new; only a default shown again since Load (the
  // server mode changed) reaches it as a change, which is none.
  const std::vector<std::string> before = document->PendingChanges();
  for (std::size_t row : fresh) {
    Fill(kBindings[row], controls_[row], *unfilled_[row]);
    unfilled_[row].reset();
  }
  for (std::size_t row : fresh)
    if (!IsPending(before, kBindings[row].key) && IsPending(document->PendingChanges(), kBindings[row].key))
      document->WithdrawChange(SettingIdOf(kBindings[row].key));
}

ControlBinding::Shown ControlBinding::ShownOf(const Binding& b, const TVantrel& document) const {
  const std::string value = document.Value(b.key);
  const DecodedValue decoded = Decode(value);
  Shown shown;
  shown.marked = decoded.state == ValueState::Absent && b.markWhenAbsent;
  switch (b.kind) {
    case Kind::InstallFolder:
      shown.text = FromDocPath(value);
      break;
    case Kind::Edit:
      if (!shown.marked)
        shown.text = ShowsDefault(decoded, version_) ? DefaultShown(b.key) : FromDoc(std::string(decoded.text));
      break;
    case Kind::Flag:
    case Kind::NumberedList:
      shown.on = FlagShownOn(b.key, decoded, version_, superMode_);
      break;
    case Kind::KeywordList:
      shown.index = KeywordIndex(b.key, decoded.UsesDefault() ? ToDoc(DefaultShown(b.key)) : std::string(decoded.text));
      break;
    case Kind::AccessLists:
      break;
  }
  return shown;
}

void ControlBinding::Fill(const Binding& b, QWidget* control, const Shown& shown) {
  switch (b.kind) {
    case Kind::InstallFolder:
      static_cast<QLineEdit*>(control)->setText(shown.text);
      break;
    case Kind::Edit:
      if (!shown.marked) static_cast<QLineEdit*>(control)->setText(shown.text);
      break;
    case Kind::Flag:
      if (!shown.marked) static_cast<QCheckBox*>(control)->setChecked(shown.on);
      break;
    case Kind::KeywordList:
      if (shown.index) static_cast<QComboBox*>(control)->setCurrentIndex(static_cast<int>(*shown.index));
      break;
    case Kind::NumberedList:
      static_cast<QComboBox*>(control)->setCurrentIndex(shown.on ? 1 : 0);
      break;
    case Kind::AccessLists:
      break;
  }
  if (shown.marked) MarkUnsupported(control);
}

void ControlBinding::WriteShown(const Binding& b, const Shown& shown) {
  if (shown.marked) return;
  switch (b.kind) {
    case Kind::InstallFolder:
      SetDocumentValue(b.key, ToDocPath(shown.text));
      break;
    case Kind::Edit:
      SetDocumentValue(b.key, ToDoc(shown.text));
      break;
    case Kind::Flag:
      SetDocumentValue(b.key, shown.on ? "1" : "0");
      break;
    case Kind::KeywordList:
    case Kind::NumberedList:
    case Kind::AccessLists:
      // Lists pass only the user's choice.
      break;
  }
}
