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
    const std::pair<const char*, char> cases[] = {
        {"44", ','}, {"0x7C", '|'}, {"300", ','}, {"abc", ';'}, {"$2F", '/'}};
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

// A key string over 100 characters keeps its first 100, as the stored format always did, but
// never a broken key: what the limit falls into is dropped, and nothing else.
TEST(KeyString, CutAtTheLimitKeepsWholeKeys) {
    std::string pageDowns;
    for (int i = 0; i < 15; ++i)
        pageDowns += "{PGDN};";
    std::string fourteen;
    for (int i = 0; i < 14; ++i)
        fourteen += "{PGDN};";
    EXPECT_EQ(cutKeyString(pageDowns, 100), fourteen);
    EXPECT_EQ(cutKeyString(std::string(111, 'x'), 100), std::string(100, 'x'));
    // A group that ends just at the limit stays; a prefix whose character lies past it goes, and
    // so does a doubled prefix that the limit would split into Alt alone.
    EXPECT_EQ(cutKeyString(std::string(94, 'x') + "{TAB}yy", 100), std::string(94, 'x') + "{TAB}y");
    EXPECT_EQ(cutKeyString(std::string(99, 'x') + "^c", 100), std::string(99, 'x'));
    EXPECT_EQ(cutKeyString(std::string(98, 'x') + "^cd", 100), std::string(98, 'x') + "^c");
    EXPECT_EQ(cutKeyString(std::string(99, 'x') + "@@", 100), std::string(99, 'x'));
    // A prefix and the named key after it are one group: no Ctrl tap before a literal "{ENT".
    EXPECT_EQ(cutKeyString(std::string(95, 'x') + "^{ENTER};", 100), std::string(95, 'x'));
    EXPECT_EQ(cutKeyString(std::string(96, 'y') + "@{TAB};", 100), std::string(96, 'y'));
    EXPECT_EQ(cutKeyString(std::string(97, 'z') + "@^cd", 100), std::string(97, 'z') + "@^c");
    EXPECT_EQ(cutKeyString(std::string(98, 'z') + "@^c", 100), std::string(98, 'z'));
    // A brace that nothing closes is a plain character.
    EXPECT_EQ(cutKeyString("{" + std::string(120, 'x'), 100), "{" + std::string(99, 'x'));
    EXPECT_EQ(cutKeyString("{TAB}", 100), "{TAB}");
}
