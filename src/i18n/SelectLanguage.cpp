#include "i18n/SelectLanguage.h"

#include <QFile>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <algorithm>
#include <filesystem>
#include <set>
#include <stdexcept>
#include <string>
#include <system_error>

#include "app/ErrorBox.h"
#include "app/FixedDialog.h"
#include "app/Functions.h"
#include "app/WindowFont.h"
#include "i18n/Gettext.h"
#include "ui_SelectLanguage.h"

namespace {

constexpr int kClientWidth = 406;
constexpr int kClientHeight = 215;
constexpr int kCodeColumnWidth = 53;
constexpr int kNameColumnWidth = 314;

// ISO 639-1 codes with their English names, by code, plus a few regional
// variants right after their language.
constexpr TSelectLanguageFrm::Language kLanguageTable[] = {
    {"aa", "Afar"}, {"ab", "Abkhazian"}, {"ae", "Avestan"}, {"af", "Afrikaans"}, {"ak", "Akan"},
    {"am", "Amharic"}, {"an", "Aragonese"}, {"ar", "Arabic"}, {"as", "Assamese"},
    {"av", "Avaric"}, {"ay", "Aymara"}, {"az", "Azerbaijani"}, {"ba", "Bashkir"},
    {"be", "Belarusian"}, {"bg", "Bulgarian"}, {"bh", "Bihari"}, {"bi", "Bislama"},
    {"bm", "Bambara"}, {"bn", "Bengali"}, {"bo", "Tibetan"}, {"br", "Breton"}, {"bs", "Bosnian"},
    {"ca", "Catalan"}, {"ce", "Chechen"}, {"ch", "Chamorro"}, {"co", "Corsican"}, {"cr", "Cree"},
    {"cs", "Czech"}, {"cv", "Chuvash"}, {"cy", "Welsh"}, {"da", "Danish"}, {"de", "German"},
    {"dv", "Divehi"}, {"dz", "Dzongkha"}, {"ee", "Ewe"}, {"el", "Greek"}, {"en", "English"},
    {"en_US", "American English"}, {"en_GB", "British English"}, {"en_AU", "Australian English"},
    {"eo", "Esperanto"}, {"es", "Spanish"}, {"et", "Estonian"}, {"eu", "Basque"},
    {"fa", "Persian"}, {"ff", "Fulah"}, {"fi", "Finnish"}, {"fj", "Fijian"}, {"fo", "Faroese"},
    {"fr", "French"}, {"fr_BE", "Walloon"}, {"fy", "Frisian"}, {"ga", "Irish"}, {"gd", "Gaelic"},
    {"gl", "Gallegan"}, {"gn", "Guarani"}, {"gu", "Gujarati"}, {"gv", "Manx"}, {"ha", "Hausa"},
    {"he", "Hebrew"}, {"hi", "Hindi"}, {"ho", "Hiri Motu"}, {"hr", "Croatian"}, {"ht", "Haitian"},
    {"hu", "Hungarian"}, {"hy", "Armenian"}, {"hz", "Herero"}, {"ia", "Interlingua"},
    {"id", "Indonesian"}, {"ie", "Interlingue"}, {"ig", "Igbo"}, {"ii", "Sichuan Yi"},
    {"ik", "Inupiaq"}, {"io", "Ido"}, {"is", "Icelandic"}, {"it", "Italian"}, {"iu", "Inuktitut"},
    {"ja", "Japanese"}, {"jv", "Javanese"}, {"ka", "Georgian"}, {"kg", "Kongo"}, {"ki", "Kikuyu"},
    {"kj", "Kuanyama"}, {"kk", "Kazakh"}, {"kl", "Greenlandic"}, {"km", "Khmer"},
    {"kn", "Kannada"}, {"ko", "Korean"}, {"kr", "Kanuri"}, {"ks", "Kashmiri"}, {"ku", "Kurdish"},
    {"kw", "Cornish"}, {"kv", "Komi"}, {"ky", "Kirghiz"}, {"la", "Latin"},
    {"lb", "Luxembourgish"}, {"lg", "Ganda"}, {"li", "Limburgan"}, {"ln", "Lingala"},
    {"lo", "Lao"}, {"lt", "Lithuanian"}, {"lu", "Luba-Katanga"}, {"lv", "Latvian"},
    {"mg", "Malagasy"}, {"mh", "Marshallese"}, {"mi", "Maori"}, {"mk", "Macedonian"},
    {"ml", "Malayalam"}, {"mn", "Mongolian"}, {"mo", "Moldavian"}, {"mr", "Marathi"},
    {"ms", "Malay"}, {"mt", "Maltese"}, {"my", "Burmese"}, {"na", "Nauru"},
    {"nb", "Norwegian Bokmaal"}, {"nd", "Ndebele, North"}, {"ne", "Nepali"}, {"ng", "Ndonga"},
    {"nl", "Dutch"}, {"nl_BE", "Flemish"}, {"nn", "Norwegian Nynorsk"}, {"no", "Norwegian"},
    {"nr", "Ndebele, South"}, {"nv", "Navajo"}, {"ny", "Chichewa"}, {"oc", "Occitan"},
    {"oj", "Ojibwa"}, {"om", "Oromo"}, {"or", "Oriya"}, {"os", "Ossetian"}, {"pa", "Panjabi"},
    {"pi", "Pali"}, {"pl", "Polish"}, {"ps", "Pushto"}, {"pt", "Portuguese"}, {"qu", "Quechua"},
    {"rm", "Raeto-Romance"}, {"rn", "Rundi"}, {"ro", "Romanian"}, {"ru", "Russian"},
    {"rw", "Kinyarwanda"}, {"sa", "Sanskrit"}, {"sc", "Sardinian"}, {"sd", "Sindhi"},
    {"se", "Northern Sami"}, {"sg", "Sango"}, {"si", "Sinhalese"}, {"sk", "Slovak"},
    {"sl", "Slovenian"}, {"sm", "Samoan"}, {"sn", "Shona"}, {"so", "Somali"}, {"sq", "Albanian"},
    {"sr", "Serbian"}, {"ss", "Swati"}, {"st", "Sotho, Southern"}, {"su", "Sundanese"},
    {"sv", "Swedish"}, {"sw", "Swahili"}, {"ta", "Tamil"}, {"te", "Telugu"}, {"tg", "Tajik"},
    {"th", "Thai"}, {"ti", "Tigrinya"}, {"tk", "Turkmen"}, {"tl", "Tagalog"}, {"tn", "Tswana"},
    {"to", "Tonga"}, {"tr", "Turkish"}, {"ts", "Tsonga"}, {"tt", "Tatar"}, {"tw", "Twi"},
    {"ty", "Tahitian"}, {"ug", "Uighur"}, {"uk", "Ukrainian"}, {"ur", "Urdu"}, {"uz", "Uzbek"},
    {"ve", "Venda"}, {"vi", "Vietnamese"}, {"vo", "Volapuk"}, {"wa", "Walloon"}, {"wo", "Wolof"},
    {"xh", "Xhosa"}, {"yi", "Yiddish"}, {"yo", "Yoruba"}, {"za", "Zhuang"}, {"zh", "Chinese"},
    {"zu", "Zulu"},
};

// Paths in the system's own form: bytes elsewhere, UTF-16 on Windows.
QString FromPath(const std::filesystem::path& path) {
#ifdef Q_OS_WIN
  return QString::fromStdWString(path.native());
#else
  return QFile::decodeName(QByteArray::fromStdString(path.native()));
#endif
}

std::filesystem::path ToPath(const QString& path) {
#ifdef Q_OS_WIN
  return std::filesystem::path(path.toStdWString());
#else
  return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

using ScannedFolders = std::set<std::filesystem::path::string_type>;

[[noreturn]] void CannotOpen(const std::filesystem::path& folder, const std::error_code& error) {
  throw std::runtime_error(ToDoc(QStringLiteral("Cannot open folder \"%1\". %2")
                                     .arg(FromPath(folder), QString::fromStdString(error.message()))));
}

// Adds to codes the code of every catalog ("default.mo", two folders below
// the code's folder) under the folder, at any depth. scanned holds the
// folders already scanned, followed links included: a link back up the tree
// would otherwise be followed for ever. Throws when a folder cannot be read.
void ScanCatalogs(const std::filesystem::path& path, ScannedFolders& scanned,
                  QStringList& codes) {
  namespace fs = std::filesystem;
  std::error_code error;
  if (!fs::is_directory(path, error)) return;
  const fs::path real = fs::canonical(path, error);
  if (error) CannotOpen(path, error);
  if (!scanned.insert(real.native()).second) return;

  fs::directory_iterator it(path, error);
  if (error) CannotOpen(path, error);
  for (; it != fs::directory_iterator(); it.increment(error)) {
    if (error) CannotOpen(path, error);
    const fs::path entry = it->path();
    std::error_code kind;
    if (it->is_directory(kind))
      ScanCatalogs(entry, scanned, codes);
    else if (entry.filename() == "default.mo")  // letter case counts
      codes << FromPath(entry.parent_path().parent_path().filename());
  }
  if (error) CannotOpen(path, error);
}

}  // namespace

std::span<const TSelectLanguageFrm::Language> TSelectLanguageFrm::LanguageTable() {
  return kLanguageTable;
}

TSelectLanguageFrm::TSelectLanguageFrm(QWidget* parent)
    : QDialog(parent), ui(new Ui::TSelectLanguageFrm) {
  ui->setupUi(this);
  setFont(WindowFont());

  QHeaderView* header = ui->VLE_Language->horizontalHeader();
  // The column titles in the dialog's face too: a desktop may give headers
  // a font of their own, which a font set on the dialog does not reach.
  header->setFont(font());
  header->setSectionResizeMode(QHeaderView::Interactive);
  header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  ui->VLE_Language->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);

  connect(ui->BtDone, &QPushButton::clicked, this, &TSelectLanguageFrm::BtDoneClick);
  connect(ui->BtCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(ui->VLE_Language, &QTableWidget::cellDoubleClicked, this,
          &TSelectLanguageFrm::VLE_LanguageDblClick);
  connect(ui->Label1, &LinkLabel::clicked, this, &TSelectLanguageFrm::Label1Click);
  FormCreate();
  SetFixedDialogFrame(*this, QSize(kClientWidth, kClientHeight));
}

TSelectLanguageFrm::~TSelectLanguageFrm() = default;

void TSelectLanguageFrm::FormCreate() {
  // The walker leaves grid cells alone, so the language names stay English;
  // only the column titles are translated.
  i18n::TranslateComponent(this);

  QTableWidget* grid = ui->VLE_Language;
  grid->setRowCount(static_cast<int>(std::size(kLanguageTable)));
  int row = 0;
  for (const Language& language : kLanguageTable) {
    grid->setItem(row, 0, new QTableWidgetItem(QString::fromLatin1(language.code)));
    grid->setItem(row, 1, new QTableWidgetItem(QString::fromLatin1(language.name)));
    ++row;
  }

  // The columns as designed; the code column as wide as its (translated)
  // title needs where that is more.
  QHeaderView* header = grid->horizontalHeader();
  header->resizeSection(0, std::max(kCodeColumnWidth, header->sectionSizeHint(0)));
  header->resizeSection(1, kNameColumnWidth);

  // A folder that cannot be read is reported; the dialog still opens, with
  // every language listed.
  QStringList found;
  const auto scan = [&found] {
    ScannedFolders scanned;
    const QString folder = i18n::CatalogFolder() + QLatin1Char(kPathDelimiter);
    ScanCatalogs(ToPath(folder), scanned, found);
  };
  if (RunGuarded(scan, this)) {
    PruneLanguages(found);
    SelectSavedLanguage();
  } else if (grid->rowCount() > 0) {
    grid->setCurrentCell(0, 0);
  }
}

void TSelectLanguageFrm::PruneLanguages(const QStringList& found) {
  QTableWidget* grid = ui->VLE_Language;
  for (int row = grid->rowCount() - 1; row >= 0; --row)
    if (!found.contains(grid->item(row, 0)->text(), Qt::CaseInsensitive))
      grid->removeRow(row);
}

void TSelectLanguageFrm::SelectSavedLanguage() {
  QTableWidget* grid = ui->VLE_Language;
  if (grid->rowCount() == 0) return;
  const QString saved = ReadLanguage();
  int selected = 0;
  for (int row = 0; row < grid->rowCount(); ++row)
    if (grid->item(row, 0)->text().compare(saved, Qt::CaseInsensitive) == 0) selected = row;
  grid->setCurrentCell(selected, 0);
  grid->scrollToItem(grid->item(selected, 0));
}

void TSelectLanguageFrm::SaveLanguage() {
  const QTableWidget* grid = ui->VLE_Language;
  const int row = grid->currentRow();
  const QString code = row >= 0 ? grid->item(row, 0)->text() : QString();
  WriteLanguage(code);
}

void TSelectLanguageFrm::BtDoneClick() {
  // A refused write keeps the dialog open with the error shown.
  if (RunGuarded([this] { SaveLanguage(); }, this)) accept();
}

void TSelectLanguageFrm::VLE_LanguageDblClick() { BtDoneClick(); }

void TSelectLanguageFrm::Label1Click() { OpenLink(ProductPage()); }
