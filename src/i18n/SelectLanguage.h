#pragma once
// TSelectLanguageFrm: picks, among the languages whose catalog is installed,
// the one the program starts in next time. The running program keeps its
// language.

#include <QDialog>
#include <QStringList>
#include <memory>
#include <span>

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
  // Drops the rows whose code is not among the catalogs found; with none
  // found, every row.
  void PruneLanguages(const QStringList& found);
  void SelectSavedLanguage();
  void SaveLanguage();

  std::unique_ptr<Ui::TSelectLanguageFrm> ui;
};
