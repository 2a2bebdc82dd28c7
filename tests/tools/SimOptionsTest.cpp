#include "SimOptions.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace travek::sim;
using testing::HasSubstr;

namespace {

std::string usageError(const std::vector<std::string>& arguments) {
    try {
        SimOptions::parse(arguments);
    } catch (const UsageError& e) {
        return e.what();
    }
    return "(accepted)";
}

} // namespace

TEST(SimOptions, WrongCommandLinesAreNamed) {
    EXPECT_THAT(usageError({"--frobnicate", "a.val"}), HasSubstr("unknown option \"--frobnicate\""));
    EXPECT_THAT(usageError({}), HasSubstr("no definition file"));
    EXPECT_THAT(usageError({"a.val", "b.val"}), HasSubstr("only one definition file"));
    EXPECT_THAT(usageError({"a.val", "--interval"}), HasSubstr("--interval needs a value"));
    EXPECT_THAT(usageError({"a.val", "--interval", "-5"}), HasSubstr("whole number"));
    EXPECT_THAT(usageError({"a.val", "--decimals", "12"}), HasSubstr("0 to 9"));
    EXPECT_THAT(usageError({"a.val", "--max", "lots"}), HasSubstr("--max needs a number"));
    EXPECT_THAT(usageError({"a.val", "--min", "5", "--max", "4"}), HasSubstr("--min is above --max"));
    EXPECT_THAT(usageError({"a.val", "--crlf=1"}), HasSubstr("takes no value"));
    EXPECT_TRUE(SimOptions::parse({"--help"}).Help); // no definition file needed
    // "=" spelling, a decimal comma, and "--" before a definition file that begins with a dash.
    const SimOptions o = SimOptions::parse({"--interval=250", "--min", "-1,5", "--", "-odd.val"});
    EXPECT_EQ(o.IntervalMs, 250);
    EXPECT_EQ(o.Min, -1.5);
    EXPECT_EQ(o.DefinitionFile, "-odd.val");
}
