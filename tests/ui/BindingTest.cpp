// Every kind of control: what a value shows, the defaults, the unsupported
// marking, and what a change writes into the document.

#include "config/firebird/ParameterRules.h"
#include "ui/MainFrmFixture.h"

namespace {

using BindingTest = MainFrmTest;

TEST_F(BindingTest, EditsShowValueDefaultOrMarking) {
  Open("# header\n"
       "#DefaultDbCachePages = 4096\n"
       "TempBlockSize = 4096\n"
       "TempCacheLimit =\n"
       "RemoteServiceName = fb_db # our own service\n"
       "DeadlockTimeout = abc\n");
  EXPECT_EQ(Edit("edDefaultDbCachePages")->text(), "2048");  // commented: default
  EXPECT_EQ(Edit("edTempBlockSize")->text(), "4096");
  EXPECT_EQ(Edit("edTempCacheLimit")->text(), "67108864");  // empty: default
  EXPECT_EQ(Edit("edRemoteServiceName")->text(), "fb_db");
  EXPECT_EQ(Edit("edDeadlockTimeout")->text(), "abc");  // never validated on input

  QLineEdit* lockSignal = Edit("edLockSignal");  // no line in the file
  EXPECT_TRUE(lockSignal->isReadOnly());
  EXPECT_EQ(lockSignal->text(), "");
  EXPECT_EQ(lockSignal->toolTip(), ControlBinding::kUnsupportedHint);
  EXPECT_EQ(lockSignal->palette().color(QPalette::Base), QColor(239, 239, 239));
  EXPECT_FALSE(Edit("edTempBlockSize")->isReadOnly());
  EXPECT_EQ(Edit("edTempBlockSize")->toolTip(), "");

  // Filling wrote through and then dropped every pending change.
  TVantrel& doc = *window->Document();
  EXPECT_EQ(doc.DefaultDbCachePages(), "2048");
  EXPECT_EQ(doc.TempCacheLimit(), "67108864");
  EXPECT_EQ(doc.LockSignal(), "*");
  EXPECT_TRUE(doc.PendingChanges().empty());
  EXPECT_FALSE(doc.Modified());
  EXPECT_FALSE(ApplyEnabled());

  Edit("edTempBlockSize")->setFocus();
  Edit("edTempBlockSize")->end(false);
  QTest::keyClicks(Edit("edTempBlockSize"), "1");
  EXPECT_EQ(Pending(), "TempBlockSize=40961|");
  EXPECT_TRUE(ApplyEnabled());
  Type("edTempBlockSize", "");
  QTest::keyClick(Edit("edTempBlockSize"), Qt::Key_Backspace);
  EXPECT_EQ(doc.TempBlockSize(), "");  // an empty edit writes an empty value
}

TEST_F(BindingTest, EveryCommentedEditShowsTheServersDefaultNotTheFileValue) {
  const auto bindings = ControlBinding::Bindings();
  std::string file;
  for (const auto& b : bindings)
    if (b.kind == ControlBinding::Kind::Edit) file += "#" + std::string(KeyName(b.key)) + " = 7\n";
  Open(file);
  window->BuildAllPages();
  const auto controls = window->Binding()->Controls();
  for (std::size_t row = 0; row < bindings.size(); ++row) {
    if (bindings[row].kind != ControlBinding::Kind::Edit) continue;
    auto* edit = qobject_cast<QLineEdit*>(controls[row]);
    ASSERT_NE(edit, nullptr) << KeyName(bindings[row].key);
    EXPECT_EQ(ToDoc(edit->text()), DefaultText(bindings[row].key)) << KeyName(bindings[row].key);
  }
  EXPECT_FALSE(ApplyEnabled());
}

TEST_F(BindingTest, AFileWithoutParametersMarksExactlyTheControlsOfTheMissingOnes) {
  Open("# nothing but a comment\n");
  window->BuildAllPages();
  QStringList marked;
  for (QWidget* w : window->findChildren<QWidget*>())
    if (w->toolTip() == ControlBinding::kUnsupportedHint) marked << w->objectName();
  marked.sort();
  // Everything but the install folder, LegacyHash and GCPolicy.
  QStringList expected = {
      "GBDatabaseAccess", "GBExternalFileAccess", "GBUDFAccess", "GBTempDirectories",
      "CBAuthentication", "CBGuardianOption", "CBLockGrantOrder",
      "CBOldParameterOrdering", "CBCompleteBooleanEvaluation", "CBBugcheckAbort",
      "CBOldColumnNaming", "CBTcpNoNagle", "CBUsePriorityScheduler", "CBCreateInternalWindow",
      "CBRemoteFileOpenAbility", "CBRedirection"};
  for (const char* edit :
       {"DefaultDbCachePages", "DatabaseGrowthIncrement", "MaxFileSystemCache", "TempBlockSize",
        "TempCacheLimit", "DeadlockTimeout", "MaxUnflushedWrites", "MaxUnflushedWriteTime",
        "ConnectionTimeout", "RemoteServiceName", "RemoteServicePort", "RemoteAuxPort",
        "TcpRemoteBufferSize", "RemoteBindAddress", "LockMemSize", "LockSemCount",
        "LockAcquireSpins", "LockHashSlots", "EventMemSize", "CpuAffinityMask",
        "PrioritySwitchDelay", "PriorityBoost", "ProcessPriorityLevel", "IpcName",
        "RemotePipeName", "LockSignal"}) {
    expected << QStringLiteral("ed") + edit;
    EXPECT_TRUE(Edit((std::string("ed") + edit).c_str())->isReadOnly()) << edit;
  }
  expected.sort();
  EXPECT_EQ(marked, expected);
}

TEST_F(BindingTest, FlagsFollowTheirDefaultAndOddValues) {
  Open("TcpNoNagle = 0\n"
       "#UsePriorityScheduler = 0\n"
       "CreateInternalWindow = true\n"
       "BugcheckAbort = 2\n"
       "OldColumnNaming = yes\n"
       "#CompleteBooleanEvaluation = 1\n"
       "Redirection =\n"
       "RemoteFileOpenAbility = 0\n");
  EXPECT_FALSE(Check("CBTcpNoNagle")->isChecked());
  EXPECT_TRUE(Check("CBUsePriorityScheduler")->isChecked());  // commented: on by default
  EXPECT_FALSE(Check("CBCreateInternalWindow")->isChecked());  // only "1" is on
  EXPECT_TRUE(Check("CBBugcheckAbort")->isChecked());          // anything but "0" is on
  EXPECT_TRUE(Check("CBOldColumnNaming")->isChecked());
  EXPECT_FALSE(Check("CBCompleteBooleanEvaluation")->isChecked());
  EXPECT_FALSE(Check("CBRedirection")->isChecked());  // empty reads as commented
  EXPECT_FALSE(Check("CBRemoteFileOpenAbility")->isChecked());
  // Absent: marked, still usable, state untouched.
  QCheckBox* ordering = Check("CBOldParameterOrdering");
  EXPECT_EQ(ordering->toolTip(), ControlBinding::kUnsupportedHint);
  EXPECT_TRUE(ordering->isEnabled());
  EXPECT_FALSE(ordering->isChecked());
  EXPECT_EQ(Check("CBBugcheckAbort")->toolTip(), "");
  // LegacyHash: absent means unchecked and no marking.
  EXPECT_FALSE(Check("CBLegacyHASH")->isChecked());
  EXPECT_EQ(Check("CBLegacyHASH")->toolTip(), "");
  EXPECT_FALSE(window->Document()->Modified());

  TVantrel& doc = *window->Document();
  QTest::mouseClick(Check("CBBugcheckAbort"), Qt::LeftButton);
  EXPECT_EQ(doc.BugcheckAbort(), "0");
  QTest::mouseClick(Check("CBBugcheckAbort"), Qt::LeftButton);
  EXPECT_EQ(doc.BugcheckAbort(), "1");
  EXPECT_EQ(Pending(), "BugcheckAbort=1|");
  EXPECT_TRUE(ApplyEnabled());
}

TEST_F(BindingTest, LegacyHashIsOnWhenCommentedOrOne) {
  Open("#LegacyHash = 0\n");
  EXPECT_TRUE(Check("CBLegacyHASH")->isChecked());
  Open("LegacyHash = 2\n");
  EXPECT_FALSE(Check("CBLegacyHASH")->isChecked());
}

TEST_F(BindingTest, KeywordListsReadAnyCaseAndWriteTheEnglishKeyword) {
  Open("Authentication = TRUSTED\nGCPolicy = sometimes\n");
  QComboBox* auth = Combo("CBAuthentication");
  QComboBox* gc = Combo("CBGCPolicy");
  EXPECT_EQ(auth->currentText(), "Trusted");
  EXPECT_EQ(gc->currentIndex(), -1);  // unknown keyword: no selection
  EXPECT_EQ(gc->toolTip(), "");
  EXPECT_FALSE(auth->isEditable());

  // The items may be translated: the value still comes from the position.
  auth->setItemText(1, QString::fromUtf8("Nativo"));
  auth->setFocus();
  QTest::keyClick(auth, Qt::Key_Up);  // user picks the item above "Trusted"
  EXPECT_EQ(auth->currentIndex(), 1);
  EXPECT_EQ(window->Document()->Authentication(), "native");
  EXPECT_EQ(window->Document()->GCPolicy(), "sometimes");  // untouched until chosen

  Open("#Authentication = trusted\n#GCPolicy = background\n");
  EXPECT_EQ(Combo("CBAuthentication")->currentText(), "Mixed");
  EXPECT_EQ(Combo("CBGCPolicy")->currentText(), "Combined");
  EXPECT_EQ(window->Document()->Authentication(), "#trusted");  // lists don't write on load

  Open("Authentication =\nGCPolicy = Cooperative\n");
  EXPECT_EQ(Combo("CBAuthentication")->currentText(), "Mixed");
  EXPECT_EQ(Combo("CBGCPolicy")->currentText(), "Cooperative");

  Open("# nothing\n");
  EXPECT_EQ(Combo("CBAuthentication")->toolTip(), ControlBinding::kUnsupportedHint);
  EXPECT_EQ(Combo("CBAuthentication")->currentIndex(), -1);
  EXPECT_EQ(Combo("CBGCPolicy")->toolTip(), "");  // GCPolicy is never marked
}

TEST_F(BindingTest, NumberedListsSelectByPosition) {
  Open("GuardianOption = 0\n#LockGrantOrder = 0\n");
  EXPECT_EQ(Combo("CBGuardianOption")->currentText(), "only start the engine/service once");
  EXPECT_EQ(Combo("CBLockGrantOrder")->currentIndex(), 1);  // commented

  Open("GuardianOption = 2\nLockGrantOrder = 1\n");
  EXPECT_EQ(Combo("CBGuardianOption")->currentIndex(), 0);
  EXPECT_EQ(Combo("CBLockGrantOrder")->currentIndex(), 1);
  QComboBox* guardian = Combo("CBGuardianOption");
  guardian->setFocus();
  QTest::keyClick(guardian, Qt::Key_Down);
  EXPECT_EQ(window->Document()->GuardianOption(), "1");
  QTest::keyClick(guardian, Qt::Key_Up);
  EXPECT_EQ(window->Document()->GuardianOption(), "0");

  Open("#GuardianOption = 1\n");
  EXPECT_EQ(Combo("CBGuardianOption")->currentText(),
            "always restart the engine/service if it terminates");
  EXPECT_EQ(Combo("CBLockGrantOrder")->toolTip(), ControlBinding::kUnsupportedHint);
  EXPECT_EQ(Combo("CBLockGrantOrder")->currentIndex(), 0);
}

TEST_F(BindingTest, InstallFolderShowsTheFolderOfTheRun) {
  Open("RootDirectory = /elsewhere/\n");
  EXPECT_EQ(Edit("edRootDirectory")->text(), InstallPath);
  EXPECT_EQ(window->Document()->RootDirectory(), ToDoc(InstallPath));
  EXPECT_EQ(window->Document()->Folder(), ToDoc(InstallPath));
  EXPECT_TRUE(window->Document()->PendingChanges().empty());
}

TEST_F(BindingTest, DummyPacketIntervalIsNeverWritten) {
  Open("DummyPacketInterval = 7\nTempBlockSize = 1\n");
  Type("edTempBlockSize", "2");
  Click("BtApply");
  EXPECT_EQ(ReadFileBytes(conf()), AsSaved("DummyPacketInterval = 7\nTempBlockSize = 2\n"));
}

TEST_F(BindingTest, MarkingSurvivesAReloadThatHasTheParameter) {
  Open("TempBlockSize = 1\n");
  EXPECT_TRUE(Edit("edLockSignal")->isReadOnly());
  WriteFileBytes(dir.file("firebird.conf.default"), "#LockSignal = 16\n#TempBlockSize = 1\n");
  platform.answers = {QMessageBox::Yes};
  Trigger("AInitAll");
  EXPECT_EQ(Edit("edLockSignal")->text(), "16");
  EXPECT_TRUE(Edit("edLockSignal")->isReadOnly());
  EXPECT_EQ(Edit("edLockSignal")->toolTip(), ControlBinding::kUnsupportedHint);
}

TEST_F(BindingTest, RealSamplesFillAndMarkWhatTheirVersionLacks) {
  const std::pair<const char*, QStringList> samples[] = {
      {"firebird-2.0.7.conf",
       {"CBAuthentication", "edDatabaseGrowthIncrement", "edMaxFileSystemCache",
        "edTempBlockSize", "edTempCacheLimit", "CBCreateInternalWindow"}},
      {"firebird-2.1.7.conf", {}},
      {"firebird-2.5.9-windows.conf",
       {"edMaxFileSystemCache", "CBOldParameterOrdering", "edLockSemCount",
        "CBCreateInternalWindow", "edLockSignal"}},
  };
  for (const auto& [name, lacking] : samples) {
    const std::string sample = SamplePath(name);
    if (sample.empty()) GTEST_SKIP() << "samples not available";
    Open(ReadFileBytes(sample));
    window->BuildAllPages();
    EXPECT_FALSE(ApplyEnabled()) << name;
    EXPECT_TRUE(window->Document()->PendingChanges().empty()) << name;
    QStringList marked;
    for (QWidget* w : window->findChildren<QWidget*>())
      if (w->toolTip() == ControlBinding::kUnsupportedHint) marked << w->objectName();
    marked.sort();
    QStringList expected = lacking;
    expected.sort();
    EXPECT_EQ(marked, expected) << name;
    for (const QString& control : lacking) {
      if (auto* edit = window->findChild<QLineEdit*>(control)) {
        EXPECT_TRUE(edit->isReadOnly()) << name;
      }
    }
    // Every parameter of these files is commented out: defaults everywhere.
    EXPECT_EQ(Edit("edDefaultDbCachePages")->text(), "2048") << name;
    EXPECT_EQ(Edit("edTcpRemoteBufferSize")->text(), "8192") << name;
    EXPECT_TRUE(Radio("RBFull")->isChecked()) << name;
    EXPECT_TRUE(Radio("RBNoneExtFileAccess")->isChecked()) << name;
    EXPECT_TRUE(Radio("RBRestrictUDFAccessUDF")->isChecked()) << name;
    EXPECT_TRUE(Check("CBTcpNoNagle")->isChecked()) << name;
  }
}

}  // namespace
