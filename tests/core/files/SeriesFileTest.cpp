#include "core/files/SeriesFile.h"
#include "core/text/Error.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace travek;

TEST(SeriesFile, RoundTripAndTolerantReading) {
    test::TempDir dir;
    writeSeriesFile(dir.file("a.pst"), 12, "{ENTER};");
    EXPECT_EQ(dir.read("a.pst"), "12\r\n{ENTER};\r\n");
    auto c = readSeriesFile(dir.file("a.pst"));
    EXPECT_EQ(c.valuesPerSeries, 12);
    EXPECT_EQ(c.seriesString, "{ENTER};");

    dir.write("b.pst", "\r\n  7 rest of line\r\n{TAB}; x \n");
    c = readSeriesFile(dir.file("b.pst"));
    EXPECT_EQ(c.valuesPerSeries, 7);
    EXPECT_EQ(c.seriesString, "{TAB}; x ");

    dir.write("c.pst", "0\r\n");
    c = readSeriesFile(dir.file("c.pst"));
    EXPECT_EQ(c.valuesPerSeries, 0);
    EXPECT_EQ(c.seriesString, "");

    dir.write("d.pst", "");
    EXPECT_EQ(readSeriesFile(dir.file("d.pst")).valuesPerSeries, 0);
}

TEST(SeriesFile, ErrorsAreReported) {
    test::TempDir dir;
    dir.write("bad.pst", "abc\r\nx\r\n");
    try {
        readSeriesFile(dir.file("bad.pst"));
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.code(), Error::InvalidNumericInput);
    }
    try {
        readSeriesFile(dir.file("missing.pst"));
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), dir.file("missing.pst") + ": Datei nicht gefunden");
    }
}
