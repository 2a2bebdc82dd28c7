#include "core/session/Inspection.h"
#include "core/files/MeasurementLog.h"
#include "support/LogFiles.h"
#include "support/SessionFixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

using namespace travek;
using namespace travek::test;
using namespace std::chrono_literals;
using testing::ElementsAre;

namespace {

class InspectionTest : public SessionFixture {
protected:
    // Two steps on channel 1 with a log; step 1 has limits, step 2 none.
    void openWithLimits(const char* nok) {
        writeBox();
        dir.write("TRAVEK.INI", "[PARAMETER]\r\nINTERFACE=BOX\r\nNK=3\r\n[LOG]\r\nFILE=log.csv\r\n");
        dir.write("ablauf.abl", "1\t1\t{TAB};\r\n2\t1\t{ENTER};\r\n");
        dir.write("ABLAUF.TOL",
                  std::string("[TOLERANZ]\r\nNOK=") + nok +
                      "\r\n[SCHRITT 1]\r\nMERKMAL=D\r\nSOLL=10,000\r\nUGW=9,980\r\nOGW=10,050\r\n");
        open();
        session->startUp();
    }
    std::vector<Verdict> shown() const {
        std::vector<Verdict> verdicts;
        for (const JudgedValue& value : view.verdicts)
            verdicts.push_back(value.verdict);
        return verdicts;
    }
};

} // namespace

TEST_F(InspectionTest, EveryValueIsJudgedByItsStepAsTypedAndTheLogNamesLimitsAndVerdict) {
    openWithLimits("TIPPEN");
    EXPECT_EQ(session->grid().cell(ToleranceColumn, 0), "Toleranz");
    EXPECT_EQ(session->grid().cell(ToleranceColumn, 1), "D 10,000 +0,050/-0,020");
    // 10,0504 is typed as 10,050: the digits typed are the ones judged.
    receive("A: 10,0504\rA: 3\rA: 10,03\rA: 3\rA: 9,97\rA: ERR\r");
    EXPECT_THAT(keys.texts, ElementsAre("10,050", "{TAB}", "3,000", "{ENTER}", "10,030", "{TAB}", "3,000",
                                        "{ENTER}", "9,970", "{TAB}"));
    EXPECT_THAT(shown(),
                ElementsAre(Verdict::Warn, Verdict::None, Verdict::Warn, Verdict::None, Verdict::Nok));
    EXPECT_EQ(view.verdicts.front().text, "10,050");
    EXPECT_EQ(view.verdicts.front().step, 1);
    EXPECT_EQ(view.nokSignals, 1);
    EXPECT_EQ(view.lineVerdict, Verdict::None); // the last line, ERR, is no number and not judged

    const auto rows = logRows(dir.read("log.csv"));
    const auto limitsOf = [&rows](std::size_t i) {
        const auto& row = rows.at(i);
        return std::vector<std::string>(row.begin() + MeasurementLog::CharacteristicColumn,
                                        row.begin() + MeasurementLog::ChainColumn);
    };
    ASSERT_EQ(rows.size(), 7u); // the start row, then one per line
    EXPECT_THAT(limitsOf(1), ElementsAre("D", "10,000", "9,980", "10,050", "WARN"));
    EXPECT_THAT(limitsOf(2), ElementsAre("", "", "", "", ""));
    EXPECT_THAT(limitsOf(5), ElementsAre("D", "10,000", "9,980", "10,050", "NOK"));
    EXPECT_THAT(limitsOf(6), ElementsAre("", "", "", "", ""));
}

TEST_F(InspectionTest, HaltenTypesNoNokValueAndTheStepWaitsForTheNextValue) {
    openWithLimits("halten");
    receive("A: 10,2\r");
    EXPECT_TRUE(keys.texts.empty());
    EXPECT_EQ(sequence().currentStep, 1);
    EXPECT_EQ(view.lineVerdict, Verdict::Nok);
    EXPECT_EQ(view.panels[StatusPanel::Line], "nicht getippt: au\xDF"
                                              "erhalb der Toleranz (10,200)");
    EXPECT_FALSE(view.verdicts.back().typed);
    receive("A: 10,01\r");
    EXPECT_THAT(keys.texts, ElementsAre("10,010", "{TAB}"));
    EXPECT_EQ(sequence().currentStep, 2);
    const auto rows = logRows(dir.read("log.csv"));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1][MeasurementLog::TypedColumn], "");
    EXPECT_EQ(rows[1][MeasurementLog::NoteColumn], "nicht getippt: au\xDF"
                                                   "erhalb der Toleranz");
    EXPECT_EQ(rows[1][MeasurementLog::VerdictColumn], "NOK");
    EXPECT_EQ(rows[2][MeasurementLog::VerdictColumn], "OK");
}

TEST_F(InspectionTest, TolerancesAreEditedMoveWithTheirStepsAndGoWithASavedSequence) {
    dir.write("ablauf.abl", "1\t1\t{TAB};\r\n");
    open();
    // A sequence without limits makes no tolerance file.
    loop.advance(SessionFiles::SaveDelay);
    session->shutDown(false);
    EXPECT_FALSE(std::filesystem::exists(dir.file("ablauf.tol")));

    open();
    view.toleranceDialog = [](ToleranceInput& input) {
        return input.take("L", "5,00", "4,9", "5,1", "40", false);
    };
    session->editCell(ToleranceColumn, 1);
    EXPECT_EQ(session->grid().cell(ToleranceColumn, 1), "L 5,00 +0,10/-0,10");
    session->insertRow(1, 1);
    EXPECT_EQ(session->grid().cell(ToleranceColumn, 1), "");
    EXPECT_EQ(session->grid().cell(ToleranceColumn, 2), "L 5,00 +0,10/-0,10");
    loop.advance(SessionFiles::SaveDelay);
    EXPECT_EQ(dir.read("ablauf.abl"), "1\t\t\r\n2\t1\t{TAB};\r\n"); // the sequence format stays as it was
    EXPECT_EQ(dir.read("ablauf.tol"), "[TOLERANZ]\r\nWARNUNG=40\r\nNOK=TIPPEN\r\n[SCHRITT 2]\r\nMERKMAL=L\r\n"
                                      "SOLL=5,00\r\nUGW=4,90\r\nOGW=5,10\r\n");

    view.files = {"probe.abl", "probe.abl"};
    session->saveSequence();
    EXPECT_EQ(dir.read("probe.abl.tol"), dir.read("ablauf.tol"));
    session->deleteRow(1, 2);
    EXPECT_EQ(session->grid().cell(ToleranceColumn, 2), "");
    session->loadSequence(1, 1);
    EXPECT_EQ(session->grid().cell(ToleranceColumn, 2), "L 5,00 +0,10/-0,10");
    EXPECT_EQ(state().tolerances.settings().warningPercent, 40);
}
