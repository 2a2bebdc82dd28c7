#include "core/session/Session.h"
#include "support/SessionFixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
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
    EXPECT_NE(log.find(";1;1;A: 1,5;;nicht getippt: the desktop ended the keyboard session;\r\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find(";1;2;A: 1,5;1,50;;\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find(";;nicht getippt: Keystrokes cannot be typed: no desktop;\r\n"), std::string::npos)
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
    const std::regex rows(
        "Zeit;Port;Kanal;Schritt;Zeile;Getippt;Hinweis;Fenster\r\n"
        "\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3};COM1;3;1;C: 1,5;;Schritt 1 erwartet Kanal 1;\r\n"
        "[-0-9T:.]+;COM1;1;1;A: ERR;;keine Zahl im Wert;\r\n"
        "[-0-9T:.]+;COM1;1;1;A: , mm;;keine Zahl im Wert;\r\n"
        "[-0-9T:.]+;COM1;1;1;A: 1e39;;Zahl au\xDF"
        "erhalb des Wertebereichs;\r\n"
        "[-0-9T:.]+;COM1;1;1;A: 12\\\\x0034,5;;Steuerzeichen im Wert: St\xF6rung auf der Leitung;\r\n"
        "[-0-9T:.]+;COM1;1;1;A: 2,5;2,50;;\r\n");
    EXPECT_TRUE(std::regex_match(log, rows)) << log;

    // A log that cannot be written is said once; the values are still typed.
    dir.write("TRAVEK.INI", "[PARAMETER]\r\nINTERFACE=BOX\r\nNK=2\r\n[LOG]\r\nFILE=nicht/da.csv\r\n");
    session->startUp();
    testing::internal::CaptureStderr();
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
