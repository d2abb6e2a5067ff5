#include "i18n/Gettext.h"
#include "ui/main/DocumentSaver.h"

#include <QFileInfo>
#include <algorithm>
#include <QStringList>
#include <stdexcept>

#include "app/ErrorBox.h"
#include "app/Functions.h"
#include "config/fs/AtomicFile.h"
#include "config/firebird/ParameterRules.h"
#include "config/document/SavePolicy.h"
#include "config/base/Sha256.h"

namespace {

// What to do to be allowed to save the file at path, as a sentence to add to
// the error of a refused save; empty where rights are not what failed.
std::string HowToGetTheRightsFor(const std::string& path) {
  switch (conf::CheckWriteAccess(path)) {
    case conf::WriteAccess::NotPermitted: {
      const QFileInfo file(FromDocPath(path));
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

// No administrator's authorisation: nothing was written.
struct AdminCancelled {};

QString Sha256Of(std::string_view bytes) { return QString::fromLatin1(conf::Sha256Hex(bytes)); }

// The helper's arguments for a save of the document into path: the file,
// the SHA-256 of the bytes read (of the file read, and of the one replaced
// when that is another), and every pending change that the file has a
// line for, as KEY=VALUE.
QStringList HelperArguments(const TVantrel& document, const std::string& path) {
  QStringList args{FromDoc(path)};
  if (document.DiskPath() == path) {
    args << Sha256Of(document.Text());
  } else {
    // The change of Firebird folder: the file read goes over this one.
    args << Sha256Of(conf::ReadWholeFileBuffer(path).view()) << QStringLiteral("--from")
         << FromDoc(document.DiskPath()) << Sha256Of(document.Text());
  }
  const std::vector<SettingId> leftOut = document.PendingWithoutLine();
  for (const std::string& entry : document.PendingChanges()) {
    const auto id = FindSetting(std::string_view(entry).substr(0, entry.find('=')));
    if (!id || std::find(leftOut.begin(), leftOut.end(), *id) != leftOut.end()) continue;
    // A folder moved to carries its RootDirectory only where the file has that line.
    if (ParamKeyOf(*id) == ParamKey::RootDirectory &&
        Decode(document.LoadedValue(ParamKey::RootDirectory)).state == ValueState::Absent)
      continue;
    args << FromDoc(entry);
  }
  return args;
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
  const conf::SaveRefusal refusal = conf::CheckBeforeSave(document, conf::PageValues::AsTyped);
  if (refusal.value)
    throw std::runtime_error(*refusal.value + ". " + ToDoc(i18n::Translate(N_("Nothing was saved"))));
  std::string problems;
  for (const std::string& problem : refusal.untouched) problems += problem + "\n";
  if (!problems.empty()) throw std::runtime_error(problems + ToDoc(i18n::Translate(N_("Nothing was saved"))));
}

DocumentSaver::Outcome DocumentSaver::Save(TVantrel& document) {
  const std::string path = document.Folder() + "firebird.conf";
  if (AdminSave::Offered(path)) return SaveAsAdministrator(document, path);
  try {
    return Saved(document, [](TVantrel& d) { return d.Save(""); });
  } catch (const FileError& error) {
    RethrowWithTheRights(error, path);
  }
}

DocumentSaver::Outcome DocumentSaver::Saved(TVantrel& document, const conf::DocumentWriter& write) {
  return {conf::SaveMergingChangesOnDisk(document, write, &DocumentSaver::CheckBeforeSaving,
                                         [this](const TVantrel::Conflict& c) { return KeepOwnValue(c); })};
}

bool DocumentSaver::KeepOwnValue(const TVantrel::Conflict& conflict) const {
  const QString text =
i18n::Translate(N_("Another program changed %1 in firebird.conf to %2 while you changed it to %3.\nKeep your value %3? No keeps %2."))
          .arg(FromDoc(std::string(SettingInfoOf(conflict.id).name)), Shown(conflict.fileValue),
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
  for (SettingId id : leftOut) names << FromDoc(std::string(SettingInfoOf(id).name));
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

bool DocumentSaver::ResetToDefaults(const std::string& folder, std::string& late) {
  const std::string path = folder + "firebird.conf";
  if (!AdminSave::Offered(path)) {
    try {
      late = conf::ResetToDefaults(folder);
    } catch (const FileError& error) {
      RethrowWithTheRights(error, path);
    }
    return true;
  }
  if (!AskAdministrator(path)) return false;
  try {
    // Over the file as it is now: the reset replaces whatever it holds.
    const QStringList args{FromDoc(path), Sha256Of(conf::ReadWholeFileBuffer(path).view()),
                           QStringLiteral("--defaults")};
    late = Answered(AdminSave::Run(args));
  } catch (const AdminCancelled&) {
    return false;
  }
  return true;
}

// --- as administrator ---

bool DocumentSaver::AskAdministrator(const std::string& path) const {
  return ShowMessageBox(window_, QMessageBox::Question,
                        QStringLiteral("You may not write %1.\nSave it as administrator? The system will ask "
                                       "for an administrator's password.")
                            .arg(FromDoc(path)),
                        QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes;
}

DocumentSaver::Outcome DocumentSaver::SaveAsAdministrator(TVantrel& document, const std::string& path) {
  CheckBeforeSaving(document);
  Outcome stopped;
  stopped.stopped = true;
  if (!AskAdministrator(path)) return stopped;
  Outcome outcome;
  try {
    outcome = Saved(document, [&](TVantrel& d) { return Answered(AdminSave::Run(HelperArguments(d, path))); });
  } catch (const AdminCancelled&) {
    return stopped;
  }
  // The helper wrote the file: the window goes on with the file as it is
  // now, read back (it may write a value in its version's own form).
  auto saved = std::make_unique<TVantrel>();
  saved->Load(document.Folder());
  saved->SetRootDirectory(document.Folder());
  saved->SetModified(false);
  outcome.merged = std::move(saved);
  return outcome;
}

std::string DocumentSaver::Answered(const AdminSave::Reply& reply) const {
  const std::string message = ToDoc(reply.message);
  switch (reply.outcome) {
    case AdminSave::Outcome::Saved:
      return message;
    case AdminSave::Outcome::Changed:
      throw FileChangedError(message);
    case AdminSave::Outcome::Refused:
      throw std::runtime_error(message);
    case AdminSave::Outcome::Failed:
      throw FileError(message);
    case AdminSave::Outcome::Cancelled:
      break;
  }
  QString text = QStringLiteral("firebird.conf was not saved: the administrator's password was not given, "
                                "or not accepted. The file is as it was, and your changes are still here.");
  if (!reply.message.isEmpty()) text += QStringLiteral(" (pkexec: %1)").arg(reply.message);
  ShowMessageBox(window_, QMessageBox::Information, text, QMessageBox::Ok, QMessageBox::Ok);
  throw AdminCancelled{};
}
