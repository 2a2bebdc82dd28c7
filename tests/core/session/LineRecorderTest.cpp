#include "core/quality/LogSeries.h"
#include "core/session/Dialogs.h"
#include "core/session/Session.h"
#include "support/LogFiles.h"
#include "support/SessionFixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <regex>

using namespace travek;
using namespace travek::test;
using namespace std::chrono_literals;
using testing::ElementsAre;
using testing::HasSubstr;

namespace {

class LineRecorderTest : public SessionFixture {};

} // namespace

TEST_F(LineRecorderTest, AMissingKeyboardOrOneTheDesktopTookAwayIsShownAndTheLinesGoOn) {
    writeBox();
    dir.write("TRAVEK.INI", "[PARAMETER]\r\nINTERFACE=BOX\r\nNK=2\r\n[LOG]\r\nFILE=log.csv\r\n");
    dir.write("ablauf.abl", "1\t1\t{TAB};\r\n2\t1\t{ENTER};\r\n");
    open();
    session->startUp();
    keys.failure = "the desktop ended the keyboard session";
    const std::string line = "A: 1,5\r";
    receive(line);
    EXPECT_EQ(view.panels[StatusPanel::Line], keys.failure);
    EXPECT_EQ(view.notice, keys.failure);
    EXPECT_TRUE(view.errors.empty());

    keys.failure.clear();
    receive(line);
    EXPECT_THAT(keys.texts, ElementsAre("1,50", "{ENTER}"));
    EXPECT_EQ(view.notice, "");
    // Without any keyboard the panel says why from the start, and again after every line.
    session->setKeyOutput(nullptr, "Keystrokes cannot be typed: no desktop");
    EXPECT_EQ(view.panels[StatusPanel::Line], "Keystrokes cannot be typed: no desktop");
    EXPECT_EQ(view.notice, "Keystrokes cannot be typed: no desktop");
    receive(line);
    EXPECT_EQ(view.panels[StatusPanel::Line], "Keystrokes cannot be typed: no desktop");

    // The measurement log does not claim the values that never arrived.
    const std::string log = dir.read("log.csv");
    EXPECT_NE(log.find(";1;1;A: 1,5;;nicht getippt: the desktop ended the keyboard session;;"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find(";1;2;A: 1,5;1,50;;;"), std::string::npos) << log;
    EXPECT_NE(log.find(";;nicht getippt: Keystrokes cannot be typed: no desktop;;"), std::string::npos)
        << log;
}

TEST_F(LineRecorderTest, TheMeasurementLogHasARowForEveryLineWithWhyNothingWasTyped) {
    writeBox();
    dir.write("TRAVEK.INI", "[PARAMETER]\r\nINTERFACE=BOX\r\nNK=2\r\n[LOG]\r\nFILE=messung.csv\r\n");
    dir.write("BOX.VAL", std::string(BoxDefinition) + "STARTPOS=4\r\nENDPOS=12\r\n");
    dir.write("ablauf.abl", "1\t1\t{TAB};\r\n");
    open();
    session->startUp();
    const std::string lines =
        "C: 1,5\rA: ERR\rA: , mm\rA: 1e39\rA: 12" + std::string(1, '\0') + "34,5\rA: 2,5\r";
    receive(lines);
    EXPECT_THAT(keys.texts, ElementsAre("2,50", "{TAB}"));

    const std::string log = dir.read("messung.csv");
    // After the session's start row, one row per line; every row ends in its chain value.
    const std::regex rows(std::string(MeasurementLog::Header) +
                          "\r\n"
                          "[-0-9T:.+]+;COM1;0;0;;;Start: TRAVEK v1.01, Interface BOX [0-9a-f]{8}, Ablauf "
                          "[0-9a-f]{8};;1;[^\r\n]*\r\n"
                          "\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}[+-]\\d\\d:\\d\\d;COM1;3;1;C: "
                          "1,5;;Schritt 1 erwartet Kanal "
                          "1;;2;[^\r\n]*;[0-9a-f]{64}\r\n"
                          "[-0-9T:.+]+;COM1;1;1;A: ERR;;keine Zahl im Wert;;3;[^\r\n]*\r\n"
                          "[-0-9T:.+]+;COM1;1;1;A: , mm;;keine Zahl im Wert;;4;[^\r\n]*\r\n"
                          "[-0-9T:.+]+;COM1;1;1;A: 1e39;;Zahl au\xDF"
                          "erhalb des Wertebereichs;;5;[^\r\n]*\r\n"
                          "[-0-9T:.+]+;COM1;1;1;A: 12\\\\x0034,5;;Steuerzeichen im Wert: St\xF6rung auf der "
                          "Leitung;;6;[^\r\n]*\r\n"
                          "[-0-9T:.+]+;COM1;1;1;A: 2,5;2,50;;;7;[^\r\n]*\r\n");
    EXPECT_TRUE(std::regex_match(log, rows)) << log;

    // A log that cannot be written is said once, from the start on; the values are still typed.
    dir.write("TRAVEK.INI", "[PARAMETER]\r\nINTERFACE=BOX\r\nNK=2\r\n[LOG]\r\nFILE=nicht/da.csv\r\n");
    testing::internal::CaptureStderr();
    session->startUp();
    receive(lines);
    receive(lines);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_THAT(said, testing::StartsWith("travek: Protokoll nicht/da.csv: "));
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_EQ(keys.texts.size(), 6u);
    // The line panel moves on with the next line; the notice stays while the log fails.
    EXPECT_THAT(view.notice, testing::StartsWith("Protokoll nicht/da.csv: "));
    EXPECT_NE(view.panels[StatusPanel::Line].find("A: 2,5"), std::string::npos);

    // Once the log can be written, the notice goes; and the next outage is news again.
    std::filesystem::create_directory(dir.file("nicht"));
    testing::internal::CaptureStderr();
    receive(lines);
    EXPECT_EQ(view.notice, "");
    std::filesystem::remove(dir.file("nicht/da.csv"));
    std::error_code inUse;
    std::filesystem::create_directory(dir.file("nicht/da.csv"), inUse);
    if (inUse) {
        testing::internal::GetCapturedStderr();
        GTEST_SKIP() << "here a file that is open cannot give its name to a folder";
    }
    receive(lines);
    receive(lines);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "travek: Protokoll nicht/da.csv: ein Ordner, keine Datei\n");
}

TEST_F(LineRecorderTest, KeysTheWindowDidNotTakeOrCouldNotBeTypedAreNotRecordedAsTyped) {
    writeBox();
    dir.write("TRAVEK.INI", "[PARAMETER]\r\nINTERFACE=BOX\r\nNK=2\r\n[LOG]\r\nFILE=log.csv\r\n");
    dir.write("ablauf.abl", "1\t1\t{TAB};\r\n2\t1\tMa\xDF;\r\n");
    open();
    session->startUp();
    const std::string reason = "das Zielfenster hat die Tasten nach 5 s noch nicht genommen";
    keys.notTaken = reason;
    receive("A: 1,5\r");
    EXPECT_EQ(keys.awaited, 1);
    EXPECT_EQ(view.beeps, 1);
    EXPECT_THAT(view.panels[StatusPanel::Line], HasSubstr(reason));
    keys.notTaken.clear();
    keys.untyped = "\xDF";
    receive("A: 2,5\r");
    EXPECT_THAT(view.panels[StatusPanel::Line], HasSubstr("\xDF"));

    const std::string log = dir.read("log.csv");
    EXPECT_NE(log.find(";1;1;A: 1,5;;nicht angenommen (gesendet: 1,50): " + reason), std::string::npos)
        << log;
    EXPECT_NE(log.find(";1;2;A: 2,5;2,50;nicht getippt (keine Taste im Tastaturlayout): \xDF;"),
              std::string::npos)
        << log;
}

namespace {

std::vector<std::string> notes(const std::vector<std::vector<std::string>>& rows) {
    std::vector<std::string> result;
    for (const auto& row : rows)
        result.push_back(row.at(MeasurementLog::NoteColumn));
    return result;
}

} // namespace

// A restart goes on with the log's chain and numbers; a start after a crash says that the last
// session has no end row; the numbers come from the log's last row when the record's state is lost,
// and from the state when the log is gone (rotated away before the start): never one twice.
TEST_F(LineRecorderTest, TheRecordGoesOnOverRestartsAndCrashesAndItsNumbersNeverRepeat) {
    writeBox();
    dir.write("TRAVEK.INI", "[PARAMETER]\r\nINTERFACE=BOX\r\nNK=2\r\n[LOG]\r\nFILE=messung.csv\r\n");
    dir.write("ablauf.abl", "1\t1\t{TAB};\r\n");
    auto start = [this] {
        session.reset();
        open();
        session->startUp();
    };
    start();
    receive("A: 1,5\r");
    session->shutDown(false);
    start();
    receive("A: 2,5\r");
    start(); // the last session crashed
    std::remove("protokoll.ini");
    start();

    std::vector<std::vector<std::string>> rows = logRows(dir.read("messung.csv"));
    EXPECT_THAT(notes(rows), ElementsAre(HasSubstr("Start: "), "", "Ende", HasSubstr("Start: "), "",
                                         HasSubstr("Die vorige Sitzung endete ohne Endezeile"),
                                         HasSubstr("Die vorige Sitzung endete ohne Endezeile")));
    for (std::size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i].at(MeasurementLog::NumberColumn), std::to_string(i + 1));
    EXPECT_TRUE(verifyLog(dir, {"messung.csv"}).intact);

    // A row more, a crash, and the log is rotated away before the next start: the numbers go on
    // beyond those the crashed session may have used, and the verifier shows where the new file
    // links to, and that the rows after that point are not linked to it.
    receive("A: 3,5\r");
    ASSERT_EQ(std::rename("messung.csv", "messung.csv.1"), 0);
    start();
    rows = logRows(dir.read("messung.csv"));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_THAT(rows[0].at(MeasurementLog::NoteColumn), testing::StartsWith("Kette fortgesetzt von "));
    EXPECT_GT(std::stoll(rows[0].at(MeasurementLog::NumberColumn)), 8);
    EXPECT_THAT(rows[1].at(MeasurementLog::NoteColumn), HasSubstr("ohne Endezeile"));
    const LogVerifier::Result result = verifyLog(dir, {"messung.csv.1", "messung.csv"});
    EXPECT_FALSE(result.intact);
    EXPECT_THAT(result.lines.at(0), HasSubstr("setzt die Kette bei messung.csv.1, Zeile 8, Satz 7 fort"));
}

// Every row names station, operator, gauge and part; a shift change and a new lot are rows of their
// own. Names are anybody's text: a separator, quotes, a line break or a formula stay in their field
// and break neither the row nor the chain. A log begun before these columns is left as it is.
TEST_F(LineRecorderTest, WhoMeasuredWhatWithWhichGaugeIsInEveryRowAndNamesStayInTheirField) {
    writeBox();
    const std::string older = "Zeit;Port;Kanal;Schritt;Zeile;Getippt;Hinweis;Fenster\r\n"
                              "2026-12-08T09:14:02.118;COM1;1;1;A: 1;1,00;;\r\n";
    dir.write("messung.csv", older);
    dir.write("TRAVEK.INI", "[PARAMETER]\r\nINTERFACE=BOX\r\nNK=2\r\n[LOG]\r\nFILE=messung.csv\r\n"
                            "STATION==Halle;3\r\n[MESSMITTEL]\r\nK1=B\xFCgelmessschraube 4711\r\n");
    dir.write("ablauf.abl", "1\t1\t{TAB};\r\n");
    testing::internal::CaptureStderr();
    open();
    session->startUp();
    view.recordTextDialog = [](RecordTextInput& input) {
        EXPECT_STREQ(input.title(), "Bediener");
        EXPECT_FALSE(input.take(" \t ")) << "a record names its operator";
        EXPECT_NE(input.message(), "");
        return input.take("=cmd|'/C calc'!A0\r\n\"x\"");
    };
    session->editOperator();
    view.recordTextDialog = [](RecordTextInput& input) { return input.take("Los 7; \"Welle\"\nB"); };
    session->editPart();
    receive("A: 1,5\r");
    session->shutDown(false);
    EXPECT_THAT(testing::internal::GetCapturedStderr(),
                HasSubstr("Protokoll messung.csv bleibt, wie es ist (\xE4lteres Format oder eine andere "
                          "Kette); die neuen Zeilen stehen in messung-2.csv\n"));
    EXPECT_EQ(dir.read("messung.csv"), older);

    const std::vector<std::vector<std::string>> rows = logRows(dir.read("messung-2.csv"));
    EXPECT_THAT(notes(rows), ElementsAre(HasSubstr("Start: "), "Bediener: =cmd|'/C calc'!A0  \"x\"",
                                         "Teil/Los: Los 7; \"Welle\" B", "", "Ende"));
    for (const auto& row : rows) {
        ASSERT_EQ(row.size(), static_cast<std::size_t>(MeasurementLog::ColumnCount));
        EXPECT_EQ(row[MeasurementLog::StationColumn], "'=Halle;3");
    }
    const std::vector<std::string>& line = rows[3];
    EXPECT_EQ(line[MeasurementLog::OperatorColumn], "'=cmd|'/C calc'!A0  \"x\"");
    EXPECT_EQ(line[MeasurementLog::GaugeColumn], "B\xFCgelmessschraube 4711");
    EXPECT_EQ(line[MeasurementLog::PartColumn], "Los 7; \"Welle\" B");
    EXPECT_TRUE(verifyLog(dir, {"messung-2.csv"}).intact);

    // The part is kept until changed, over a restart; the operator is the session's.
    session.reset();
    open();
    session->startUp();
    EXPECT_EQ(session->recorder().part(), "Los 7; \"Welle\" B");
    EXPECT_NE(session->recorder().operatorName(), "=cmd|'/C calc'!A0  \"x\"");
}

// "Neu beginnen" on the control chart: the row that the chart's history starts from.
TEST_F(LineRecorderTest, ANewBaselineOfTheChartIsARowNamingTheCharacteristic) {
    writeBox();
    dir.write("TRAVEK.INI", "[PARAMETER]\r\nINTERFACE=BOX\r\n[LOG]\r\nFILE=messung.csv\r\n");
    open();
    session->startUp();
    session->restartTrend("\xD8 Bohrung");
    const auto rows = logRows(dir.read("messung.csv"));
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.back()[MeasurementLog::NoteColumn], LogSeries::BaselineNote);
    EXPECT_EQ(rows.back()[MeasurementLog::CharacteristicColumn], "\xD8 Bohrung");
    EXPECT_EQ(session->recorder().logFile(), "messung.csv");
}
