// The editor window in Spanish: what a catalog translates, what it never
// touches, and that a translated list still writes the English keyword.

#include "support/Catalog.h"
#include "i18n/Gettext.h"
#include "ui/MainFrmFixture.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTreeWidget>

namespace {

const char* const kPo = R"po(msgid ""
msgstr ""
"Content-Type: text/plain; charset=UTF-8\n"

msgid "Others"
msgstr "Otros"

msgid "Access"
msgstr "Acceso"

msgid "Number of cached database pages"
msgstr "Número de páginas en caché"

msgid "This sets the number of pages from any one database that can be held"
msgstr "Fija cuántas páginas de una base de datos se guardan"

msgid "Go to WebPage of Pellisto"
msgstr "Ir a la web de Pellisto"

msgid "Search for name of parameters"
msgstr "Buscar el nombre del parámetro"

msgid "Done"
msgstr "Hecho"

msgid "File"
msgstr "Archivo"

msgid "Exit"
msgstr "Salir"

msgid "Mixed"
msgstr "Mixta"

msgid "Native"
msgstr "Nativa"

msgid "Trusted"
msgstr "De confianza"

msgid "only start the engine/service once"
msgstr "arrancar el servidor una sola vez"

msgid "loss of the contents of your database."
msgstr "la pérdida del contenido de su base de datos."

msgid "Abandon changes"
msgstr "¿Abandonar los cambios?"

msgid "Characteristic unsupported in their version of Firebird"
msgstr "Característica no soportada"
)po";

class MainWindowTranslationTest : public MainFrmTest {
 protected:
  void SetUp() override {
    if (!CompileCatalog(dir.path(), "es", kPo)) GTEST_SKIP() << "msgfmt is not installed";
    i18n::SelectLanguage("es");
  }
  void TearDown() override { i18n::SelectLanguage("en"); }
};

TEST_F(MainWindowTranslationTest, CaptionsHintsItemsAndMemoLinesAreSpanish) {
  Open("Authentication = trusted\nGuardianOption = 0\n");
  auto* pages = W<QTabWidget>("PCMain");
  EXPECT_EQ(pages->tabText(1), "Acceso");
  EXPECT_EQ(pages->tabText(9), "Otros");
  EXPECT_EQ(pages->tabText(0), "General");  // no translation in the catalog
  EXPECT_EQ(W<QGroupBox>("GBDefaultDbCachePages")->title(), QString::fromUtf8("Número de páginas en caché"));
  EXPECT_EQ(W<QLabel>("lblDefaultDbCachePagesDes")->text(),
            QString::fromUtf8("Fija cuántas páginas de una base de datos se guardan"));
  EXPECT_EQ(W<QLabel>("Label4")->toolTip(), "Ir a la web de Pellisto");
  EXPECT_EQ(Edit("edSearchInc")->placeholderText(), QString::fromUtf8("Buscar el nombre del parámetro"));
  EXPECT_EQ(Edit("edSearchInc")->text(), "");  // a prompt, not a text to search for
  EXPECT_EQ(Button("BtDone")->text(), "Hecho");
  EXPECT_EQ(W<QAction>("SExit")->text(), "Salir");
  EXPECT_EQ(Combo("CBAuthentication")->itemText(2), "De confianza");
  EXPECT_EQ(Combo("CBAuthentication")->currentIndex(), 2);
  EXPECT_EQ(Combo("CBGuardianOption")->currentText(), "arrancar el servidor una sola vez");

  const QStringList memo =
      W<QPlainTextEdit>("MWarningRemoteFileOpenAbility")->toPlainText().split('\n');
  ASSERT_EQ(memo.size(), 22);
  EXPECT_EQ(memo[2], QString::fromUtf8("la pérdida del contenido de su base de datos."));
  EXPECT_EQ(memo[3], "");  // empty lines stay empty
  EXPECT_TRUE(memo[1].startsWith("corruption."));  // untranslated lines stay as they are

  // The tree in the chosen language; its nodes still find their controls.
  auto* tree = W<QTreeWidget>("TVWOptions");
  EXPECT_EQ(tree->topLevelItem(1)->text(0), "Acceso");
  tree->setCurrentItem(tree->topLevelItem(3)->child(2));
  QTest::keyClick(tree, Qt::Key_Return);
  EXPECT_EQ(window->findChild<QTabWidget*>("PCMain")->currentIndex(), 3);
  EXPECT_TRUE(Edit("edRemoteServicePort")->font().bold());
  // Never translated: component names and the unsupported hint.
  EXPECT_EQ(Edit("edLockSignal")->toolTip(), ControlBinding::kUnsupportedHint);
  EXPECT_NE(window->findChild<QTabWidget*>("PCMain"), nullptr);

  // The translated list still writes the English keyword.
  QComboBox* auth = Combo("CBAuthentication");
  auth->setFocus();
  QTest::keyClick(auth, Qt::Key_Up);
  EXPECT_EQ(auth->currentText(), "Nativa");
  EXPECT_EQ(window->Document()->Authentication(), "native");

  // So are the messages the program raises.
  window->show();
  platform.answers = {QMessageBox::No};
  Click("BtCancel");
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, QString::fromUtf8("¿Abandonar los cambios?"));
}

}  // namespace
