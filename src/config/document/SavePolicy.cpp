#include "config/document/SavePolicy.h"

#include "config/document/SaveGuard.h"
#include "config/document/SettingValues.h"
#include "config/firebird/ParameterRules.h"

namespace conf {

std::optional<std::string> SaveValueProblem(SettingId id, std::string_view value, ServerVersion v,
                                            PageValues pageValues) {
  if (pageValues == PageValues::AsTheirVersionReads || !ParamKeyOf(id)) return WriteProblem(id, value, v);
  if (auto problem = ControlCharacterProblem(value)) return problem;
  return NumberWidthProblem(id, value, v);
}

SaveRefusal CheckBeforeSave(const TVantrel& document, PageValues pageValues) {
  SaveRefusal refusal;
  for (const std::string& entry : document.PendingChanges()) {
    const std::size_t eq = entry.find('=');
    const std::string_view value = std::string_view(entry).substr(eq + 1);
    const auto id = FindSetting(std::string_view(entry).substr(0, eq));
    const auto problem = id ? SaveValueProblem(*id, value, document.Version(), pageValues)
                            : ControlCharacterProblem(value);
    if (problem) {
      refusal.value = entry.substr(0, eq) + ": " + *problem;
      return refusal;
    }
  }
  refusal.untouched = UntouchedParametersReadDifferently(document);
  return refusal;
}

namespace {

// Taken from the document that is saved, before the save.
SaveOutcome OutcomeOf(const TVantrel& document) {
  SaveOutcome outcome;
  outcome.leftOut = document.PendingWithoutLine();
  outcome.changed = document.PendingChanges().size() > outcome.leftOut.size();
  return outcome;
}

}  // namespace

SaveOutcome SaveMergingChangesOnDisk(TVantrel& document, const DocumentWriter& write, const SaveCheck& check,
                                     const KeepOwnValue& keepOwn) {
  check(document);
  try {
    SaveOutcome outcome = OutcomeOf(document);
    outcome.late = write(document);
    return outcome;
  } catch (const FileChangedError&) {
  }
  // Another program changed the file since it was read: the changes go on
  // top of the file as it is now. The document given stays as it was until
  // that has been saved, so that a failure changes nothing.
  std::unique_ptr<TVantrel> merged;
  for (int attempt = 1;; ++attempt) {
    const TVantrel& from = merged ? *merged : document;
    std::vector<TVantrel::Conflict> conflicts;
    std::unique_ptr<TVantrel> next = from.Reread(conflicts);
    for (const TVantrel::Conflict& conflict : conflicts)
      if (!keepOwn(conflict)) next->DiscardChange(conflict.id);
    merged = std::move(next);
    check(*merged);
    try {
      SaveOutcome outcome = OutcomeOf(*merged);
      outcome.late = write(*merged);
      outcome.merged = std::move(merged);
      outcome.mergedOthers = true;
      return outcome;
    } catch (const FileChangedError&) {
      if (attempt == kMergeAttempts) throw;
    }
  }
}

}  // namespace conf
