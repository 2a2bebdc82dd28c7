#include "core/files/ToleranceFile.h"
#include "core/quality/StepTolerances.h"
#include "core/session/ToleranceInput.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace travek;
using testing::ElementsAre;

namespace {

Tolerance limits(std::optional<double> nominal, std::optional<double> lower, std::optional<double> upper) {
    return Tolerance{"M", nominal, lower, upper};
}

} // namespace

TEST(Verdict, LimitsAndWarningZoneCountInDecimalsAndEveryShapeOfLimitIsJudged) {
    // 10 +0,05/-0,02 and the pre-control half: the edges themselves are the inner side.
    const Tolerance t = limits(10.0, 9.98, 10.05);
    EXPECT_EQ(judge(t, 10.05, 50), Verdict::Warn);
    EXPECT_EQ(judge(t, 10.051, 50), Verdict::Nok);
    EXPECT_EQ(judge(t, 9.98, 50), Verdict::Warn);
    EXPECT_EQ(judge(t, 9.979, 50), Verdict::Nok);
    EXPECT_EQ(judge(t, 10.025, 50), Verdict::Ok); // 0.025 - 0.0 in binary is 0.02499999...
    EXPECT_EQ(judge(t, 10.026, 50), Verdict::Warn);
    EXPECT_EQ(judge(t, 9.99, 50), Verdict::Ok);
    EXPECT_EQ(judge(t, 9.989, 50), Verdict::Warn);
    // 0 switches warnings off; 100 leaves only OK and NOK.
    EXPECT_EQ(judge(t, 10.049, 0), Verdict::Ok);
    EXPECT_EQ(judge(t, 10.049, 100), Verdict::Ok);
    // Without a nominal the middle of the limits (10,015; half-widths 0,035) is the centre.
    const Tolerance noNominal = limits(std::nullopt, 9.98, 10.05);
    EXPECT_EQ(judge(noNominal, 10.0325, 50), Verdict::Ok);
    EXPECT_EQ(judge(noNominal, 10.0326, 50), Verdict::Warn);
    EXPECT_EQ(judge(noNominal, 9.9975, 50), Verdict::Ok);
    EXPECT_EQ(judge(noNominal, 9.9974, 50), Verdict::Warn);
    // One-sided: the side without a limit never warns, and without a nominal there is no zone.
    const Tolerance flatness = limits(0.0, std::nullopt, 0.05);
    EXPECT_EQ(judge(flatness, -5.0, 50), Verdict::Ok);
    EXPECT_EQ(judge(flatness, 0.026, 50), Verdict::Warn);
    EXPECT_EQ(judge(flatness, 0.06, 50), Verdict::Nok);
    const Tolerance minimum = limits(std::nullopt, 2.5, std::nullopt);
    EXPECT_EQ(judge(minimum, 2.5, 50), Verdict::Ok);
    EXPECT_EQ(judge(minimum, 2.49, 50), Verdict::Nok);
    EXPECT_EQ(judge(minimum, 1e30, 50), Verdict::Ok);
    EXPECT_EQ(judge(Tolerance{"M", 10.0, {}, {}}, 99.0, 50), Verdict::None);
}

TEST(ToleranceInput, RefusesLimitsThatMakeNoSenseWithTheReasonAndTakesCommaOrPoint) {
    StepTolerances none;
    ToleranceInput input(3, none);
    EXPECT_EQ(input.title(), "Toleranz Schritt 3");
    EXPECT_FALSE(input.take("D", "10", "10,05", "9,98", "50", false));
    EXPECT_EQ(input.message(), "UGW liegt \xFC"
                               "ber OGW.");
    EXPECT_FALSE(input.take("D", "11", "9,98", "10,05", "50", false));
    EXPECT_EQ(input.message(), "Soll liegt au\xDF"
                               "erhalb der Grenzen.");
    EXPECT_FALSE(input.take("D", "10", "9,98", "10,05 mm", "50", false));
    EXPECT_EQ(input.message(), "OGW: \x84"
                               "10,05 mm\x93 ist keine Zahl (Ziffern mit Dezimalkomma oder -punkt).");
    EXPECT_FALSE(input.take("D", "10", "9,98", "10,05", "101", false));
    EXPECT_TRUE(input.take("D\tBohrung", " 10,000", "9.98", "", "0", true));
    EXPECT_EQ(input.tolerance(), (Tolerance{"D Bohrung", 10.0, 9.98, std::nullopt}));
    EXPECT_EQ(input.settings(), (ToleranceSettings{0, true}));
    EXPECT_EQ(input.decimals(), 3);
}

TEST(ToleranceFile, ComesBackAsWrittenAndABadStepIsReportedByFileAndStepAndKeptAsWritten) {
    test::TempDir dir;
    dir.enter();
    StepTolerances tolerances;
    tolerances.setSettings({25, true});
    tolerances.setStep(1, Tolerance{"\xD8 Bohrung", 10.0, 9.98, 10.05}, 3);
    tolerances.setStep(4, Tolerance{"Rauheit", std::nullopt, std::nullopt, 1.6}, 1);
    writeToleranceFile("a.tol", tolerances);
    const ToleranceFileContent back = readToleranceFile("a.tol");
    EXPECT_TRUE(back.problems.empty());
    EXPECT_EQ(back.tolerances.settings(), (ToleranceSettings{25, true}));
    for (int step : {1, 2, 4})
        EXPECT_EQ(back.tolerances.step(step), tolerances.step(step));
    EXPECT_EQ(back.tolerances.cellText(1), "\xD8 Bohrung 10,000 +0,050/-0,020");
    EXPECT_EQ(back.tolerances.cellText(4), "Rauheit max 1,6");

    // Written by hand: any letter case, a point, a limit left empty, and mistakes.
    dir.write("b.tol", "[toleranz]\r\nwarnung=viel\r\n[Schritt 2]\r\nMerkmal=L\r\nSoll=5.5\r\nUGW=\r\n"
                       "OGW=5,6\r\n[SCHRITT 3]\r\nMERKMAL=B\r\nUGW=2\r\nOGW=1\r\n[SCHRITT 5]\r\nSOLL=x\r\n");
    const ToleranceFileContent read = readToleranceFile("b.tol");
    EXPECT_THAT(read.problems,
                ElementsAre("b.tol, [TOLERANZ]: WARNUNG=viel ist kein Prozentsatz von 0 bis 100; es gilt 50",
                            "b.tol, Schritt 3: UGW liegt \xFC"
                            "ber OGW; der Schritt gilt als ohne Grenzen",
                            "b.tol, Schritt 5: SOLL=x ist keine Zahl; der Schritt gilt als ohne Grenzen"));
    EXPECT_EQ(read.tolerances.step(2), (Tolerance{"L", 5.5, std::nullopt, 5.6}));
    EXPECT_FALSE(read.tolerances.step(3).hasLimits());
    EXPECT_EQ(judge(read.tolerances.step(3), 7.0, 50), Verdict::None);
    // Saved again, the refused entries stay as the person wrote them, to be put right.
    EXPECT_THAT(toleranceFileText(read.tolerances), testing::HasSubstr("[SCHRITT 3]\r\nMERKMAL=B\r\nSOLL=\r\n"
                                                                       "UGW=2\r\nOGW=1\r\n"));
}
