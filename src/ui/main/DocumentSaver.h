#pragma once
// Apply's save of the window's document: the checks that refuse a save
// before anything is written (a control character, a value its version would
// misread, a change of a value nobody touched), the save itself and, when
// another program changed the file since it was read, the user's changes put
// on top of the file as it is now, asking which value to keep where both
// changed the same parameter. A file this user may not write is saved as
// administrator (AdminSave) where that can be done, and otherwise reported
// with what would allow it.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "config/document/SavePolicy.h"
#include "config/document/TVantrel.h"
#include "ui/main/AdminSave.h"

class QWidget;

class DocumentSaver {
 public:
  // window: the owner of the questions and notices.
  explicit DocumentSaver(QWidget* window) : window_(window) {}

  struct Outcome : conf::SaveOutcome {
    bool stopped = false;  // nothing saved, on the user's word: the changes stay
  };
  // Saves the document into its folder's firebird.conf. After a merge the
  // document given stays as it was and the one written comes back in
  // merged; whatever fails, nothing of the document changes. Throws
  // std::runtime_error for a refused save (nothing written) and FileError.
  Outcome Save(TVantrel& document);
  // Copies firebird.conf.default over the folder's firebird.conf; false
  // when the user stopped it. late: what went wrong after the copy.
  bool ResetToDefaults(const std::string& folder, std::string& late);

  // Says that the save went on top of another program's changes, or, when
  // the user kept none of them (written false), that nothing was written.
  void ReportMerged(bool written) const;
  // Says which changes were not saved because the file has no line for them.
  void ReportLeftOut(const std::vector<SettingId>& leftOut) const;
  // Says what went wrong after the file was saved (nothing when empty).
  void ReportLate(const std::string& late) const;

  // Rethrows the error of a refused write to path, being handled, with what
  // would let this user write it, where rights are what failed.
  [[noreturn]] static void RethrowWithTheRights(const FileError& error, const std::string& path);

 private:
  static void CheckBeforeSaving(const TVantrel& document);
  Outcome Saved(TVantrel& document, const conf::DocumentWriter& write);
  bool KeepOwnValue(const TVantrel::Conflict& conflict) const;

  // --- as administrator (AdminSave) ---
  // Whether the user wants the file saved as administrator.
  bool AskAdministrator(const std::string& path) const;
  Outcome SaveAsAdministrator(TVantrel& document, const std::string& path);
  // The helper's reply as the save's result: what went wrong after, or an
  // exception; AdminCancelled when the password dialog was dismissed.
  std::string Answered(const AdminSave::Reply& reply) const;

  QWidget* window_;
};
