// Access policies and folder lists: reading a value into radio buttons and a
// list, the enabling rules, adding and removing folders, and the value
// composed again at Apply.

#include <QApplication>
#include <QDir>
#include <QTabBar>

#include "ui/MainFrmFixture.h"

namespace {

using AccessTest = MainFrmTest;

// A folder as the system's chooser gives it: with backslashes on Windows.
QString Native(const char* folder) { return QDir::toNativeSeparators(QString::fromLatin1(folder)); }
std::string NativeText(const char* folder) { return Native(folder).toStdString(); }

TEST_F(AccessTest, RestrictFillsTheListAndEnablesIt) {
  Open("DatabaseAccess = Restrict C:\\db\\;D:\\data\\\nTempBlockSize = 1\n");
  EXPECT_TRUE(Radio("RBRestrict")->isChecked());
  EXPECT_EQ(Entries("LBRestrict"), QStringList({"C:\\db\\", "D:\\data\\"}));
  EXPECT_TRUE(List("LBRestrict")->isEnabled());
  EXPECT_TRUE(Button("BtAddRestrict")->isEnabled());
  EXPECT_TRUE(Button("BtRemoveRestrict")->isEnabled());
  EXPECT_FALSE(Button("BtAliasesConf")->isEnabled());
  EXPECT_FALSE(ApplyEnabled());

  Type("edTempBlockSize", "2");
  Click("BtApply");
  EXPECT_EQ(ReadFileBytes(conf()), AsSaved("DatabaseAccess = Restrict C:\\db\\;D:\\data\\\nTempBlockSize = 2\n"));
}

TEST_F(AccessTest, EachPolicyReadsItsKeywordsAndDefault) {
  Open("DatabaseAccess = nOnE\n#ExternalFileAccess = Full\nUdfAccess = Restrict UDF\n");
  EXPECT_TRUE(Radio("RBNone")->isChecked());
  EXPECT_TRUE(Button("BtAliasesConf")->isEnabled());
  EXPECT_FALSE(List("LBRestrict")->isEnabled());
  EXPECT_TRUE(Radio("RBNoneExtFileAccess")->isChecked());  // commented: None
  EXPECT_FALSE(List("LBRestrictExtFileAccess")->isEnabled());
  EXPECT_FALSE(Button("BtAddExternalFileAccess")->isEnabled());
  EXPECT_TRUE(Radio("RBRestrictUDFAccessUDF")->isChecked());
  EXPECT_FALSE(List("LBRestrictUDFAccess")->isEnabled());
  EXPECT_FALSE(ApplyEnabled());  // radio clicks during loading are forgotten

  Open("DatabaseAccess = full\nExternalFileAccess = Restrict /ext\nUdfAccess = Restrict /udf\n");
  EXPECT_TRUE(Radio("RBFull")->isChecked());
  EXPECT_FALSE(Button("BtAliasesConf")->isEnabled());
  EXPECT_FALSE(Button("BtAddRestrict")->isEnabled());
  EXPECT_TRUE(Radio("RBRestrictExtFileAccess")->isChecked());
  EXPECT_EQ(Entries("LBRestrictExtFileAccess"), QStringList{"/ext"});
  EXPECT_TRUE(Radio("RBRestrictUDFAccess")->isChecked());
  EXPECT_EQ(Entries("LBRestrictUDFAccess"), QStringList{"/udf"});

  // "Restrict UDF" is a folder named UDF for the database policy; lower-case
  // "restrict" is no keyword at all; an empty value reads as commented.
  Open("DatabaseAccess = Restrict UDF\nExternalFileAccess = restrict /x\nUdfAccess =\n");
  EXPECT_TRUE(Radio("RBRestrict")->isChecked());
  EXPECT_EQ(Entries("LBRestrict"), QStringList{"UDF"});
  EXPECT_FALSE(Radio("RBFullExtFileAccess")->isChecked());
  EXPECT_FALSE(Radio("RBNoneExtFileAccess")->isChecked());
  EXPECT_FALSE(Radio("RBRestrictExtFileAccess")->isChecked());
  EXPECT_TRUE(List("LBRestrictExtFileAccess")->isEnabled());  // nothing checked: all usable
  EXPECT_TRUE(Radio("RBRestrictUDFAccessUDF")->isChecked());
}

TEST_F(AccessTest, QuotedFoldersKeepTheirSemicolonsAndEmptyPiecesGo) {
  Open("DatabaseAccess = Restrict  \"/data;old\";;'/b;c' ;/d\n"
       "TempDirectories = /tmp;;\"/var/my;tmp\"\n");
  EXPECT_EQ(Entries("LBRestrict"), QStringList({"\"/data;old\"", "'/b;c' ", "/d"}));
  EXPECT_EQ(Entries("LBTempDirectories"), QStringList({"/tmp", "\"/var/my;tmp\""}));
}

TEST_F(AccessTest, ApplyComposesEveryPolicyAndTheTempList) {
  Open("DatabaseAccess = Full\nExternalFileAccess = None\nUdfAccess = Full\n"
       "TempDirectories = /tmp\n");
  Radio("RBRestrict")->click();
  EXPECT_TRUE(ApplyEnabled());
  EXPECT_TRUE(List("LBRestrict")->isEnabled());
  Radio("RBRestrictUDFAccessUDF")->click();
  Radio("RBFullExtFileAccess")->click();
  platform.folderChoices = {Native("/srv/tmp")};
  Click("Button1");
  Click("BtApply");
  EXPECT_EQ(ReadFileBytes(conf()),
            AsSaved("DatabaseAccess = Restrict \n"  // Restrict with an empty list keeps its blank
                    "ExternalFileAccess = Full\n"
                    "UdfAccess = Restrict UDF\n"
                    "TempDirectories = /tmp;" +
                    NativeText("/srv/tmp/") + "\n"));
  EXPECT_FALSE(ApplyEnabled());
}

TEST_F(AccessTest, CommentedPoliciesBecomeActiveAtTheFirstApply) {
  Open("#DatabaseAccess = Full\n#TempDirectories = /tmp\n#TempBlockSize = 1\n");
  EXPECT_TRUE(Entries("LBTempDirectories").isEmpty());
  Type("edTempBlockSize", "2");
  Click("BtApply");
  EXPECT_EQ(ReadFileBytes(conf()), AsSaved("DatabaseAccess = Full\nTempDirectories = \nTempBlockSize = 2\n"));
}

TEST_F(AccessTest, AbsentPoliciesAreMarkedAndNeverWritten) {
  Open("TempBlockSize = 1\n");
  for (const char* group : {"GBDatabaseAccess", "GBExternalFileAccess", "GBUDFAccess",
                            "GBTempDirectories"})
    EXPECT_EQ(W<QGroupBox>(group)->toolTip(), ControlBinding::kUnsupportedHint) << group;
  EXPECT_FALSE(Radio("RBFullExtFileAccess")->isChecked());
  EXPECT_FALSE(Radio("RBNoneExtFileAccess")->isChecked());
  Radio("RBFull")->click();  // set, but the file has no line
  Click("BtApply");
  EXPECT_EQ(ReadFileBytes(conf()), AsSaved("TempBlockSize = 1\n"));
}

TEST_F(AccessTest, AddingFolders) {
  Open("DatabaseAccess = Restrict /a/\n");
  platform.folderChoices = {Native("/srv/db"), Native("/srv/db")};
  Click("BtAddRestrict");
  Click("BtAddRestrict");
  Click("BtAddRestrict");  // cancelled: nothing added
  EXPECT_EQ(Entries("LBRestrict"), QStringList({"/a/", Native("/srv/db/"), Native("/srv/db/")}));
  EXPECT_EQ(platform.chooserTitles.size(), 3);
  EXPECT_EQ(platform.chooserTitles[0], "Select Directory");
  EXPECT_TRUE(ApplyEnabled());
  Click("BtApply");
  EXPECT_EQ(ReadFileBytes(conf()), AsSaved("DatabaseAccess = Restrict /a/;" + NativeText("/srv/db/;/srv/db/") + "\n"));

  platform.folderChoices = {Native("/")};  // the root already ends with the separator
  Click("Button1");
  EXPECT_EQ(Entries("LBTempDirectories"), QStringList{Native("/")});
}

TEST_F(AccessTest, RemovingFoldersAsksFirst) {
  Open("TempDirectories = /a;/b;/c\n");
  QListWidget* list = List("LBTempDirectories");
  Click("Button2");  // nothing selected: no question
  EXPECT_TRUE(platform.messages.empty());

  list->item(0)->setSelected(true);
  list->item(2)->setSelected(true);
  platform.answers = {QMessageBox::No};
  Click("Button2");
  ASSERT_EQ(platform.messages.size(), 1u);
  const auto& question = platform.messages[0];
  EXPECT_EQ(question.text, "You are sure to remove the path's selected");
  EXPECT_EQ(question.icon, QMessageBox::Question);
  EXPECT_EQ(question.buttons, QMessageBox::Yes | QMessageBox::No);
  EXPECT_EQ(question.defaultButton, QMessageBox::Yes);
  EXPECT_EQ(Entries("LBTempDirectories").size(), 3);
  EXPECT_FALSE(ApplyEnabled());

  Click("Button2");  // answered with the default, Yes
  EXPECT_EQ(Entries("LBTempDirectories"), QStringList{"/b"});
  EXPECT_TRUE(ApplyEnabled());
}

TEST_F(AccessTest, ResetToDefaultsEmptiesTheListsFirst) {
  Open("DatabaseAccess = Restrict /old\nTempDirectories = /old-tmp\n");
  WriteFileBytes(dir.file("firebird.conf.default"),
                 "#DatabaseAccess = Full\n#TempDirectories = /tmp\n");
  platform.answers = {QMessageBox::Yes};
  Trigger("AInitAll");
  EXPECT_TRUE(Entries("LBRestrict").isEmpty());
  EXPECT_TRUE(Entries("LBTempDirectories").isEmpty());
  EXPECT_TRUE(Radio("RBFull")->isChecked());
  Radio("RBNone")->click();
  Click("BtApply");
  EXPECT_EQ(ReadFileBytes(conf()), AsSaved("DatabaseAccess = None\nTempDirectories = \n"));
}

TEST_F(AccessTest, TabIntoARadioGroupLandsOnTheCheckedButton) {
  Open("DatabaseAccess = None\nUdfAccess = Restrict UDF\n");
  window->show();
  auto* pages = W<QTabWidget>("PCMain");
  pages->setCurrentIndex(1);
  QApplication::processEvents();
  pages->tabBar()->setFocus();
  QTest::keyClick(pages->tabBar(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), Radio("RBNone"));
  QTest::keyClick(Radio("RBNone"), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), Button("BtAliasesConf"));
  // Backwards into a group, and into one whose button the user checked.
  Radio("RBRestrictUDFAccess")->click();
  Button("BtAddUDFAccess")->setFocus();
  QTest::keyClick(Button("BtAddUDFAccess"), Qt::Key_Tab, Qt::ShiftModifier);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
  EXPECT_EQ(QApplication::focusWidget(), Radio("RBRestrictUDFAccess"));
}

}  // namespace
