#include <gtest/gtest.h>

#include <set>
#include <string>

#include "config/firebird/ParameterCatalogue.h"

TEST(Catalogue, KeysInFileOrderWithSetterForAllButDummyPacketInterval) {
  ASSERT_EQ(kParameters.size(), 46u);
  EXPECT_EQ(kParameters.front().name, "RootDirectory");
  EXPECT_EQ(kParameters.back().name, "Redirection");
  EXPECT_EQ(kParameters[10].name, "TempBlockSize");
  EXPECT_EQ(kParameters[20].name, "DummyPacketInterval");
  EXPECT_EQ(kParameters[37].name, "GCPolicy");

  std::set<std::string_view> names;
  for (std::size_t i = 0; i < kParameters.size(); ++i) {
    const ParameterInfo& p = kParameters[i];
    EXPECT_EQ(static_cast<std::size_t>(p.key), i) << p.name;
    EXPECT_EQ(&ParameterOf(p.key), &p);
    EXPECT_EQ(p.hasSetter, p.name != "DummyPacketInterval") << p.name;
    EXPECT_TRUE(names.insert(p.name).second) << "duplicate " << p.name;
  }
}

TEST(Catalogue, NoKeyStartsOrEndsAnother) {
  // A line is the line of a key when it holds the key's name followed by
  // " =", so a key ending another's would read the other's line; a pending
  // change is found by its key followed by "=", which one starting another's
  // would leave as the only difference.
  for (const auto& a : kParameters)
    for (const auto& b : kParameters)
      if (a.key != b.key) {
        EXPECT_FALSE(b.name.starts_with(a.name)) << a.name << " starts " << b.name;
        EXPECT_FALSE(b.name.ends_with(a.name)) << a.name << " ends " << b.name;
      }
}

TEST(Catalogue, FindKeyIsCaseSensitive) {
  EXPECT_EQ(FindKey("TempBlockSize"), ParamKey::TempBlockSize);
  EXPECT_EQ(FindKey("Redirection"), ParamKey::Redirection);
  EXPECT_FALSE(FindKey("tempblocksize").has_value());
  EXPECT_FALSE(FindKey("TempBlockSize ").has_value());
  EXPECT_FALSE(FindKey("").has_value());
  for (const auto& p : kParameters) EXPECT_EQ(FindKey(p.name), p.key);
}
