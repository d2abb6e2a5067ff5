// The window on files of different server versions: the defaults a
// commented parameter shows, how flags read, the version it names, and the
// alias file it opens.

#include <QLabel>

#include "ui/MainFrmFixture.h"

namespace {

using VersionTest = MainFrmTest;

TEST_F(VersionTest, TheDebianThreeZeroFileShowsThreeZeroDefaults) {
  const std::string sample = SamplePath("firebird-3.0.11-debian.conf");
  if (sample.empty()) GTEST_SKIP() << "sample files not found at " << PELLISTO_SAMPLES_DIR;
  Open(ReadFileBytes(sample));
  EXPECT_EQ(Edit("edLockHashSlots")->text(), "8191");
  EXPECT_EQ(Edit("edCpuAffinityMask")->text(), "0");
  EXPECT_EQ(Edit("edDatabaseGrowthIncrement")->text(), "134217728");
  EXPECT_EQ(Edit("edRemoteBindAddress")->text(), "localhost");
  EXPECT_TRUE(Check("CBTcpNoNagle")->isChecked());
  EXPECT_EQ(Combo("CBGCPolicy")->currentText(), "Combined");
  // 3.0 does not read the Windows priority parameters of 2.x.
  EXPECT_TRUE(Edit("edPriorityBoost")->isReadOnly());

  QLabel* version = W<QLabel>("lblServerVersion");
  EXPECT_EQ(version->text(), "Read as Firebird 3.0");
  EXPECT_EQ(version->toolTip(), "Taken from the header of the file");
  window->show();
  EXPECT_TRUE(version->isVisible());
  EXPECT_GE(version->width(), version->sizeHint().width());
  EXPECT_FALSE(window->Document()->Modified());
}

TEST_F(VersionTest, FlagsAndModeFollowTheThreeZeroRules) {
  Open("# Firebird version 4.0 configuration file\n"
       "ServerMode = SuperClassic\n"
       "TcpNoNagle = 0\n"
       "RemoteFileOpenAbility = Yes\n"
       "BugcheckAbort = on\n"
       "Redirection = -1\n"
       "GuardianOption = 1\n"
       "#DefaultDbCachePages = 2048\n"
       "#TempCacheLimit = 64M\n"
       "#GCPolicy = combined\n"
       "LockHashSlots =\n"
       "#RemoteServicePort = 3050\n");
  EXPECT_FALSE(Check("CBTcpNoNagle")->isChecked());
  EXPECT_TRUE(Check("CBRemoteFileOpenAbility")->isChecked());
  EXPECT_FALSE(Check("CBBugcheckAbort")->isChecked());
  EXPECT_TRUE(Check("CBRedirection")->isChecked());
  // The defaults of the mode the file sets.
  EXPECT_EQ(Edit("edDefaultDbCachePages")->text(), "256");
  EXPECT_EQ(Edit("edTempCacheLimit")->text(), "8388608");
  EXPECT_EQ(Combo("CBGCPolicy")->currentText(), "Cooperative");
  // An empty value is no default to a 3.0+ server.
  EXPECT_EQ(Edit("edRemoteServicePort")->text(), "0");
  EXPECT_TRUE(Edit("edRemoteServicePort")->toolTip().contains("3050"));
  EXPECT_EQ(Edit("edLockHashSlots")->text(), "");
  EXPECT_EQ(W<QLabel>("lblServerVersion")->text(), "Read as Firebird 4.0");
  EXPECT_FALSE(window->Document()->Modified());

  // Looked for under its 3.0 name, and said missing under it.
  Click("BtAliasesConf");
  EXPECT_TRUE(platform.editedFiles.isEmpty());
  ASSERT_FALSE(platform.messages.empty());
  EXPECT_EQ(platform.messages.back().text, "File not found databases.conf in " + InstallPath);
  WriteFileBytes(dir.file("databases.conf"), "employee = /srv/employee.fdb\n");
  Click("BtAliasesConf");
  EXPECT_EQ(platform.editedFiles, QStringList({QString::fromStdString(dir.file("databases.conf"))}));
}

TEST_F(VersionTest, ApplyWritesTheLineTheThreeZeroServerReads) {
  Open("# Firebird version 3.0 configuration file\n"
       "DefaultDbCachePages = 64K   # the server reads this one\n"
       "defaultdbcachepages = 4096\n"
       "TcpRemoteBufferSize = 16K\n");
  EXPECT_EQ(Edit("edDefaultDbCachePages")->text(), "64K");
  Type("edDefaultDbCachePages", "128K");
  EXPECT_TRUE(Apply());
  EXPECT_EQ(ReadFileBytes(conf()), AsSaved("# Firebird version 3.0 configuration file\n"
                                           "DefaultDbCachePages = 128K # the server reads this one\n"
                                           "defaultdbcachepages = 4096\n"
                                           "TcpRemoteBufferSize = 16K\n"));
}

TEST_F(VersionTest, ATwoXFileKeepsTheDesignedReading) {
  Open("#LockHashSlots = 101\nTcpNoNagle = true\n#RemoteServicePort = 3050\n");
  EXPECT_EQ(Edit("edLockHashSlots")->text(), "1009");
  EXPECT_EQ(Edit("edRemoteServicePort")->text(), "3050");
  EXPECT_FALSE(Check("CBTcpNoNagle")->isChecked());
  EXPECT_EQ(W<QLabel>("lblServerVersion")->text(), "Read as Firebird 2.1");
  EXPECT_EQ(W<QLabel>("lblServerVersion")->toolTip(),
            "Nothing in the file tells its version: read as Firebird 2.1 reads it");
}

}  // namespace
