#include "StringSplitter.h"
#include "TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>

using namespace travek;
using testing::ElementsAre;

TEST(StringSplitter, Table) {
    auto split = [](const char* text) { return TSplitStrings::Split(text, ';'); };
    EXPECT_THAT(split("a;b;c"), ElementsAre("a", "b", "c"));
    EXPECT_THAT(split("a;b;c;"), ElementsAre("a", "b", "c"));
    EXPECT_THAT(split(";a"), ElementsAre("", "a"));
    EXPECT_THAT(split("a;;b;"), ElementsAre("a", "", "b"));
    EXPECT_THAT(split(";"), ElementsAre(""));
    EXPECT_THAT(split(""), ElementsAre());
    EXPECT_THAT(split("abc"), ElementsAre("abc"));
}

TEST(StringSplitter, SeparatorFromTheSettingsFile) {
    test::TempDir dir;
    EXPECT_EQ(TSplitStrings(dir.file("missing.ini")).SplitSeparator, ';');
    const std::pair<const char*, char> cases[] = {{"44", ','}, {"0x7C", '|'}, {"300", ','}, {"abc", ';'}, {"$2F", '/'}};
    for (auto [value, expected] : cases) {
        dir.write("SPLITSTRING.INI", std::string("[strings]\r\nsepchar = ") + value + "\r\n");
        EXPECT_EQ(TSplitStrings(dir.file("SPLITSTRING.INI")).SplitSeparator, expected) << value;
    }
    // A file copied from Windows keeps the letter case it had there.
    test::TempDir copied;
    copied.write("splitstring.ini", "[STRINGS]\r\nSEPCHAR=124\r\n");
    EXPECT_EQ(TSplitStrings(copied.file("SPLITSTRING.INI")).SplitSeparator, '|');
    TSplitStrings splitter(dir.file("missing.ini"));
    splitter.Edit1 = "1;2;3";
    splitter.SplitClick();
    EXPECT_THAT(splitter.SplitResults, ElementsAre("1", "2", "3"));
}

TEST(StringSplitter, JoinThenSplitIsIdentity) {
    std::mt19937 rng(7);
    const std::string alphabet = "ab{}TAB^@ ,.|";
    for (char sep : {';', '|', ','}) {
        for (int round = 0; round < 500; ++round) {
            std::vector<std::string> pieces(rng() % 6);
            for (auto& p : pieces)
                for (int n = rng() % 6; n > 0; --n)
                    if (char c = alphabet[rng() % alphabet.size()]; c != sep)
                        p += c;
            ASSERT_EQ(TSplitStrings::Split(TSplitStrings::Join(pieces, sep), sep), pieces);
        }
    }
}
