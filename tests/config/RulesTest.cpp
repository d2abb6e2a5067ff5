// What values mean: kinds and defaults, the check before a value is written,
// the decoded value forms and the access-policy grammar.

#include <gtest/gtest.h>

#include <algorithm>

#include "config/firebird/AccessPolicy.h"
#include "config/firebird/ParameterRules.h"
#include "config/document/ShownValues.h"

namespace {

using K = ParamKey;
using Folders = std::vector<std::string>;

}  // namespace

TEST(Rules, EveryDefaultIsAValueTheKeyAccepts) {
  for (const auto& p : kParameters) {
    SCOPED_TRACE(std::string(p.name));
    const ParameterRule& rule = RuleOf(p.key);  // throws when out of catalogue order
    if (!p.hasSetter) continue;
    EXPECT_EQ(ValueProblem(p.key, rule.defaultText), std::nullopt);
    EXPECT_EQ(rule.keywords.empty(), rule.kind != SettingKind::Keyword);
  }
  EXPECT_EQ(ValueProblem(K::DummyPacketInterval, "0"), "cannot be changed");
}

// A page's keywords, range and sign are the version catalogue's, never a
// list of its own that could drift from what the servers read.
TEST(Rules, ThePagesCheckTheCataloguesKeywordsRangesAndSigns) {
  for (const ParameterInfo& p : kParameters) {
    SCOPED_TRACE(std::string(p.name));
    const ParameterRule& rule = RuleOf(p.key);
    const SettingInfo& facts = SettingInfoOf(SettingIdOf(p.key));
    EXPECT_TRUE(std::ranges::equal(rule.keywords, facts.keywords));
    if (rule.range) {
      EXPECT_TRUE(facts.range && facts.range->min == rule.range->min && facts.range->max == rule.range->max);
    }
    if (rule.negativeAllowed) {
      EXPECT_TRUE(facts.negativeAllowed);
    }
  }
  EXPECT_EQ(RuleOf(ParamKey::GCPolicy).keywords.size(), 3u);
  EXPECT_TRUE(RuleOf(ParamKey::TcpRemoteBufferSize).range);
}

TEST(Rules, ValueProblemRefusesWhatTheServerWouldMisread) {
  struct Row {
    K key;
    const char* value;
    bool accepted;
  };
  const Row rows[] = {
      {K::TempCacheLimit, "67108864", true},
      {K::TempCacheLimit, "64M", false},
      {K::TempCacheLimit, "", false},
      {K::TempCacheLimit, "-1", false},
      {K::ProcessPriorityLevel, "-1", true},  // documented: negative is low priority
      {K::ProcessPriorityLevel, "-", false},
      {K::TcpRemoteBufferSize, "1448", true},
      {K::TcpRemoteBufferSize, "32767", true},
      {K::TcpRemoteBufferSize, "1447", false},
      {K::TcpRemoteBufferSize, "99999999999999999999999", false},
      {K::TcpNoNagle, "1", true},
      {K::TcpNoNagle, "2", false},
      {K::TcpNoNagle, "true", false},
      {K::GCPolicy, "Cooperative", true},
      {K::GCPolicy, "cooperativ", false},
      {K::DatabaseAccess, "none", true},
      {K::DatabaseAccess, "Restrict /db;/srv/db", true},
      {K::DatabaseAccess, "restrict /db", false},
      {K::DatabaseAccess, "/db Restrict", false},
      {K::UdfAccess, "Restrict UDF", true},
      {K::DatabaseAccess, "", false},
      {K::TempDirectories, "", true},
      {K::RemoteBindAddress, "", true},
      {K::RemoteServiceName, "fb db", true},
      {K::RemoteServiceName, "a#b", false},
      {K::RemoteServiceName, "a\nb", false},
      {K::TempDirectories, "/tmp\r", false},
      {K::RemoteBindAddress, "\v127.0.0.2\f", false},  // kept by the server, unseen
      {K::RemotePipeName, "pipe\x1b", false},
      {K::TempDirectories, "/tmp\t/var/tmp", true},   // TAB is an ordinary blank
  };
  for (const Row& row : rows)
    EXPECT_EQ(!ValueProblem(row.key, row.value).has_value(), row.accepted)
        << KeyName(row.key) << " = " << row.value;
  EXPECT_EQ(ValueProblem(K::RemoteBindAddress, "\v127.0.0.2"),
            "a value cannot hold the control character 0x0B");
}

TEST(Rules, DecodedValueFormsAndKeywords) {
  EXPECT_FALSE(Decode("4096").UsesDefault());
  EXPECT_TRUE(Decode("").UsesDefault());
  EXPECT_EQ(Decode("#4096").state, ValueState::Commented);
  EXPECT_EQ(Decode("#4096").text, "4096");
  EXPECT_EQ(Decode("*").state, ValueState::Absent);
  EXPECT_FALSE(Decode("*").UsesDefault());
  EXPECT_EQ(Decode("*x").state, ValueState::Active);  // only "*" alone marks a missing line
  EXPECT_EQ(KeywordIndex(K::Authentication, "TRUSTED"), 2u);
  EXPECT_EQ(KeywordIndex(K::Authentication, "trust"), std::nullopt);
}

// The editor's access tests cover reading policies into the window; these are
// the cases the command line's checks rely on besides.
TEST(Rules, FlagsShowOnAsTheirVersionReadsThem) {
  struct Row {
    K key;
    const char* value;  // the document's value form
    ServerVersion version;
    bool on;
  };
  const auto v21 = ServerVersion::V2_1, v30 = ServerVersion::V3_0;
  const Row rows[] = {
      // 2.x: on by default only for exactly 1, off by default for all but 0.
      {K::CreateInternalWindow, "true", v21, false}, {K::CreateInternalWindow, "1", v21, true},
      {K::BugcheckAbort, "2", v21, true},            {K::BugcheckAbort, "0", v21, false},
      {K::TcpNoNagle, "#0", v21, true},              {K::TcpNoNagle, "", v21, true},
      {K::BugcheckAbort, "*", v21, false},
      // 3.0+: what the server reads; a commented line its own default.
      {K::CreateInternalWindow, "true", v30, true},  {K::BugcheckAbort, "Y", v30, true},
      {K::BugcheckAbort, "2", v30, true},            {K::BugcheckAbort, "", v30, false},
      {K::BugcheckAbort, "no", v30, false},          {K::TcpNoNagle, "#false", v30, true},
  };
  for (const Row& r : rows)
    EXPECT_EQ(FlagShownOn(r.key, Decode(r.value), r.version, true), r.on)
        << KeyName(r.key) << " " << r.value << " " << VersionName(r.version);
  EXPECT_TRUE(ShowsDefault(Decode(""), v21));
  EXPECT_FALSE(ShowsDefault(Decode(""), v30));
  EXPECT_EQ(DefaultShown(K::DefaultDbCachePages, v21, true), "2048");
}

TEST(AccessPolicyGrammar, ReadsAndComposesPolicies) {
  EXPECT_EQ(ReadAccessPolicy(K::UdfAccess, "#Full").choice, PolicyChoice::RestrictUdf);
  EXPECT_EQ(ReadAccessPolicy(K::UdfAccess, "restrict udf").choice, PolicyChoice::RestrictUdf);
  EXPECT_EQ(ReadAccessPolicy(K::DatabaseAccess, "Restrict").choice, PolicyChoice::Restrict);
  EXPECT_EQ(ReadAccessPolicy(K::DatabaseAccess, "*").choice, std::nullopt);

  EXPECT_EQ(ComposeAccessPolicy(PolicyChoice::Restrict, {}), "Restrict ");
  EXPECT_EQ(ComposeAccessPolicy(PolicyChoice::RestrictUdf, {"/ignored"}), "Restrict UDF");
  const Folders folders = {"/a", "\"/b;c\"", " /a"};
  const std::string value = ComposeAccessPolicy(PolicyChoice::Restrict, folders);
  EXPECT_EQ(value, "Restrict /a;\"/b;c\"; /a");
  EXPECT_EQ(ReadAccessPolicy(K::UdfAccess, value).folders, folders);

  EXPECT_EQ(ReadFolderList(" /tmp;;/var/tmp "), (Folders{"/tmp", "/var/tmp"}));
  EXPECT_EQ(ReadFolderList("#/tmp"), Folders{});
  EXPECT_EQ(JoinFolderList({"/tmp", "/var/tmp"}), "/tmp;/var/tmp");
}

TEST(Catalogue, ClosestKeyIgnoresCase) {
  EXPECT_EQ(ClosestKey("tempblocksize").key, K::TempBlockSize);
  EXPECT_EQ(ClosestKey("tempblocksize").distance, 0u);
  EXPECT_EQ(ClosestKey("TempBlokSize").key, K::TempBlockSize);
  EXPECT_EQ(ClosestKey("TempBlokSize").distance, 1u);
  EXPECT_EQ(ClosestKey("RemoteServicePrt").key, K::RemoteServicePort);
  EXPECT_EQ(ClosestKey("").distance, KeyName(ClosestKey("").key).size());
  EXPECT_EQ(ClosestKey("TempBlokSize", 3).key, K::TempBlockSize);
  EXPECT_EQ(ClosestKey("MaxUserTraceLogSize", 3).distance, 4u);  // nothing within 3
}
