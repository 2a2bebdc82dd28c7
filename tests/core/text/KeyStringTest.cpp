#include "core/text/KeyString.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>

using namespace travek;
using testing::ElementsAre;

TEST(KeyString, Table) {
    auto split = [](const char* text) { return splitKeyString(text, ';'); };
    EXPECT_THAT(split("a;b;c"), ElementsAre("a", "b", "c"));
    EXPECT_THAT(split("a;b;c;"), ElementsAre("a", "b", "c"));
    EXPECT_THAT(split(";a"), ElementsAre("", "a"));
    EXPECT_THAT(split("a;;b;"), ElementsAre("a", "", "b"));
    EXPECT_THAT(split(";"), ElementsAre(""));
    EXPECT_THAT(split(""), ElementsAre());
    EXPECT_THAT(split("abc"), ElementsAre("abc"));
}

TEST(KeyString, SeparatorFromTheSettingsFile) {
    test::TempDir dir;
    EXPECT_EQ(readKeySeparator(dir.file("missing.ini")), ';');
    const std::pair<const char*, char> cases[] = {{"44", ','}, {"0x7C", '|'}, {"300", ','}, {"abc", ';'}, {"$2F", '/'}};
    for (auto [value, expected] : cases) {
        dir.write("SPLITSTRING.INI", std::string("[strings]\r\nsepchar = ") + value + "\r\n");
        EXPECT_EQ(readKeySeparator(dir.file("SPLITSTRING.INI")), expected) << value;
    }
    // A file copied from Windows keeps the letter case it had there.
    test::TempDir copied;
    copied.write("splitstring.ini", "[STRINGS]\r\nSEPCHAR=124\r\n");
    EXPECT_EQ(readKeySeparator(copied.file("SPLITSTRING.INI")), '|');
}

TEST(KeyString, JoinThenSplitIsIdentity) {
    std::mt19937 rng(7);
    const std::string alphabet = "ab{}TAB^@ ,.|";
    for (char sep : {';', '|', ','}) {
        for (int round = 0; round < 500; ++round) {
            std::vector<std::string> pieces(rng() % 6);
            for (auto& p : pieces)
                for (int n = rng() % 6; n > 0; --n)
                    if (char c = alphabet[rng() % alphabet.size()]; c != sep)
                        p += c;
            ASSERT_EQ(splitKeyString(joinKeyString(pieces, sep), sep), pieces);
        }
    }
}
