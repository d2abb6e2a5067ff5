// The page "Other parameters": what it lists for each shipped file, editing
// each kind of value and what Apply writes or refuses, reaching a row by
// the search and the tree, and input that must change nothing.

#include <QApplication>
#include <QClipboard>
#include <QFontInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QTreeWidget>
#include <QWheelEvent>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "ui/MainFrmFixture.h"
#include "ui/main/OptionsNavigator.h"
#include "ui/main/OtherParametersPage.h"

namespace {

class OtherParametersTest : public MainFrmTest {
 protected:
  bool OpenSample(const char* name) {
    const std::string sample = SamplePath(name);
    if (sample.empty()) return false;
    Open(ReadFileBytes(sample));
    return true;
  }
  QTabWidget* Pages() const { return W<QTabWidget>("PCMain"); }
  QWidget* Page() const { return window->OtherParameters()->Page(); }
  std::vector<QWidget*> Editors() const {
    window->OtherParameters()->BuildRows();
    return window->OtherParameters()->Editors();
  }

  // Each row as "Name: kind", the kind told by its editor.
  QStringList Rows() const {
    QStringList rows;
    for (QWidget* editor : Editors()) {
      const auto* edit = qobject_cast<QLineEdit*>(editor);
      const char* kind = qobject_cast<QCheckBox*>(editor)   ? "flag"
                         : qobject_cast<QComboBox*>(editor) ? "list"
                         : edit && edit->isReadOnly()      ? "ignored"
                                                            : "edit";
      rows << editor->accessibleName() + ": " + kind;
    }
    return rows;
  }
  QString ServerUses(const char* name) const {
    return W<QLabel>(("lblOther" + std::string(name) + "Value").c_str())->text();
  }
  // Whatever the user could have changed on the page.
  QStringList State() const {
    QStringList state;
    for (QWidget* editor : Editors()) {
      if (auto* box = qobject_cast<QCheckBox*>(editor)) state << QString::number(box->isChecked());
      if (auto* list = qobject_cast<QComboBox*>(editor)) state << list->currentText();
      if (auto* edit = qobject_cast<QLineEdit*>(editor)) state << edit->text();
    }
    return state;
  }
  void TypeSearch(const QString& text) {
    QLineEdit* search = Edit("edSearchInc");
    search->setFocus();
    search->selectAll();
    QTest::keyClick(search, Qt::Key_Delete);
    QTest::keyClicks(search, text);
  }
  QString FoundName() const {
    QWidget* found = window->Navigator()->HighlightedControl();
    return found ? found->objectName() : QString();
  }
};

TEST_F(OtherParametersTest, EachShippedFileListsWhatThePagesDoNotShowInItsOrder) {
  struct Case {
    const char* sample;
    QStringList rows;
  };
  const Case cases[] = {
      {"firebird-2.0.7.conf",
       {"SortMemBlockSize: edit", "SortMemUpperLimit: edit", "RelaxedAliasChecking: flag"}},
      {"firebird-2.1.7.conf", {"RelaxedAliasChecking: flag"}},
      {"firebird-2.5.9-windows.conf",
       {"AuditTraceConfigFile: edit", "MaxUserTraceLogSize: edit", "FileSystemCacheThreshold: edit",
        "FileSystemCacheSize: edit", "OldSetClauseSemantics: flag", "RelaxedAliasChecking: flag"}},
      {"firebird-3.0.11-debian.conf",
       {"RemoteAccess: flag", "AuditTraceConfigFile: edit", "MaxUserTraceLogSize: edit",
        "FileSystemCacheThreshold: edit", "FileSystemCacheSize: edit", "AuthServer: edit",
        "AuthClient: edit", "UserManager: edit", "TracePlugin: edit", "WireCryptPlugin: edit",
        "KeyHolderPlugin: edit", "AllowEncryptedSecurityDatabase: flag", "Providers: edit",
        "ClearGTTAtRetaining: flag", "RelaxedAliasChecking: flag", "WireCrypt: list",
        "WireCompression: flag", "TcpLoopbackFastPath: flag", "IPv6V6Only: flag",
        "SecurityDatabase: edit", "LegacyDatabaseFileId: flag", "ServerMode: list"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sample);
    if (!OpenSample(c.sample)) GTEST_SKIP() << "sample files not found at " << PELLISTO_SAMPLES_DIR;
    ASSERT_NE(Page(), nullptr);
    EXPECT_EQ(Pages()->count(), 11);
    EXPECT_EQ(Pages()->indexOf(Page()), 10);
    EXPECT_EQ(Pages()->tabText(10), "Other parameters");
    EXPECT_EQ(Rows(), c.rows);
    // One tree child per row, under the last node.
    auto* tree = W<QTreeWidget>("TVWOptions");
    ASSERT_EQ(tree->topLevelItemCount(), 11);
    EXPECT_EQ(tree->topLevelItem(10)->text(0), "Other parameters");
    EXPECT_EQ(tree->topLevelItem(10)->childCount(), c.rows.size());
    EXPECT_FALSE(window->Document()->Modified());
  }

  // What the 3.0 server uses, and the file's own words on it.
  EXPECT_EQ(ServerUses("ServerMode"), "Super (default)");
  EXPECT_EQ(Combo("CBServerMode")->currentText(), "Super");
#ifdef _WIN32
  // A Windows server also offers the Windows logon.
  EXPECT_EQ(ServerUses("AuthClient"), "Srp, Srp256, Win_Sspi, Legacy_Auth (default)");
#else
  EXPECT_EQ(ServerUses("AuthClient"), "Srp, Srp256, Legacy_Auth (default)");
#endif
  EXPECT_EQ(ServerUses("KeyHolderPlugin"), "empty (default)");
  EXPECT_EQ(Edit("edFileSystemCacheThreshold")->text(), "65536");
  EXPECT_TRUE(Check("CBRemoteAccess")->isChecked());
  window->show();
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  Pages()->setCurrentIndex(10);
  Combo("CBServerMode")->setFocus();
  EXPECT_EQ(W<QLabel>("lblOtherParameterComment")->text(),
            "The comment above ServerMode in firebird.conf (line 1004):");
  const QString comment = W<QPlainTextEdit>("MOtherParameterComment")->toPlainText();
  EXPECT_TRUE(comment.startsWith("# Controls the method Firebird engine uses")) << comment.toStdString();
  EXPECT_TRUE(comment.endsWith("# Type: string")) << comment.toStdString();

  // A file with only the pages' parameters keeps the ten pages.
  Open("TempBlockSize = 5\n#DummyPacketInterval = 0\n");
  EXPECT_EQ(Page(), nullptr);
  EXPECT_EQ(Pages()->count(), 10);
  EXPECT_EQ(W<QTreeWidget>("TVWOptions")->topLevelItemCount(), 10);
}

TEST_F(OtherParametersTest, EachKindIsEditedAndApplyWritesOnlyItsLines) {
  Open("# Firebird version 3.0 configuration file\n"
       "#ServerMode = Super\n"
       "WireCompression = false\n"
       "#FileSystemCacheThreshold = 64K\n"
       "AuthServer = Srp   # the plugins\n"
       "#AuthClient = Srp\n"
       "MyOwnKey = 5\n"
       "ClientBatchBuffer = 64K\n");
  EXPECT_EQ(Rows(), QStringList({"ServerMode: list", "WireCompression: flag",
                                 "FileSystemCacheThreshold: edit", "AuthServer: edit",
                                 "AuthClient: edit", "MyOwnKey: ignored", "ClientBatchBuffer: ignored"}));
  EXPECT_EQ(ServerUses("FileSystemCacheThreshold"), "65536 (default)");
  EXPECT_EQ(ServerUses("MyOwnKey"), "unknown name, ignored");
  EXPECT_EQ(ServerUses("ClientBatchBuffer"), "ignored by Firebird 3.0");
  EXPECT_EQ(Edit("edClientBatchBuffer")->toolTip(),
            "Firebird 3.0 does not read ClientBatchBuffer: it was added in 4.0.");

  // By keyboard: a keyword, a flag, a number in a form 3.0 reads, a list.
  Combo("CBServerMode")->setFocus();
  QTest::keyClicks(Combo("CBServerMode"), "Cl");
  Check("CBWireCompression")->setFocus();
  QTest::keyClick(Check("CBWireCompression"), Qt::Key_Space);
  Type("edFileSystemCacheThreshold", "128K");
  Type("edAuthServer", "Srp256, Srp");
  EXPECT_TRUE(ApplyEnabled());
  EXPECT_TRUE(Apply());
  EXPECT_EQ(ReadFileBytes(conf()), AsSaved("# Firebird version 3.0 configuration file\n"
                                           "ServerMode = Classic\n"
                                           "WireCompression = true\n"
                                           "FileSystemCacheThreshold = 128K\n"
                                           "AuthServer = Srp256, Srp # the plugins\n"
                                           "#AuthClient = Srp\n"
                                           "MyOwnKey = 5\n"
                                           "ClientBatchBuffer = 64K\n"));
  EXPECT_EQ(ServerUses("FileSystemCacheThreshold"), "131072");
  EXPECT_EQ(ServerUses("ServerMode"), "Classic");
  EXPECT_FALSE(ApplyEnabled());

  // A 2.x file takes flags as 1 and 0.
  Open("#RelaxedAliasChecking = 0\nTempBlockSize = 5\n");
  Check("CBRelaxedAliasChecking")->click();
  EXPECT_TRUE(Apply());
  EXPECT_EQ(ReadFileBytes(conf()), AsSaved("RelaxedAliasChecking = 1\nTempBlockSize = 5\n"));
}

TEST_F(OtherParametersTest, AValueThatReadsAsTheFileDoesIsNoChange) {
  Open("# Firebird version 3.0 configuration file\n"
       "#TracePlugin = fbtrace\n"
       "#WireCompression = false\n"
       "FileSystemCacheThreshold = 64K\n"
       "#DatabaseAccess = Full\n");
  // Retyped, ticked and unticked, or written otherwise with the same reading.
  Type("edTracePlugin", "fbtrace");
  Check("CBWireCompression")->click();
  Check("CBWireCompression")->click();
  Type("edFileSystemCacheThreshold", "65536");
  EXPECT_EQ(Pending(), "");
  EXPECT_FALSE(ApplyEnabled());

  // A real change, taken back: nothing is left to apply.
  Type("edTracePlugin", "mytrace");
  EXPECT_EQ(Pending(), "TracePlugin=mytrace|");
  EXPECT_TRUE(ApplyEnabled());
  Type("edTracePlugin", "fbtrace");
  EXPECT_EQ(Pending(), "");
  EXPECT_FALSE(ApplyEnabled());

  // Taking it back leaves another page's change to apply.
  Radio("RBNone")->click();
  Type("edTracePlugin", "mytrace");
  Type("edTracePlugin", "fbtrace");
  EXPECT_TRUE(ApplyEnabled());
  EXPECT_TRUE(Apply());
  EXPECT_EQ(ReadFileBytes(conf()), AsSaved("# Firebird version 3.0 configuration file\n"
                                           "#TracePlugin = fbtrace\n"
                                           "#WireCompression = false\n"
                                           "FileSystemCacheThreshold = 64K\n"
                                           "DatabaseAccess = None\n"));
}

TEST_F(OtherParametersTest, OnlyAKeywordWithoutADefaultCanBeLeftUnsetAndOnlyTheUserChooses) {
  Open("# Firebird version 4.0 configuration file\n"
       "#ServerMode = Super\n"
       "#WireCrypt = Required\n"
       "#DataTypeCompatibility = 3.0\n");
  EXPECT_EQ(Combo("CBDataTypeCompatibility")->itemText(0), "(not set)");
  EXPECT_EQ(Combo("CBServerMode")->findText("(not set)"), -1);
  EXPECT_EQ(Combo("CBWireCrypt")->findText("(not set)"), -1);

  // A list changed by the program writes nothing; the user's choice does.
  Combo("CBServerMode")->setCurrentIndex(4);
  Combo("CBAuthentication")->setCurrentIndex(1);
  EXPECT_EQ(Pending(), "");
  Combo("CBServerMode")->setFocus();
  QTest::keyClick(Combo("CBServerMode"), Qt::Key_Home);
  QTest::keyClick(Combo("CBServerMode"), Qt::Key_Down);
  EXPECT_EQ(Pending(), "ServerMode=ThreadedDedicated|");
}

TEST_F(OtherParametersTest, TheListKeepsItsRowInViewItsHeaderAndTheFilesCommentAsWritten) {
  if (!OpenSample("firebird-3.0.11-debian.conf")) GTEST_SKIP() << "sample files not found";
  window->show();
  Pages()->setCurrentWidget(Page());
  QApplication::processEvents();
  auto* scroll = W<QScrollArea>("ScrollOtherParameters");
  QLabel* heading = W<QWidget>("OtherParametersHeader")->findChildren<QLabel*>().front();
  const QPoint headingAt = heading->mapTo(window.get(), QPoint());
  // Down goes from row to row, each kept in view; the titles stay put.
  std::vector<QWidget*> editors = Editors();
  QWidget* first = *std::find_if(editors.begin(), editors.end(),
                                 [](QWidget* e) { return qobject_cast<QLineEdit*>(e) && !static_cast<QLineEdit*>(e)->isReadOnly(); });
  first->setFocus();
  for (int step = 0; step < 12; ++step) {
    QWidget* before = QApplication::focusWidget();
    QTest::keyClick(before, Qt::Key_Down);
    QApplication::processEvents();
    QWidget* now = QApplication::focusWidget();
    if (qobject_cast<QComboBox*>(before)) break;  // a list keeps Down for its items
    EXPECT_NE(now, before);
    const QRect shown(now->mapTo(scroll->viewport(), QPoint()), now->size());
    // In view (the page may still move it by a line's last pixels).
    EXPECT_TRUE(scroll->viewport()->rect().contains(shown.center())) << now->objectName().toStdString();
  }
  EXPECT_GT(scroll->verticalScrollBar()->value(), 0);
  EXPECT_EQ(heading->mapTo(window.get(), QPoint()).y(), headingAt.y());
  // The file's comment keeps its lines, in a fixed face.
  auto* comment = W<QPlainTextEdit>("MOtherParameterComment");
  EXPECT_EQ(comment->lineWrapMode(), QPlainTextEdit::NoWrap);
  EXPECT_TRUE(QFontInfo(comment->font()).fixedPitch());

  // One row: its editor stays beside its value, not at the far edge.
  Open("#RelaxedAliasChecking = 0\nTempBlockSize = 5\n");
  window->show();
  Pages()->setCurrentWidget(Page());
  QApplication::processEvents();
  QWidget* box = Editors().front();
  QWidget* view = W<QScrollArea>("ScrollOtherParameters")->viewport();
  EXPECT_LT(box->mapTo(view, QPoint()).x() + box->width(), view->width() * 3 / 4);
}

TEST_F(OtherParametersTest, DefaultsFollowTheServerModePendingAndWritten) {
  Open("# Firebird version 3.0 configuration file\n"
       "#ServerMode = Super\n"
       "#DefaultDbCachePages = 2048\n"
       "#TempCacheLimit = 64M\n"
       "#GCPolicy = combined\n");
  EXPECT_EQ(Edit("edDefaultDbCachePages")->text(), "2048");
  Type("edTempCacheLimit", "100000");  // the user's own value stays
  Combo("CBServerMode")->setFocus();
  QTest::keyClicks(Combo("CBServerMode"), "Cl");
  EXPECT_EQ(Edit("edDefaultDbCachePages")->text(), "256");
  EXPECT_EQ(Edit("edTempCacheLimit")->text(), "100000");
  EXPECT_EQ(Combo("CBGCPolicy")->currentText(), "Cooperative");
  EXPECT_EQ(Pending(), "TempCacheLimit=100000|ServerMode=Classic|");

  // Back to Super while pending, then Classic again and written.
  QTest::keyClick(Combo("CBServerMode"), Qt::Key_Home);
  EXPECT_EQ(Pending(), "TempCacheLimit=100000|");
  EXPECT_EQ(Edit("edDefaultDbCachePages")->text(), "2048");
  for (int i = 0; i < 4; ++i) QTest::keyClick(Combo("CBServerMode"), Qt::Key_Down);
  ASSERT_EQ(Combo("CBServerMode")->currentText(), "Classic");
  EXPECT_TRUE(Apply());
  EXPECT_EQ(ReadFileBytes(conf()), AsSaved("# Firebird version 3.0 configuration file\n"
                                           "ServerMode = Classic\n"
                                           "#DefaultDbCachePages = 2048\n"
                                           "TempCacheLimit = 100000\n"
                                           "#GCPolicy = combined\n"));
  EXPECT_EQ(Edit("edDefaultDbCachePages")->text(), "256");
  EXPECT_EQ(Combo("CBGCPolicy")->currentText(), "Cooperative");

  // A value put over the default shown is a change, even the old default.
  Edit("edDefaultDbCachePages")->selectAll();
  Edit("edDefaultDbCachePages")->insert("2048");
  EXPECT_EQ(Pending(), "DefaultDbCachePages=2048|");
  Reopen();
  EXPECT_EQ(Edit("edDefaultDbCachePages")->text(), "256");
}

TEST_F(OtherParametersTest, ValuesTheVersionWouldMisreadAreRefusedBeforeAnythingIsWritten) {
  struct Case {
    const char* file;
    const char* editor;
    const char* typed;
    const char* message;
  };
  const char* const kFourZero =
      "# Firebird version 4.0 configuration file\n#ExtConnPoolSize = 0\n"
      "#FileSystemCacheThreshold = 64K\n#AuthServer = Srp\n";
  const Case cases[] = {
      {kFourZero, "edExtConnPoolSize", "2000", "ExtConnPoolSize: 2000 is outside the range 0 to 1000"},
      {kFourZero, "edFileSystemCacheThreshold", "64KB",
       "FileSystemCacheThreshold: \"64KB\" is not a number (digits, with k, m or g after them)"},
      {kFourZero, "edAuthServer", "Srp\v", "AuthServer: a value cannot hold the control character 0x0B"},
      {kFourZero, "edAuthServer", "\"Srp\"",
       "AuthServer: a value cannot hold a quote: the server takes quotes away or refuses the file"},
      {"#MaxUserTraceLogSize = 10\nTempBlockSize = 5\n", "edMaxUserTraceLogSize", "64K",
       "MaxUserTraceLogSize: \"64K\" is not a number (digits only)"},
      // A number the server would not keep as written, here and on the pages.
      {kFourZero, "edFileSystemCacheThreshold", "8589934592G",
       "FileSystemCacheThreshold: \"8589934592G\" is not kept as written by Firebird 4.0, which holds it in 32 "
       "bits: the largest value accepted is 2147483647"},
      {"DeadlockTimeout = 10\nTempBlockSize = 5\n", "edDeadlockTimeout", "3000000000",
       "DeadlockTimeout: \"3000000000\" is not kept as written by Firebird 2.1, which holds it in an int of 32 "
       "bits: the largest value accepted is 2147483647"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    Open(c.file);
    platform.messages.clear();
    Edit(c.editor)->selectAll();
    QApplication::clipboard()->setText(QString::fromLatin1(c.typed));
    Edit(c.editor)->paste();
    Click("BtApply");
    EXPECT_EQ(MessageTexts(), std::vector<QString>{QString::fromLatin1(c.message) + ". Nothing was saved."});
    EXPECT_EQ(ReadFileBytes(conf()), c.file);
    EXPECT_TRUE(ApplyEnabled());
  }
}

TEST_F(OtherParametersTest, SearchAndTreeReachEveryRowAfterWhatTheyFoundBefore) {
  if (!OpenSample("firebird-3.0.11-debian.conf")) GTEST_SKIP() << "sample files not found";
  window->show();
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  struct Case {
    const char* typed;
    const char* control;
    int page;
  };
  const Case cases[] = {
      {"auth", "CBAuthentication", 2},  // the pages' controls first, as before
      {"e", "edSearchInc", 2},
      {"authserver", "edAuthServer", 10},
      {"Wire Crypt", "CBWireCrypt", 10},  // the name typed whole, before WireCryptPlugin
      {"cryptplug", "edWireCryptPlugin", 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    TypeSearch(c.typed);
    EXPECT_EQ(FoundName(), c.control);
    EXPECT_EQ(Pages()->currentIndex(), c.page);
    EXPECT_EQ(window->focusWidget(), Edit("edSearchInc"));
  }
  // The comment follows the row found once it has the focus.
  QTest::keyClick(Edit("edSearchInc"), Qt::Key_Return);
  EXPECT_EQ(window->focusWidget(), Edit("edWireCryptPlugin"));
  EXPECT_EQ(W<QLabel>("lblOtherParameterComment")->text(),
            "The comment above WireCryptPlugin in firebird.conf (line 454):");

  auto* tree = W<QTreeWidget>("TVWOptions");
  QTreeWidgetItem* node = tree->topLevelItem(10);
  Pages()->setCurrentIndex(0);
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(node).center());
  EXPECT_EQ(Pages()->currentIndex(), 10);
  tree->expandItem(node);
  const std::vector<QWidget*> editors = Editors();
  ASSERT_EQ(static_cast<std::size_t>(node->childCount()), editors.size());
  for (int i = 0; i < node->childCount(); ++i) {
    SCOPED_TRACE(node->child(i)->text(0).toStdString());
    Pages()->setCurrentIndex(0);
    tree->setFocus();
    tree->setCurrentItem(node->child(i));
    QTest::keyClick(tree, Qt::Key_Return);
    EXPECT_EQ(window->Navigator()->HighlightedControl(), editors[static_cast<std::size_t>(i)]);
    EXPECT_EQ(window->focusWidget(), editors[static_cast<std::size_t>(i)]);
    EXPECT_EQ(Pages()->currentIndex(), 10);
  }
  EXPECT_EQ(node->child(18)->text(0), "IPv6 V6 Only");
  EXPECT_EQ(node->child(13)->text(0), "Clear GTT At Retaining");
}

TEST_F(OtherParametersTest, WheelTabsAndPageKeysChangeNothing) {
  if (!OpenSample("firebird-3.0.11-debian.conf")) GTEST_SKIP() << "sample files not found";
  window->show();
  Pages()->setCurrentIndex(10);
  QApplication::processEvents();
  const QStringList before = State();
  QScrollBar* scroll = Page()->findChild<QScrollArea*>()->verticalScrollBar();
  ASSERT_GT(scroll->maximum(), 0) << "the rows do not scroll";

  // Every row by Tab, in order, from the tabs on to the buttons below.
  const std::vector<QWidget*> editors = Editors();
  Pages()->tabBar()->setFocus();
  for (QWidget* editor : editors) {
    QTest::keyClick(window->focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(window->focusWidget(), editor);
  }
  QTest::keyClick(window->focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(window->focusWidget(), W<QWidget>("MOtherParameterComment"));
  QTest::keyClick(window->focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(window->focusWidget(), Button("BtDone"));
  // The wheel over every editor, focused or not, changes no value; over a
  // drop-down list, which would take it, it scrolls the rows instead.
  for (const bool focused : {false, true}) {
    for (QWidget* editor : editors) {
      SCOPED_TRACE(editor->objectName().toStdString());
      if (focused) editor->setFocus();
      scroll->setValue(scroll->maximum() / 2);
      for (const int delta : {-120, 120, 120}) {
        const QPointF at = QRectF(editor->rect()).center();
        QWheelEvent notch(at, editor->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(editor, &notch);
      }
      if (qobject_cast<QComboBox*>(editor)) {
        EXPECT_LT(scroll->value(), scroll->maximum() / 2);
      }
    }
  }
  // Ctrl+PgDn from a list of the page turns to the first page and back.
  Combo("CBWireCrypt")->setFocus();
  QTest::keyClick(Combo("CBWireCrypt"), Qt::Key_PageDown, Qt::ControlModifier);
  EXPECT_EQ(Pages()->currentIndex(), 0);
  QTest::keyClick(window->focusWidget(), Qt::Key_PageUp, Qt::ControlModifier);
  EXPECT_EQ(Pages()->currentIndex(), 10);

  EXPECT_EQ(State(), before);
  EXPECT_TRUE(window->Document()->PendingChanges().empty());
  EXPECT_FALSE(ApplyEnabled());
}

TEST_F(OtherParametersTest, AValueAnotherProgramChangedTooIsAskedAbout) {
  Open("# Firebird version 3.0 configuration file\n#AuthServer = Srp\n#WireCrypt = Required\n");
  Type("edAuthServer", "Srp256");
  WriteFileBytes(conf(), "# Firebird version 3.0 configuration file\nAuthServer = Legacy_Auth\n"
                         "WireCrypt = Enabled\n");
  platform.answers = {QMessageBox::No};
  Click("BtApply");
  ASSERT_FALSE(MessageTexts().empty());
  EXPECT_EQ(MessageTexts().front(),
            "Another program changed AuthServer in firebird.conf to \"Legacy_Auth\" while you changed "
            "it to \"Srp256\".\nKeep your value \"Srp256\"? No keeps \"Legacy_Auth\".");
  EXPECT_EQ(ReadFileBytes(conf()),
            "# Firebird version 3.0 configuration file\nAuthServer = Legacy_Auth\nWireCrypt = Enabled\n");
  // The page shows the file as it is now.
  EXPECT_EQ(Edit("edAuthServer")->text(), "Legacy_Auth");
  EXPECT_EQ(ServerUses("WireCrypt"), "Enabled");
}

}  // namespace

#ifndef _WIN32
TEST_F(OtherParametersTest, AnIncludeThatCannotBeReadIsToldAndTheWindowOpens) {
  ASSERT_EQ(mkfifo(dir.file("pipe.conf").c_str(), 0644), 0);
  const std::string text =
      "# Firebird version 3.0 configuration file\nWireCrypt = Enabled\ninclude pipe.conf\nDeadlockTimeout = 5\n";
  Open(text);
  ASSERT_FALSE(platform.messages.empty());
  EXPECT_EQ(platform.messages.back().text.toStdString(),
            "Cannot open file \"" + dir.file("pipe.conf") + "\". It is a named pipe, not a regular file (included by "
            "line 3 of " + conf() + ")");
  EXPECT_TRUE(window->DocumentLoaded());
  EXPECT_FALSE(ApplyEnabled());
  // Nothing is saved on a file whose reading by the server cannot be told.
  Type("edDeadlockTimeout", "7");
  EXPECT_TRUE(ApplyEnabled());
  EXPECT_FALSE(Apply());
  EXPECT_EQ(ReadFileBytes(conf()), text);
}
#endif
