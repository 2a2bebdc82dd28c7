#include "core/session/Session.h"
#include "support/SessionFixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

using namespace travek;
using namespace travek::test;
using namespace std::chrono_literals;
using testing::ElementsAre;
using testing::HasSubstr;

namespace {

class SessionTest : public SessionFixture {};

TEST_F(SessionTest, OpensWithNinetyNineEmptyStepsOrTheSavedSequenceAndSeriesSettings) {
    open();
    EXPECT_EQ(view.caption, "TRAVEK v1.01");
    EXPECT_EQ(session->grid().rowCount(), 100);
    EXPECT_EQ(session->grid().cell(0, 99), "99");
    EXPECT_EQ(session->grid().cell(2, 0), "Taste(n)");
    EXPECT_EQ(view.panels[StatusPanel::StepCount], "0");
    EXPECT_EQ(view.panels[StatusPanel::CurrentStep], "1");
    EXPECT_EQ(view.cell, std::make_pair(1, 1));
    EXPECT_EQ(view.seriesCount, "[ ]");

    // Without ablauf.abl the series file is not read.
    dir.write("ablauf.pst", "12\r\nx;\r\n");
    open();
    EXPECT_EQ(state().series.valuesPerSeries, 0);

    dir.write("ablauf.abl", stepsFile(5));
    dir.write("ablauf.pst", "12\r\n{ENTER};\r\n");
    open();
    EXPECT_EQ(session->grid().rowCount(), 6);
    EXPECT_EQ(view.seriesCount, "[12]");
    EXPECT_EQ(view.seriesString, "{ENTER};");
    EXPECT_EQ(sequence().stepCount, 5);
    EXPECT_EQ(sequence().stepKeys[3], "k3;");
    EXPECT_EQ(view.panels[StatusPanel::StepCount], "5");

    // A bad series file is reported once; the grid is loaded and the sequence follows it.
    dir.write("ablauf.abl", stepsFile(3));
    dir.write("ablauf.pst", "zwoelf\r\nx;\r\n");
    view.seriesCount = "[ ]";
    open();
    EXPECT_THAT(view.errors, ElementsAre("ablauf.pst: Ung\xFCltige numerische Eingabe"));
    EXPECT_EQ(sequence().stepCount, 3);
    EXPECT_EQ(view.seriesCount, "[ ]");
}

TEST_F(SessionTest, EditingACellAsksTheDialogOfItsColumnAndRestartsTheSequence) {
    open();
    session->channels().setChannelCount(5);
    fillSteps({{"1", "a;{TAB};"}, {"2", ""}});
    sequence().currentStep = 2;

    view.channelDialog = [](ChannelChoice& choice) {
        choice.select(2);
        return true;
    };
    session->editCell(1, 3);
    EXPECT_EQ(session->grid().cell(1, 3), "3");
    EXPECT_EQ(view.active, "Init Interface notwendig");
    EXPECT_EQ(sequence().stepCount, 3);
    EXPECT_EQ(sequence().stepChannel[3], 3);
    EXPECT_EQ(sequence().currentStep, 1);
    EXPECT_EQ(view.panels[StatusPanel::StepCount], "3");

    // Cancelled: the cell stays, the sequence starts again all the same.
    view.active = "Active";
    sequence().currentStep = 2;
    view.channelDialog = [](ChannelChoice& choice) {
        choice.select(4);
        return false;
    };
    session->editCell(1, 2);
    EXPECT_EQ(session->grid().cell(1, 2), "2");
    EXPECT_EQ(view.active, "Active");
    EXPECT_EQ(sequence().currentStep, 1);
    // The choice is offered again next time.
    view.channelDialog = [](ChannelChoice& choice) {
        EXPECT_EQ(choice.selected(), 4);
        choice.select(-1);
        return true;
    };
    session->editCell(1, 1);
    EXPECT_EQ(session->grid().cell(1, 1), "0");

    view.keyDialog = [](KeyActionList& list) {
        EXPECT_THAT(list.entries(), ElementsAre("a", "{TAB}"));
        list.add(2, 0); // {ENTER} after "a"
        return true;
    };
    session->editCell(2, 1);
    EXPECT_EQ(session->grid().cell(2, 1), "a;{ENTER};{TAB};");
    EXPECT_EQ(sequence().stepKeys[1], "a;{ENTER};{TAB};");
    view.keyDialog = [](KeyActionList& list) {
        list.remove(0);
        return false;
    };
    session->editCell(2, 1);
    EXPECT_EQ(session->grid().cell(2, 1), "a;{ENTER};{TAB};");

    // The header and the step numbers ask nothing.
    session->editCell(1, 0);
    session->editCell(0, 2);
}

TEST_F(SessionTest, TheKeyListSplitsWithTheProgramsSeparator) {
    open('|');
    fillSteps({{"1", "1.5|x|"}});
    view.keyDialog = [](KeyActionList& list) {
        EXPECT_THAT(list.entries(), ElementsAre("1.5", "x"));
        list.add(0, -1);
        return true;
    };
    session->editCell(2, 1);
    EXPECT_EQ(session->grid().cell(2, 1), "1.5|x|{LEFT}|");
}

TEST_F(SessionTest, InsertingAndDeletingRowsMoveTheStepsAndKeepTheRowCount) {
    open();
    fillSteps({{"1", "a;"}, {"2", "b;"}, {"3", ""}, {"4", ""}, {"5", "e;"}, {"6", "f;"}, {"7", "g;"}});
    // With 99 steps, a last step that holds something is not pushed out: the insert is refused.
    session->grid().setCell(1, 99, "99");
    session->insertRow(2, 5);
    EXPECT_EQ(session->grid().cell(1, 5), "5");
    EXPECT_THAT(view.errors, ElementsAre(HasSubstr("99 Schritte")));
    session->grid().setCell(1, 99, "");
    session->insertRow(2, 5);
    EXPECT_EQ(session->grid().cell(1, 5), "");
    EXPECT_EQ(session->grid().cell(2, 6), "e;");
    EXPECT_EQ(session->grid().cell(1, 8), "7");
    EXPECT_EQ(session->grid().cell(0, 8), "8");
    EXPECT_EQ(view.cell, std::make_pair(2, 5));
    // Only the grid changed; the running copy follows at the next double-click.
    EXPECT_EQ(sequence().stepCount, 0);

    session->grid().setCell(1, 99, "x");
    session->deleteRow(1, 1);
    EXPECT_EQ(session->grid().cell(1, 1), "2");
    EXPECT_EQ(session->grid().cell(2, 1), "b;");
    EXPECT_EQ(session->grid().cell(1, 98), "x");
    EXPECT_EQ(session->grid().cell(1, 99), "");
    EXPECT_EQ(session->grid().cell(0, 1), "1");
    session->deleteRow(2, 99);
    EXPECT_EQ(session->grid().cell(1, 99), "");
    EXPECT_EQ(view.cell, std::make_pair(2, 99));
    EXPECT_EQ(session->grid().rowCount(), 100);

    // Outside the steps nothing moves.
    session->insertRow(1, 0);
    session->deleteRow(1, 100);
    EXPECT_EQ(session->grid().cell(1, 1), "2");
}

TEST_F(SessionTest, TheSeriesCountAndStringAreEditedThroughTheirDialogs) {
    open();
    state().series.valueCounter = 3;
    view.countDialog = [](const SeriesCountInput& input, int& value) {
        EXPECT_EQ(input.text(), "0");
        value = SeriesCountInput::valueOf(" 1 0");
        return true;
    };
    session->editSeriesCount();
    EXPECT_EQ(state().series.valuesPerSeries, 10);
    EXPECT_EQ(view.seriesCount, "[10]");
    view.countDialog = [](const SeriesCountInput&, int& value) {
        value = 25;
        return false;
    };
    session->editSeriesCount();
    EXPECT_EQ(state().series.valuesPerSeries, 10);
    EXPECT_EQ(state().series.valueCounter, 3);

    state().series.seriesString = "{ENTER};";
    view.keyDialog = [](KeyActionList& list) {
        EXPECT_THAT(list.entries(), ElementsAre("{ENTER}"));
        for (int i = 0; i < 20; ++i) // no limit for the series string
            list.add(3, -1);
        return true;
    };
    session->editSeriesString();
    EXPECT_EQ(state().series.seriesString.size(), 8u + 20 * 6);
    EXPECT_EQ(view.seriesString, state().series.seriesString);
}

TEST_F(SessionTest, StartUpActivatesTheBoxOneChannelCommandEveryHundredMilliseconds) {
    writeBox();
    dir.write("ablauf.abl", "1\t3\t{TAB};\r\n2\t1\t{TAB};\r\n3\t3\t{ENTER};\r\n");
    open();
    session->scheduleStartUp();
    session->scheduleStartUp(); // once
    loop.advance(99ms);
    EXPECT_EQ(device->opens, 0);
    loop.advance(1ms);
    EXPECT_EQ(view.caption, "TRAVEK v1.01  BOX");
    EXPECT_EQ(view.panels[StatusPanel::Port], "COM 1");
    EXPECT_EQ(view.panels[StatusPanel::Interface], "BOX");
    EXPECT_EQ(state().decimals, 2);
    EXPECT_EQ(keys.keyDelay, 0) << "full speed unless KEYDELAY says otherwise";
    EXPECT_EQ(session->channels().entries().size(), 4u);
    // The disable-all command and the first channel command go at once; the window stays alive
    // while the box switches each channel on.
    EXPECT_EQ(device->written, "D0\rE1\r");
    EXPECT_EQ(view.active, "Init");
    EXPECT_TRUE(session->activating());
    loop.advance(99ms);
    EXPECT_EQ(device->written, "D0\rE1\r");
    loop.advance(1ms);
    EXPECT_EQ(device->written, "D0\rE1\rE3\r");
    EXPECT_EQ(view.serviceOutput, "E3\r");
    EXPECT_EQ(view.active, "Init");
    loop.advance(100ms);
    EXPECT_EQ(view.active, "Active");
    EXPECT_FALSE(session->activating());
    ASSERT_EQ(device->writes.size(), 3u);
    EXPECT_EQ(device->writes[2].second - device->writes[1].second, 100);
    EXPECT_EQ(loop.pendingTasks(), 0u);
}

TEST_F(SessionTest, ASecondInitStartsOverAndClosingThePortStopsTheActivation) {
    writeBox();
    dir.write("ablauf.abl", "1\t1\t{TAB};\r\n2\t3\t{TAB};\r\n");
    open();
    session->startUp();
    EXPECT_EQ(device->written, "D0\rE1\r");
    loop.advance(50ms);
    session->initInterface();
    EXPECT_EQ(device->written, "D0\rE1\rD0\rE1\r");
    loop.advance(99ms);
    EXPECT_EQ(device->written, "D0\rE1\rD0\rE1\r") << "the first run's pause ended with it";
    loop.advance(1ms);
    EXPECT_EQ(device->written, "D0\rE1\rD0\rE1\rE3\r");

    session->initInterface();
    session->portLost();
    EXPECT_EQ(view.panels[StatusPanel::Port], "COM ?");
    EXPECT_EQ(view.active, "Comport ??");
    loop.advance(500ms);
    EXPECT_EQ(view.active, "Comport ??");
    EXPECT_FALSE(session->activating());

    // "Init Interface" opens a closed port first; one that does not open is said and waited for.
    device->open = false;
    device->openable = false;
    device->failure = SerialDevice::OpenFailure::InUse;
    session->port().close();
    session->initInterface();
    EXPECT_EQ(view.active, "Comport ??");
    EXPECT_THAT(view.errors, ElementsAre("COM1 Error: von einem anderen Programm belegt. TRAVEK \xF6"
                                         "ffnet den Port, sobald er da ist."));
    EXPECT_TRUE(session->reconnecting());
}

TEST_F(SessionTest, APortThatDoesNotOpenIsReportedAndLeavesThePortUnknown) {
    writeBox();
    dir.write("TRAVEK.INI", "[PARAMETER]\r\nINTERFACE=BOX\r\nKEYDELAY=5\r\n");
    device->openable = false;
    open();
    session->startUp();
    EXPECT_THAT(view.errors, ElementsAre(HasSubstr("COM1 Error: nicht vorhanden")));
    EXPECT_EQ(keys.keyDelay, 5);
    EXPECT_EQ(view.panels[StatusPanel::Port], "COM ?");
    EXPECT_EQ(view.active, "Comport ??");
}

TEST_F(SessionTest, ChoosingAPortStoresItInTheDefinitionFileAndReopens) {
    writeBox();
    open();
    session->startUp();
    loop.advance(1s);
    view.comPortDialog = [](ComPortChoice& choice) {
        EXPECT_EQ(choice.selected(), 0);
        choice.select(11);
        return true;
    };
    session->choosePort();
    EXPECT_THAT(dir.read("BOX.VAL"), HasSubstr("COMx=12\r\n"));
    EXPECT_EQ(device->openedIndex, 11);
    EXPECT_EQ(view.panels[StatusPanel::Port], "COM 12");

    // Cancelled: nothing changes.
    view.comPortDialog = [](ComPortChoice& choice) {
        choice.select(3);
        return false;
    };
    session->choosePort();
    EXPECT_THAT(dir.read("BOX.VAL"), HasSubstr("COMx=12\r\n"));

    // A definition that is not there takes no port: no file of that one key is made, and the box
    // that nothing describes is sent nothing.
    state().definition.interfaceName = "X";
    view.comPortDialog = [](ComPortChoice& choice) {
        choice.select(4);
        return true;
    };
    const std::string written = device->written;
    session->choosePort();
    ASSERT_FALSE(view.errors.empty());
    EXPECT_THAT(view.errors.front(), HasSubstr("X.VAL: Schnittstellendefinition nicht gefunden."));
    EXPECT_FALSE(std::filesystem::exists("X.VAL"));
    EXPECT_EQ(device->written, written);
}

TEST_F(SessionTest, ChoosingAnInterfaceLoadsItsDefinitionOrKeepsTheName) {
    writeBox();
    dir.write("SCALE.val", "[PARAMETER]\r\nCNTCH=6\r\nCOMx=1\r\n");
    open();
    session->startUp();
    view.interfaceDialog = [](const InterfaceChoice& choice, int& row) {
        EXPECT_EQ(choice.entries().size(), 2u);
        row = 1;
        return true;
    };
    session->chooseInterface();
    EXPECT_EQ(state().definition.interfaceName, "SCALE");
    EXPECT_EQ(view.caption, "TRAVEK v1.01  SCALE");
    EXPECT_EQ(view.panels[StatusPanel::Port], "DONE");
    EXPECT_EQ(view.panels[StatusPanel::Interface], "SCALE");
    EXPECT_EQ(session->channels().entries().size(), 6u);

    // Nothing chosen (no definition files): the name stays, or ".VAL" would be looked for.
    view.interfaceDialog = [](const InterfaceChoice&, int& row) {
        row = -1;
        return true;
    };
    session->chooseInterface();
    EXPECT_EQ(state().definition.interfaceName, "SCALE");
}

TEST_F(SessionTest, ReceivedLinesAreTypedAndALostDevicesHalfLineIsDropped) {
    writeBox();
    dir.write("ablauf.abl", "1\t1\t{TAB};\r\n");
    open();
    session->startUp();
    const std::string line = "A: 12,345\r";
    receive(line);
    EXPECT_THAT(keys.texts, ElementsAre("12,35", "{TAB}"));
    EXPECT_EQ(view.panels[StatusPanel::Channel], "1 [OK]");
    EXPECT_EQ(view.panels[StatusPanel::Line], "A: 12,345");

    // The start of a line from a device that went away does not stick to the next device's first.
    const std::string cut = "A: 7,";
    receive(cut);
    session->portLost();
    session->startUp();
    const std::string next = "A: 4,56\r";
    receive(next);
    EXPECT_THAT(keys.texts, ElementsAre("12,35", "{TAB}", "4,56", "{TAB}"));
}

} // namespace

TEST_F(SessionTest, ADefinitionThatIsNotThereIsSaidOnceAndNothingIsActivated) {
    // The first start in a new folder: no TRAVEK.INI, so the default PX5R, and only DEMO.VAL.
    dir.write("DEMO.VAL", BoxDefinition);
    open();
    session->startUp();
    EXPECT_THAT(view.errors,
                ElementsAre("PX5R.VAL: Schnittstellendefinition nicht gefunden. \"Einstellungen > "
                            "Interface\" bietet an: DEMO."));
    EXPECT_EQ(view.active, "Interface ??");
    EXPECT_EQ(device->opens, 0);
    EXPECT_EQ(device->written, "");
    // The file put in the folder since is loaded by "Init Interface".
    dir.write("PX5R.VAL", BoxDefinition);
    session->initInterface();
    EXPECT_EQ(view.errors.size(), 1u);
    EXPECT_EQ(device->written, "D0\r");
    EXPECT_EQ(view.active, "Active");

    std::filesystem::remove("DEMO.VAL");
    std::filesystem::remove("PX5R.VAL");
    EXPECT_THAT(InterfaceChoice().emptyText(),
                HasSubstr("Keine Schnittstellendefinition (*.VAL) im Ordner "));
}
