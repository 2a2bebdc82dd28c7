// Typing only into the window the user chose: the focus asked before every value and every key,
// and the choice kept in the settings.
#include "core/session/Session.h"
#include "support/SessionFixture.h"

#include "support/FakeFocusWindow.h"
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

using namespace travek;
using namespace travek::test;
using namespace std::chrono_literals;
using testing::ElementsAre;
using testing::HasSubstr;

namespace {

class TargetWindowSessionTest : public SessionFixture {
protected:
    void SetUp() override {
        SessionFixture::SetUp();
        writeBox();
        dir.write("ablauf.abl", "1\t1\t{TAB};\r\n2\t1\t{ENTER};\r\n");
    }
    void start(const std::string& target) {
        dir.write("TRAVEK.INI", "[PARAMETER]\r\nINTERFACE=BOX\r\nNK=2\r\n[LOG]\r\nFILE=log.csv\r\n" + target);
        restart();
    }
    void restart() {
        session.reset();
        open();
        session->setFocusWindow(&focus);
        session->startUp();
    }
    void measure(const std::string& line) { receive(line); }
    FakeFocusWindow focus;
};

TEST_F(TargetWindowSessionTest, AValueForAnotherWindowIsNotTypedAnywhereAndTheStepWaitsForTheTarget) {
    start("[TARGET]\r\nPROGRAM=\"soffice.bin\"\r\nCLASS=\"libreoffice-calc\"\r\nTITLE=\"Messung.ods\"\r\n"
          "MATCHTITLE=0\r\n");
    focus.focus("soffice.bin", "libreoffice-calc", "Messung.ods - LibreOffice Calc");
    measure("A: 1,5\r");
    EXPECT_THAT(keys.texts, ElementsAre("1,50", "{TAB}"))
        << "another title is the same target without the title rule";

    focus.focus("thunderbird", "thunderbird", "Posteingang; neu");
    measure("A: 2,5\r");
    EXPECT_THAT(keys.texts, ElementsAre("1,50", "{TAB}")) << "neither the value nor its keys";
    EXPECT_EQ(sequence().currentStep, 2);
    EXPECT_EQ(view.beeps, 1);
    EXPECT_EQ(view.panels[StatusPanel::Line],
              "Zielfenster nicht aktiv: Posteingang; neu (thunderbird, thunderbird)");
    // Nothing has the focus, or the desktop cannot be asked: refused alike.
    focus.window.reset();
    measure("A: 2,6\r");
    EXPECT_EQ(view.panels[StatusPanel::Line], "Zielfenster nicht aktiv: kein Fenster");
    focus.focus("soffice.bin", "libreoffice-calc", "Messung.ods");
    focus.failure = "the X display went away";
    measure("A: 2,7\r");
    EXPECT_EQ(view.panels[StatusPanel::Line], "Zielfenster nicht aktiv: unbekannt (the X display went away)");
    EXPECT_EQ(view.beeps, 3);

    // The target is back: the step that waited takes the next value.
    focus.failure.clear();
    measure("A: 3,5\r");
    EXPECT_THAT(keys.texts, ElementsAre("1,50", "{TAB}", "3,50", "{ENTER}"));
    EXPECT_EQ(sequence().currentStep, 1);

    const std::string log = dir.read("log.csv");
    EXPECT_NE(
        log.find(";1;2;A: 2,5;;\"nicht getippt: Zielfenster nicht aktiv (Posteingang; neu (thunderbird, "
                 "thunderbird))\";\"Posteingang; neu\";"),
        std::string::npos)
        << log;
    EXPECT_NE(log.find(";1;2;A: 3,5;3,50;;Messung.ods;"), std::string::npos) << log;
}

TEST_F(TargetWindowSessionTest, TheFocusLeavingInTheMiddleOfAValueCutsTheLineThere) {
    start("[TARGET]\r\nPROGRAM=\"soffice.bin\"\r\nCLASS=\"libreoffice-calc\"\r\n");
    focus.focus("soffice.bin", "libreoffice-calc", "Messung.ods");
    // Asked before the value, then before each of its keys: the mail program takes the focus
    // before the fourth.
    focus.beforeAnswer = [](FakeFocusWindow& desktop) {
        if (desktop.asked == 5)
            desktop.focus("thunderbird", "thunderbird", "Posteingang");
    };
    measure("A: 12,5\r");
    EXPECT_THAT(keys.texts, ElementsAre("12,")) << "nothing after the focus left, not even the Tab";
    EXPECT_EQ(sequence().currentStep, 1) << "the value did not arrive whole: the step waits";
    EXPECT_EQ(view.beeps, 1);
    EXPECT_EQ(view.panels[StatusPanel::Line],
              "abgebrochen: Zielfenster verlassen: Posteingang (thunderbird, thunderbird)");
    const std::string log = dir.read("log.csv");
    EXPECT_NE(log.find(";1;1;A: 12,5;12,;abgebrochen: Zielfenster verlassen (Posteingang (thunderbird, "
                       "thunderbird));Messung.ods;"),
              std::string::npos)
        << log;
}

TEST_F(TargetWindowSessionTest, TheTitleRuleAndNoTarget) {
    start("[TARGET]\r\nPROGRAM=\"EXCEL.EXE\"\r\nCLASS=\"XLMAIN\"\r\nTITLE=\"Los 7.xlsx - "
          "Excel\"\r\nMATCHTITLE=1\r\n");
    focus.focus("excel.exe", "XLMAIN", "Los 8.xlsx - Excel");
    measure("A: 1,5\r");
    EXPECT_TRUE(keys.texts.empty());
    focus.focus("excel.exe", "XLMAIN", "Los 7.xlsx - Excel");
    measure("A: 1,5\r");
    EXPECT_THAT(keys.texts, ElementsAre("1,50", "{TAB}")) << "Windows spells an executable either way";

    // Without a target (the default) every window takes values, as before.
    session.reset();
    keys.texts.clear();
    start("");
    focus.focus("thunderbird", "thunderbird", "Posteingang");
    measure("A: 1,5\r");
    EXPECT_THAT(keys.texts, ElementsAre("1,50", "{TAB}"));
    EXPECT_EQ(view.beeps, 1);

    // The log says where each value went, and which window had the focus when none was due; a
    // title is anybody's text: one line, and never a formula.
    focus.focus("evil", "evil", "=HYPERLINK(\"x\")\n2");
    measure("C: 9\r");
    const std::string log = dir.read("log.csv");
    EXPECT_NE(log.find(";1;1;A: 1,5;1,50;;Posteingang;"), std::string::npos) << log;
    EXPECT_NE(log.find("erwartet Kanal 1;\"'=HYPERLINK(\"\"x\"\") 2\";"), std::string::npos) << log;
}

TEST_F(TargetWindowSessionTest, TheDialogsTargetIsKeptInTheSettingsAndComesBackAtStart) {
    start("");
    focus.focus("foot", "foot", "  \"quoted\" title ");
    view.targetDialog = [this](TargetWindowChoice& choice) {
        EXPECT_EQ(choice.targetText(), "kein Zielfenster (es wird in jedes Fenster getippt)");
        choice.setMatchTitle(true);
        choice.capture();
        loop.advance(3s);
        return true;
    };
    session->chooseTargetWindow();
    restart();
    EXPECT_EQ(session->targetWindow().windowClass, "foot");
    EXPECT_EQ(session->targetWindow().title, "  \"quoted\" title ");
    EXPECT_TRUE(session->targetWindow().matchTitle);

    // A desktop that cannot say which window has the focus: no dialog, and a kept target is said
    // to be unchecked instead of stopping every value.
    session.reset();
    open();
    session->setFocusWindow(nullptr, "GNOME und KDE unter Wayland sagen es keinem Programm");
    session->chooseTargetWindow();
    EXPECT_THAT(view.errors,
                ElementsAre("Zielfenster: GNOME und KDE unter Wayland sagen es keinem Programm"));
    testing::internal::CaptureStderr();
    session->startUp();
    EXPECT_THAT(testing::internal::GetCapturedStderr(), HasSubstr("Zielfenster wird nicht gepr\xFC"
                                                                  "ft"));
    EXPECT_THAT(view.panels[StatusPanel::Line], HasSubstr("nicht gepr\xFC"
                                                          "ft"));
    measure("A: 1,5\r");
    EXPECT_THAT(keys.texts, ElementsAre("1,50", "{TAB}"));
}

} // namespace
