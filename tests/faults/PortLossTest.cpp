// The measuring box goes away while it is sending (its USB adapter pulled) and comes back under
// the same device name.
#include "support/PtyPair.h"
#include "support/RunningProgram.h"

#include "core/serial/SerialPort.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

using namespace travek;
using namespace travek::test;

namespace {

double cpuMsOfProcess() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
}

// Points the link at target, replacing what it pointed at in one step, as udev does with the
// stable names of USB adapters.
void pointLink(const std::string& link, const std::string& target) {
    const std::string temp = link + ".new";
    ::unlink(temp.c_str());
    ASSERT_EQ(::symlink(target.c_str(), temp.c_str()), 0);
    ASSERT_EQ(::rename(temp.c_str(), link.c_str()), 0);
}

class PortLoss : public RunningProgram {
protected:
    void SetUp() override {
        RunningProgram::SetUp();
        box = std::make_unique<PtyPair>();
        link = dir.file("gauge-box");
        pointLink(link, box->slavePath());
        setUpBox(link);
        dir.write("ablauf.abl", "1\t1\t{TAB};\r\n");
        start();
        startUpAndActivate();
        ASSERT_EQ(form->panelText(StatusPanel::Port), "COM 1");
        ASSERT_EQ(form->activeLabel->text(), "Active");
        // The commands the box got at activation.
        box->receive(6, 500);
    }

    std::unique_ptr<PtyPair> box;
    std::string link;
};

} // namespace

TEST_F(PortLoss, TheBoxVanishesMidStreamAndComesBackUnderTheSameName) {
    // Lines keep arriving until the device is gone, some of them cut off in the middle.
    std::atomic<bool> gone{false};
    std::thread device([&] {
        for (int i = 0; i < 200; ++i) {
            char line[32];
            std::snprintf(line, sizeof line, "A: %d,%02d\r\n", i / 100, i % 100);
            box->send(line);
            if (i % 20 == 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        box->send("A: 7,");
        box->closeMaster();
        gone = true;
    });
    const bool lost = runUntil([&] { return gone && !form->session().port().isOpen(); }, 5000);
    device.join();
    ASSERT_TRUE(lost) << "the port is still open after the device went away";
    // The adapter stays unplugged while the program tries the port again. (Its old terminal
    // number may meanwhile belong to another program's pseudo terminal, which the name must not
    // reach.)
    pointLink(link, dir.file("unplugged"));

    EXPECT_EQ(form->panelText(StatusPanel::Port), "COM ?");
    EXPECT_EQ(form->activeLabel->text(), "Comport ??");
    EXPECT_EQ(keys.nestedCalls, 0);
    // Every value that arrived before the loss is typed, in order, with the step's key.
    ASSERT_FALSE(keys.texts.empty());
    ASSERT_EQ(keys.texts.size() % 2, 0u) << "a value was typed without its key";
    std::string expected;
    for (std::size_t i = 0; i < keys.texts.size() / 2; ++i) {
        const std::string cents = std::to_string(100 + i % 100);
        expected += std::to_string(i / 100) + "," + cents.substr(1) + "\t";
    }
    EXPECT_EQ(keys.typedText(), expected);

    // Nothing is watched any more: the idle program uses next to no processor time. A descriptor
    // still watched after the hang-up would report itself over and over and burn a whole core.
    const double cpuBefore = cpuMsOfProcess();
    runFor(1000);
    const double idleCpuMs = cpuMsOfProcess() - cpuBefore;
    EXPECT_LT(idleCpuMs, 100.0) << "the program spins after the port was lost";
    RecordProperty("IdleCpuMsAfterLoss", static_cast<int>(idleCpuMs));

    // "Init Interface" tries the port first; it is not there yet.
    expectErrorBox(
        [](const QString& text) { EXPECT_TRUE(text.startsWith("COM1 Error")) << text.toStdString(); });
    form->initInterface();
    EXPECT_EQ(form->activeLabel->text(), "Comport ??");
    EXPECT_FALSE(form->session().port().isOpen());

    // The adapter is plugged in again: a new device behind the same name.
    auto returned = std::make_unique<PtyPair>();
    pointLink(link, returned->slavePath());
    pressComportOk();
    form->choosePort();
    waitForActivation();
    EXPECT_EQ(form->panelText(StatusPanel::Port), "COM 1");
    EXPECT_EQ(form->activeLabel->text(), "Active");
    ASSERT_TRUE(form->session().port().isOpen());
    EXPECT_EQ(returned->receive(6, 1000), "D0\rE1\r");

    // The piece of a line from before the loss does not stick to the first line of the new
    // device; the value is typed and the sequence goes on.
    const std::size_t typedBefore = keys.texts.size();
    returned->send("A: 4,56\r\nA: 7,89\r\n");
    ASSERT_TRUE(runUntil([&] { return keys.texts.size() >= typedBefore + 4; }, 3000));
    EXPECT_EQ(std::vector<std::string>(keys.texts.begin() + static_cast<long>(typedBefore), keys.texts.end()),
              (std::vector<std::string>{"4,56", "{TAB}", "7,89", "{TAB}"}));
}

TEST_F(PortLoss, ALossWithNothingArrivingIsNoticedAndLeavesTheProgramIdle) {
    box->closeMaster();
    ASSERT_TRUE(runUntil([&] { return !form->session().port().isOpen(); }, 3000));
    EXPECT_EQ(form->panelText(StatusPanel::Port), "COM ?");
    EXPECT_EQ(form->activeLabel->text(), "Comport ??");
    // The adapter stays unplugged. (Its old terminal number may meanwhile belong to another
    // program's pseudo terminal, which the name must not reach.)
    pointLink(link, dir.file("unplugged"));

    const double cpuBefore = cpuMsOfProcess();
    runFor(1000);
    EXPECT_LT(cpuMsOfProcess() - cpuBefore, 100.0);

    // With the device still missing, "Comport" reports the port and leaves it closed.
    pressComportOk();
    expectErrorBox(
        [](const QString& text) { EXPECT_TRUE(text.startsWith("COM1 Error")) << text.toStdString(); });
    form->choosePort();
    EXPECT_FALSE(form->session().port().isOpen());
    EXPECT_EQ(form->panelText(StatusPanel::Port), "COM ?");
    EXPECT_EQ(form->activeLabel->text(), "Comport ??");
}

TEST_F(PortLoss, TheBoxComesBackByItselfAndTheSequenceGoesOnWhereItWas) {
    form->grid().setRowCount(3);
    form->grid().setCell(1, 2, "1");
    form->grid().setCell(2, 2, "{ENTER};");
    form->session().restartSequence();
    box->send("A: 1,00\r\n");
    ASSERT_TRUE(runUntil([&] { return keys.texts.size() >= 2; }, 3000));

    box->closeMaster();
    ASSERT_TRUE(runUntil([&] { return !form->session().port().isOpen(); }, 3000));
    pointLink(link, dir.file("unplugged"));
    // Waiting for the adapter costs nothing between the tries. (The first try runs code for the
    // first time, loading its pages; that happens once, not every second.)
    runFor(1200);
    const double cpuBefore = cpuMsOfProcess();
    runFor(5000);
    const double waitingCpuMs = cpuMsOfProcess() - cpuBefore;
    EXPECT_LT(waitingCpuMs, 20.0) << "the program spins while the port is lost";
    RecordProperty("CpuMsOverFiveSecondsLost", static_cast<int>(waitingCpuMs));
    EXPECT_EQ(form->activeLabel->text(), "Comport ??");

    // Plugged in again, under the same name: the program opens it, sends the channel commands
    // and types the next value with the next step's keys.
    auto returned = std::make_unique<PtyPair>();
    pointLink(link, returned->slavePath());
    ASSERT_TRUE(runUntil([&] { return form->session().port().isOpen(); }, 2000));
    waitForActivation();
    EXPECT_EQ(returned->receive(6, 500), "D0\rE1\r");
    EXPECT_EQ(form->panelText(StatusPanel::Port), "COM 1");
    EXPECT_EQ(form->activeLabel->text(), "Active");
    returned->send("A: 2,00\r\n");
    ASSERT_TRUE(runUntil([&] { return keys.texts.size() >= 4; }, 3000));
    EXPECT_EQ(keys.texts[2], "2,00");
    EXPECT_EQ(keys.texts[3], "{ENTER}");
}

// The box on a pty named by its node, lost; the kernel gives the node to the next pty, as it does
// to a terminal window opened meanwhile. That terminal gets nothing and keeps its mode; the
// panel says that "Comport" opens the port again.
TEST_F(RunningProgram, APtyNodeThatATerminalTookOverIsNotOpened) {
    auto box = std::make_unique<PtyPair>();
    const std::string node = box->slavePath();
    setUpBox(node);
    dir.write("ablauf.abl", "1\t1\t{TAB};\r\n");
    start();
    startUpAndActivate();
    ASSERT_EQ(form->activeLabel->text(), "Active");
    box->closeMaster();
    ASSERT_TRUE(runUntil([&] { return !form->session().port().isOpen(); }, 3000));
    box.reset();
    PtyPair terminal;
    termios before{};
    ASSERT_EQ(::tcgetattr(terminal.masterFd(), &before), 0);
    runFor(2500);
    EXPECT_EQ(terminal.receive(1, 200), "")
        << "the terminal " << terminal.slavePath() << " got the box's commands";
    termios after{};
    ASSERT_EQ(::tcgetattr(terminal.masterFd(), &after), 0);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_FALSE(form->session().port().isOpen());
    EXPECT_EQ(form->panelText(StatusPanel::Line),
              QString::fromUtf8("COM1 ist fort; \"Einstellungen > Comport\" öffnet den Port wieder"));
    if (terminal.slavePath() != node)
        std::printf("note: the terminal got %s, not the box's node %s\n", terminal.slavePath().c_str(),
                    node.c_str());
}
