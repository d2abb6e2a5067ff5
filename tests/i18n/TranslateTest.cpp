// Window translation through a real Spanish catalog compiled by msgfmt.

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <memory>

#include "i18n/Gettext.h"
#include "support/Catalog.h"
#include "support/FakePlatform.h"
#include "support/TempDir.h"

namespace {

// The user's LANGUAGE before anything in this run touched it.
const bool kLanguageWasSet = qEnvironmentVariableIsSet("LANGUAGE");
const QByteArray kStartLanguage = qgetenv("LANGUAGE");

// Panels showing data: registered as a whole class.
class DataPanel : public QGroupBox {
  Q_OBJECT
 public:
  using QGroupBox::QGroupBox;
};

// Labels whose text is data but whose hint is not.
class NoteLabel : public QLabel {
  Q_OBJECT
 public:
  using QLabel::QLabel;
};
class WarningNote : public NoteLabel {
  Q_OBJECT
 public:
  using NoteLabel::NoteLabel;
};

// "Acceso", "Ayuda" and "Mixto" map on again so that a text translated twice
// shows up as "TWICE".
const char* const kSpanishPo = R"po(msgid ""
msgstr ""
"MIME-Version: 1.0\n"
"Content-Type: text/plain; charset=UTF-8\n"
"Content-Transfer-Encoding: 8bit\n"
"Language: es\n"

msgid "Select language"
msgstr "Seleccionar idioma"

msgid "Number of cached database pages"
msgstr "Número de páginas de base de datos en caché"

msgid "This sets the number of pages from any one database that can be held"
msgstr "Establece el número de páginas de una base de datos que se pueden mantener"

msgid "Apply"
msgstr "Aplicar"

msgid "Cancel"
msgstr "Cancelar"

msgid "OK"
msgstr "Aceptar"

msgid "Yes"
msgstr "Sí"

msgid "Save & Close"
msgstr "Guardar y cerrar"

msgid "Access"
msgstr "Acceso"

msgid "Acceso"
msgstr "TWICE"

msgid "General"
msgstr "Generalidades"

msgid "Tab of the access policies"
msgstr "Pestaña de las políticas de acceso"

msgid "Search for name of parameters"
msgstr "Buscar el nombre de los parámetros"

msgid "Enter here the name of the parameter"
msgstr "Escriba aquí el nombre del parámetro"

msgid "Mixed"
msgstr "Mixto"

msgid "Mixto"
msgstr "TWICE"

msgid "Native"
msgstr "Nativo"

msgid "loss of the contents of your database."
msgstr "pérdida del contenido\nde su base de datos."

msgid "DO NOT ENABLE THIS OPTION UNLESS YOU REALLY KNOW WHAT YOU ARE DOING."
msgstr "NO ACTIVE ESTA OPCIÓN SALVO QUE SEPA LO QUE HACE."

msgid "&File"
msgstr "&Archivo"

msgid "Help"
msgstr "Ayuda"

msgid "Ayuda"
msgstr "TWICE"

msgid "Open aliases.conf"
msgstr "Abrir aliases.conf"

msgid "Opens the alias file in the text editor"
msgstr "Abre el archivo de alias en el editor de textos"

msgid "Parameter"
msgstr "Parámetro"

msgid "Value"
msgstr "Valor"
)po";

class TranslateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!CompileCatalog(dir_.path(), "es", kSpanishPo))
      GTEST_SKIP() << "msgfmt (gettext) is not installed";
  }

  TempDir dir_;
  FakePlatform platform_{QString::fromStdString(dir_.path())};
};

TEST_F(TranslateTest, WindowTextsFollowCatalogButTreeNamesAndExclusionsStayEnglish) {
  i18n::IgnoreClass("DataPanel");
  i18n::IgnoreClassProperty("NoteLabel", "text");
  i18n::SelectLanguage("es");

  QWidget window;
  window.setObjectName("Access");
  window.setWindowTitle("Select language");
  auto* layout = new QVBoxLayout(&window);

  auto* group = new QGroupBox("Number of cached database pages", &window);
  group->setObjectName("GBDefaultDbCachePages");
  auto* description =
      new QLabel("This sets the number of pages from any one database that can be held", group);
  auto* untranslated = new QLabel("Temp Block Size", group);
  auto* apply = new QPushButton("Apply", &window);
  apply->setObjectName("Apply");
  layout->addWidget(group);
  layout->addWidget(apply);

  auto* search = new QLineEdit("Search for name of parameters", &window);
  search->setToolTip("Enter here the name of the parameter");
  int searchChanges = 0;
  QObject::connect(search, &QLineEdit::textChanged, [&] { ++searchChanges; });

  auto* pages = new QTabWidget(&window);
  pages->addTab(new QWidget, "General");
  pages->addTab(new QWidget, "Access");
  pages->setTabToolTip(1, "Tab of the access policies");

  auto* authentication = new QComboBox(&window);
  authentication->addItems({"Mixed", "Native", "Trusted"});
  authentication->setCurrentIndex(1);
  auto* editable = new QComboBox(&window);
  editable->setEditable(true);
  editable->addItems({"Mixed", "Native"});
  int listChanges = 0;
  for (QComboBox* list : {authentication, editable}) {
    QObject::connect(list, &QComboBox::currentTextChanged, [&] { ++listChanges; });
    QObject::connect(list, &QComboBox::editTextChanged, [&] { ++listChanges; });
  }

  auto* memo = new QPlainTextEdit(&window);
  memo->setReadOnly(true);
  const QString firstLine =
      "This option removes an important safety feature of Firebird and can cause "
      "irrecoverable database ";
  memo->setPlainText(firstLine +
                     "\nloss of the contents of your database.\n\n"
                     "DO NOT ENABLE THIS OPTION UNLESS YOU REALLY KNOW WHAT YOU ARE DOING.\n");

  auto* fileMenu = new QMenu("&File", &window);
  auto* helpMenu = fileMenu->addMenu("Help");
  auto* openAliases = new QAction("Open aliases.conf", &window);
  openAliases->setToolTip("Opens the alias file in the text editor");
  auto* selectLanguage = new QAction("Select language", &window);
  fileMenu->addAction(openAliases);
  fileMenu->addAction(selectLanguage);

  auto* grid = new QTableWidget(1, 2, &window);
  grid->setHorizontalHeaderLabels({"Parameter", "Value"});
  grid->setItem(0, 0, new QTableWidgetItem("Access"));

  auto* tree = new QTreeWidget(&window);
  auto* node = new QTreeWidgetItem(tree, QStringList{"General"});
  new QTreeWidgetItem(node, QStringList{"Access"});

  auto* panel = new DataPanel("Access", &window);
  panel->setToolTip("Apply");
  auto* panelLabel = new QLabel("Cancel", panel);
  auto* note = new WarningNote("Apply", &window);
  note->setToolTip("Cancel");

  i18n::TranslateComponent(&window);

  EXPECT_EQ(window.windowTitle(), "Seleccionar idioma");
  EXPECT_EQ(group->title(), "Número de páginas de base de datos en caché");
  EXPECT_EQ(description->text(),
            "Establece el número de páginas de una base de datos que se pueden mantener");
  EXPECT_EQ(untranslated->text(), "Temp Block Size");
  EXPECT_EQ(apply->text(), "Aplicar");
  EXPECT_EQ(search->text(), "Buscar el nombre de los parámetros");
  EXPECT_EQ(search->toolTip(), "Escriba aquí el nombre del parámetro");
  EXPECT_EQ(searchChanges, 0) << "translating must not look like typing";

  // Tab texts live in the tab bar as well: each must be translated once.
  EXPECT_EQ(pages->tabText(0), "Generalidades");
  EXPECT_EQ(pages->tabText(1), "Acceso");
  EXPECT_EQ(pages->tabToolTip(1), "Pestaña de las políticas de acceso");

  EXPECT_EQ(authentication->itemText(0), "Mixto");
  EXPECT_EQ(authentication->itemText(1), "Nativo");
  EXPECT_EQ(authentication->itemText(2), "Trusted");
  EXPECT_EQ(authentication->currentIndex(), 1);
  EXPECT_EQ(editable->currentText(), "Mixto");
  EXPECT_EQ(editable->lineEdit()->text(), "Mixto");
  EXPECT_EQ(listChanges, 0) << "translating must not look like choosing";

  // A translation holding a line break adds a line; the lines after it
  // still get their own translations.
  EXPECT_EQ(memo->toPlainText(),
            firstLine +
                "\npérdida del contenido\nde su base de datos.\n\n"
                "NO ACTIVE ESTA OPCIÓN SALVO QUE SEPA LO QUE HACE.\n");
  EXPECT_FALSE(memo->document()->isUndoAvailable());

  EXPECT_EQ(fileMenu->title(), "&Archivo");
  EXPECT_EQ(helpMenu->title(), "Ayuda");
  EXPECT_EQ(helpMenu->menuAction()->text(), "Ayuda");
  EXPECT_EQ(openAliases->text(), "Abrir aliases.conf");
  EXPECT_EQ(openAliases->toolTip(), "Abre el archivo de alias en el editor de textos");
  EXPECT_EQ(selectLanguage->toolTip(), "Seleccionar idioma");

  EXPECT_EQ(grid->horizontalHeaderItem(0)->text(), "Parámetro");
  EXPECT_EQ(grid->horizontalHeaderItem(1)->text(), "Valor");
  EXPECT_EQ(grid->item(0, 0)->text(), "Access") << "cells are data";

  EXPECT_EQ(node->text(0), "General");
  EXPECT_EQ(node->child(0)->text(0), "Access");
  EXPECT_EQ(window.objectName(), "Access");
  EXPECT_EQ(apply->objectName(), "Apply");
  EXPECT_EQ(group->objectName(), "GBDefaultDbCachePages");

  EXPECT_EQ(panel->title(), "Access");
  EXPECT_EQ(panel->toolTip(), "Apply");
  EXPECT_EQ(panelLabel->text(), "Cancel");
  EXPECT_EQ(note->text(), "Apply");
  EXPECT_EQ(note->toolTip(), "Cancelar");
}

TEST_F(TranslateTest, ToolkitTextsComeFromCatalogOnlyForToolkitContexts) {
  i18n::SelectLanguage("es");

  QMessageBox box(QMessageBox::Question, "Pellisto", "?",
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Ok | QMessageBox::Cancel);
  // "&Yes" is not in the catalog, "Yes" is.
  EXPECT_EQ(box.button(QMessageBox::Yes)->text(), "Sí");
  EXPECT_EQ(box.button(QMessageBox::No)->text(), "&No");
  EXPECT_EQ(box.button(QMessageBox::Ok)->text(), "Aceptar");
  EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), "Cancelar");

  EXPECT_EQ(QCoreApplication::translate("QDialogButtonBox", "Apply"), "Aplicar");
  EXPECT_EQ(QCoreApplication::translate("QWidget", "Save && &Close"), "Guardar y cerrar");
  // Our own forms are translated by TranslateComponent, never by uic.
  EXPECT_EQ(QCoreApplication::translate("TMainFrm", "Apply"), "Apply");
  EXPECT_EQ(QCoreApplication::translate("TMainFrm", "General"), "General");
}

TEST_F(TranslateTest, LanguageCanChangeWithinOneRunAndMissingCatalogKeepsEnglish) {
  i18n::SelectLanguage("es");
  EXPECT_EQ(i18n::Translate("Apply"), "Aplicar");
  EXPECT_EQ(i18n::Translate("Trusted"), "Trusted");
  EXPECT_EQ(i18n::Translate(""), "") << "the catalog header is no translation";

  i18n::SelectLanguage("en");
  EXPECT_EQ(i18n::Translate("Apply"), "Apply");
  {
    QMessageBox box(QMessageBox::Question, "Pellisto", "?", QMessageBox::Yes);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text(), "&Yes");
  }

  i18n::SelectLanguage("es");
  EXPECT_EQ(i18n::Translate("Apply"), "Aplicar");

  i18n::SelectLanguage("de");
  QPushButton button("Apply");
  i18n::TranslateComponent(&button);
  EXPECT_EQ(button.text(), "Apply");

  // Under the plain C locale glibc would ignore the chosen language.
  {
    const bool hadLcAll = qEnvironmentVariableIsSet("LC_ALL");
    const QByteArray lcAll = qgetenv("LC_ALL");
    qputenv("LC_ALL", "C");
    i18n::SelectLanguage("es");
    EXPECT_EQ(i18n::Translate("Apply"), "Aplicar");
    if (hadLcAll)
      qputenv("LC_ALL", lcAll);
    else
      qunsetenv("LC_ALL");
  }

  // A regional code falls back to its language's catalog.
  i18n::SelectLanguage("es_AR");
  EXPECT_EQ(i18n::Translate("Cancel"), "Cancelar");

  // The system's choice: whatever LANGUAGE the user had is back in force.
  i18n::SelectLanguage("");
  EXPECT_EQ(qEnvironmentVariableIsSet("LANGUAGE"), kLanguageWasSet);
  EXPECT_EQ(qgetenv("LANGUAGE"), kStartLanguage);
}

TEST(CatalogFolder, BesideTheProgramFirstThenTheInstalledShare) {
  TempDir dir;
  const QString root = QString::fromStdString(dir.path());
  QDir().mkpath(root + "bin");
  FakePlatform platform(root + "bin/");
  EXPECT_EQ(i18n::CatalogFolder(), root + "bin/locale");  // neither: nothing is found

  QDir().mkpath(root + "share/pellisto/locale");
  EXPECT_EQ(i18n::CatalogFolder(), QFileInfo(root + "share/pellisto/locale").canonicalFilePath());

  QDir().mkpath(root + "bin/locale");
  EXPECT_EQ(i18n::CatalogFolder(), root + "bin/locale");
}

}  // namespace

#include "TranslateTest.moc"
