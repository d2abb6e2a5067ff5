#pragma once
// TSelectLanguageFrm: picks, among the languages whose catalog is installed,
// the one the program starts in next time. The running program keeps its
// language.

#include <QDialog>
#include <QStringList>
#include <memory>
#include <set>
#include <span>
#include <string>

namespace Ui {
class TSelectLanguageFrm;
}

class TSelectLanguageFrm : public QDialog {
  Q_OBJECT

 public:
  struct Language {
    const char* code;
    const char* name;  // in English, never translated
  };
  // Every language the dialog knows, in the order it lists them.
  static std::span<const Language> LanguageTable();

  // Lists the languages found under the catalog folder and selects the one
  // saved (FormCreate).
  explicit TSelectLanguageFrm(QWidget* parent = nullptr);
  ~TSelectLanguageFrm() override;

 private slots:
  void BtDoneClick();
  void VLE_LanguageDblClick();
  void Label1Click();

 private:
  void FormCreate();
  // Adds the code of every catalog ("default.mo", two folders below the
  // code's folder) under the folder, at any depth. Throws when a folder
  // cannot be read.
  void ScanCatalogs(const QString& folder);
  // Drops the rows without a catalog; with none found, every row.
  void PruneLanguages();
  void SelectSavedLanguage();
  void SaveLanguage();

  std::unique_ptr<Ui::TSelectLanguageFrm> ui;
  QStringList foundCodes_;          // only while the dialog is being built
  std::set<std::string> scanned_;   // folders already scanned, followed links included
};
