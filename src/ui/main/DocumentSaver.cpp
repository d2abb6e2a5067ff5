#include "i18n/Gettext.h"
#include "ui/main/DocumentSaver.h"

#include <QFileInfo>
#include <QStringList>
#include <stdexcept>

#include "app/ErrorBox.h"
#include "app/Functions.h"
#include "config/AtomicFile.h"
#include "config/ParameterRules.h"
#include "config/SaveGuard.h"
#include "config/SettingValues.h"

namespace {

// What to do to be allowed to save the file at path, as a sentence to add to
// the error of a refused save; empty where rights are not what failed.
std::string HowToGetTheRightsFor(const std::string& path) {
  switch (conf::CheckWriteAccess(path)) {
    case conf::WriteAccess::NotPermitted: {
      const QFileInfo file(FromDoc(path));
      const QString owner = file.exists() ? file.owner() : QFileInfo(file.path()).owner();
      if (owner.isEmpty() || owner == QLatin1String("root"))
        return ToDoc(i18n::Translate(N_("Run Pellisto as root to save it")));
      return ToDoc(i18n::Translate(N_("Run Pellisto as %1 (its owner) or as root to save it")).arg(owner));
    }
    case conf::WriteAccess::NoWritePermission:
      return ToDoc(i18n::Translate(N_("Give the file a write permission to save it")));
    default:
      return {};
  }
}

// A value form as the user reads it.
QString Shown(const std::string& value) {
  const DecodedValue decoded = Decode(value);
  const QString text = QLatin1Char('"') + FromDoc(std::string(decoded.text)) + QLatin1Char('"');
  return decoded.state == ValueState::Commented ? text + i18n::Translate(N_(" (commented out)")) : text;
}

}  // namespace

void DocumentSaver::RethrowWithTheRights(const FileError& error, const std::string& path) {
  const std::string how = HowToGetTheRightsFor(path);
  if (how.empty()) throw;
  std::string text = error.what();
  if (!text.empty() && text.back() != '.') text += '.';
  throw FileError(text + " " + how);
}

void DocumentSaver::CheckBeforeSaving(const TVantrel& document) {
  for (const std::string& entry : document.PendingChanges()) {
    const std::size_t eq = entry.find('=');
    const std::string_view value = std::string_view(entry).substr(eq + 1);
    // The parameters beyond the pages' are written as their version reads them.
    const auto id = FindSetting(std::string_view(entry).substr(0, eq));
    auto problem = id && !ParamKeyOf(*id) ? WriteProblem(*id, value, document.Version())
                                          : ControlCharacterProblem(value);
    // A number the server would not keep as typed, on every page.
    if (!problem && id) problem = NumberWidthProblem(*id, value, document.Version());
    if (problem)
      throw std::runtime_error(entry.substr(0, eq) + ": " + *problem + ". " +
                               ToDoc(i18n::Translate(N_("Nothing was saved"))));
  }
  std::string problems;
  for (const std::string& problem : UntouchedParametersReadDifferently(document))
    problems += problem + "\n";
  if (!problems.empty()) throw std::runtime_error(problems + ToDoc(i18n::Translate(N_("Nothing was saved"))));
}

// Taken from the document that is saved, before the save.
DocumentSaver::Outcome DocumentSaver::OutcomeOf(const TVantrel& document) {
  Outcome outcome;
  outcome.leftOut = document.PendingWithoutLine();
  outcome.changed = document.PendingChanges().size() > outcome.leftOut.size();
  return outcome;
}

DocumentSaver::Outcome DocumentSaver::Save(TVantrel& document) {
  try {
    CheckBeforeSaving(document);
    try {
      Outcome outcome = OutcomeOf(document);
      outcome.late = document.Save("");
      return outcome;
    } catch (const FileChangedError&) {
    }
    return SaveMerged(document);
  } catch (const FileError& error) {
    RethrowWithTheRights(error, document.Folder() + "firebird.conf");
  }
}

DocumentSaver::Outcome DocumentSaver::SaveMerged(const TVantrel& document) {
  // Another program changed the file since it was read: the user's changes
  // go on top of the file as it is now. The document shown stays as it was
  // until that has been saved, so that a failure changes nothing.
  constexpr int kAttempts = 5;
  std::unique_ptr<TVantrel> merged;
  for (int attempt = 1;; ++attempt) {
    const TVantrel& from = merged ? *merged : document;
    std::vector<TVantrel::Conflict> conflicts;
    std::unique_ptr<TVantrel> next = from.Reread(conflicts);
    for (const TVantrel::Conflict& conflict : conflicts)
      if (!KeepOwnValue(conflict)) next->DiscardChange(conflict.id);
    merged = std::move(next);
    CheckBeforeSaving(*merged);
    try {
      Outcome outcome = OutcomeOf(*merged);
      outcome.late = merged->Save("");
      outcome.merged = std::move(merged);
      return outcome;
    } catch (const FileChangedError&) {
      if (attempt == kAttempts) throw;
    }
  }
}

bool DocumentSaver::KeepOwnValue(const TVantrel::Conflict& conflict) const {
  const QString text =
i18n::Translate(N_("Another program changed %1 in firebird.conf to %2 while you changed it to %3.\nKeep your value %3? No keeps %2."))
          .arg(FromDoc(std::string(SettingOf(conflict.id).name)), Shown(conflict.fileValue),
               Shown(conflict.ownValue));
  return ShowMessageBox(window_, QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No,
                        QMessageBox::No) == QMessageBox::Yes;
}

void DocumentSaver::ReportMerged(bool written) const {
  ShowMessageBox(window_, QMessageBox::Information,
                 written ? i18n::Translate(N_("firebird.conf had been changed by another program; your changes were applied on top of it."))
                         : i18n::Translate(N_("firebird.conf had been changed by another program; nothing was written, and the window shows the file as it is now.")),
                 QMessageBox::Ok, QMessageBox::Ok);
}

void DocumentSaver::ReportLeftOut(const std::vector<SettingId>& leftOut) const {
  QStringList names;
  for (SettingId id : leftOut) names << FromDoc(std::string(SettingOf(id).name));
  ShowMessageBox(window_, QMessageBox::Warning,
i18n::Translate(N_("Not saved, because firebird.conf has no line for them (its version of Firebird does not know them): %1"))
                     .arg(names.join(QStringLiteral(", "))),
                 QMessageBox::Ok, QMessageBox::Ok);
}

void DocumentSaver::ReportLate(const std::string& late) const {
  if (late.empty()) return;
  ShowMessageBox(window_, QMessageBox::Warning,
                 QStringLiteral("firebird.conf was saved, but %1.").arg(FromDoc(late)), QMessageBox::Ok,
                 QMessageBox::Ok);
}
