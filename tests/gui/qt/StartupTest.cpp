// The whole program in one working directory: start-up, interface activation over a pty standing
// in for the measuring box, typing, changes of interface and port, and saving at exit.
#include "support/PtyPair.h"
#include "support/RunningProgram.h"

#include "core/serial/SerialPort.h"

#include <QListWidget>

#include <gmock/gmock.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace travek;
using namespace travek::test;
using testing::ElementsAre;

namespace {

// What the box receives, each command with the time it arrived, read on a thread of its own
// because the program blocks its event loop while it switches channels on.
class CommandReader {
public:
    explicit CommandReader(int fd) : m_fd(fd), m_thread([this] { run(); }) {}
    ~CommandReader() {
        m_stop = true;
        m_thread.join();
    }
    std::vector<std::pair<std::string, double>> commands() {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        std::lock_guard lock(m_mutex);
        return m_commands;
    }

private:
    void run() {
        const auto start = std::chrono::steady_clock::now();
        std::string current;
        while (!m_stop) {
            char buf[64];
            pollfd p{m_fd, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0 || !(p.revents & POLLIN))
                continue;
            const ssize_t n = ::read(m_fd, buf, sizeof buf);
            for (ssize_t i = 0; i < n; ++i) {
                current += buf[i];
                if (buf[i] == '\r') {
                    const double ms =
                        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                            .count();
                    std::lock_guard lock(m_mutex);
                    m_commands.emplace_back(current, ms);
                    current.clear();
                }
            }
        }
    }
    int m_fd;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::vector<std::pair<std::string, double>> m_commands;
    std::thread m_thread;
};

using Program = RunningProgram;

} // namespace

TEST_F(Program, FirstRunInAnEmptyDirectory) {
    dir.write("TRAVEK.INI", "[COMPORTS]\r\nCOM1=./no-such-device\r\n");
    start();
    EXPECT_EQ(form->seriesCountLabel->text(), "[ ]");
    // No definition at all: the assistant is offered (one box, not an error before it), and
    // nothing is opened or called active for the defaults.
    declineAssistant();
    form->session().startUp();
    EXPECT_EQ(form->windowTitle(), "TRAVEK v1.01  PX5R");
    EXPECT_EQ(form->panelText(StatusPanel::Port), "COM ?");
    EXPECT_EQ(form->panelText(StatusPanel::Interface), "PX5R");
    EXPECT_EQ(form->activeLabel->text(), "Interface ??");
    EXPECT_EQ(form->seriesCountLabel->text(), "[0]");
    EXPECT_EQ(static_cast<int>(form->session().channels().entries().size()), 2);

    form->close();
    std::string expected;
    for (int step = 1; step <= 99; ++step)
        expected += std::to_string(step) + "\t\t\r\n";
    EXPECT_EQ(dir.read("ablauf.abl"), expected);
    EXPECT_EQ(dir.read("ablauf.pst"), "0\r\n\r\n");
    EXPECT_EQ(dir.read("TRAVEK.INI"),
              "[COMPORTS]\r\nCOM1=./no-such-device\r\n[PARAMETER]\r\nINTERFACE=PX5R\r\n");
}

TEST_F(Program, AKeyDelayOutsideItsRangeIsRefusedWithAMessage) {
    // A minute and a half per key would hold a value, and the program's end, for many minutes.
    dir.write("TRAVEK.INI", "[PARAMETER]\r\nKEYDELAY=100000\r\n[COMPORTS]\r\nCOM1=./no-such-device\r\n");
    start();
    expectErrorBox("KEYDELAY=100000 in TRAVEK.INI: erlaubt sind 0 bis 1000 ms; es gilt 1000");
    declineAssistant();
    form->session().startUp();
}

TEST_F(Program, StartUpRunsOnceAfterEveryWindowExistsEvenWhenCreationShowsAnErrorBox) {
    dir.write("TRAVEK.INI", "[COMPORTS]\r\nCOM1=./no-such-device\r\n");
    dir.write("ablauf.abl", "1\t1\t{TAB};\r\n");
    dir.write("ablauf.pst", "not a number\r\n");
    // A real error box runs an event loop of its own while it waits for the user.
    auto answerLater = [](QDialog&) {
        QElapsedTimer shown;
        shown.start();
        while (shown.elapsed() < 300)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
        return int(QMessageBox::Ok);
    };
    runner->then(answerLater);
    start();
    EXPECT_EQ(form->panelText(StatusPanel::Port), ""); // the start-up has not run inside the box
    declineAssistant();                                // no definition: the start-up's own question
    form->scheduleStartUp();
    form->scheduleStartUp();
    runFor(700);
    EXPECT_EQ(runner->shown(), QStringList({"ErrorBox", "QuestionBox"}));
    EXPECT_EQ(form->panelText(StatusPanel::Interface), "PX5R");
    EXPECT_EQ(static_cast<int>(form->session().channels().entries().size()), 2);
}

TEST_F(Program, ActivatesTheBoxTypesInSequenceOrderAndRestoresItsStateAtTheNextStart) {
    PtyPair box;
    CommandReader reader(box.masterFd());
    setUpBox(box.slavePath(), "258");
    dir.write("ablauf.abl", "1\t3\t{TAB};\r\n2\t1\t{TAB};\r\n3\t3\t{ENTER};\r\n");
    dir.write("ablauf.pst", "2\r\n---;\r\n");
    start();
    form->session().startUp();
    // The channels are switched on one after another while the window goes on.
    EXPECT_EQ(form->activeLabel->text(), "Init");
    ASSERT_TRUE(runUntil([&] { return !form->session().activating(); }, 2000));
    EXPECT_EQ(form->windowTitle(), "TRAVEK v1.01  BOX");
    EXPECT_EQ(form->panelText(StatusPanel::Port), "COM 1");
    EXPECT_EQ(form->activeLabel->text(), "Active");
    EXPECT_EQ(form->windows().serviceWindow->output(), "E3\r");
    EXPECT_EQ(static_cast<int>(form->session().channels().entries().size()), 4);

    const auto commands = reader.commands();
    ASSERT_EQ(commands.size(), 3u);
    EXPECT_EQ(commands[0].first, "D0\r");
    EXPECT_EQ(commands[1].first, "E1\r");
    EXPECT_EQ(commands[2].first, "E3\r");
    // The pause after each channel command is checked on the session's fake clock; a wall clock
    // under load says nothing about it.

    // decimals 258 keeps its low 8 bits: two decimals. A line for a channel the step does not expect
    // is dropped.
    box.send("A: 9,9\rC:  1,5\r\nA: 2,25\r\nC: 3\r\n");
    ASSERT_TRUE(runUntil([&] { return keys.texts.size() >= 7; }, 3000));
    EXPECT_THAT(keys.texts, ElementsAre("1,50", "{TAB}", "2,25", "{TAB}", "---", "3,00", "{ENTER}"));
    EXPECT_EQ(form->panelText(StatusPanel::CurrentStep), "1");

    form->grid().setCell(2, 2, "{DOWN};");
    form->close();
    EXPECT_EQ(dir.read("ablauf.pst"), "2\r\n---;\r\n");

    // The next start finds everything as it was left.
    form.reset();
    start();
    EXPECT_EQ(form->grid().cell(2, 2), "{DOWN};");
    EXPECT_EQ(form->session().sequence().stepCount, 3);
    EXPECT_EQ(form->seriesStringLabel->text(), "---;");
    form->session().startUp();
    EXPECT_EQ(state().definition.interfaceName, "BOX");
}

TEST_F(Program, APortHeldByAnotherProgramIsReported) {
    PtyPair box;
    setUpBox(box.slavePath());
    QtEventLoop otherLoop;
    SerialPort other{otherLoop};
    other.setPortIndex(PortIndex{0});
    ASSERT_TRUE(other.open());
    start();
    expectErrorBox([](const QString& text) {
        EXPECT_TRUE(text.startsWith("COM1 Error: von einem anderen Programm belegt.")) << text.toStdString();
        EXPECT_TRUE(text.endsWith("ffnet den Port, sobald er da ist.")) << text.toStdString();
    });
    form->session().startUp();
    EXPECT_EQ(form->panelText(StatusPanel::Port), "COM ?");
    EXPECT_EQ(form->activeLabel->text(), "Comport ??");

    // Once the other program lets go, "Init Interface" opens the port first.
    other.close();
    form->initInterface();
    EXPECT_EQ(form->panelText(StatusPanel::Port), "COM 1");
    EXPECT_EQ(form->activeLabel->text(), "Active");
}

TEST_F(Program, ChangingTheInterfaceReplacesTheCaptionAndRebuildsTheChannelList) {
    PtyPair box;
    setUpBox(box.slavePath());
    dir.write("SCALE.val", "[PARAMETER]\r\nCNTCH=6\r\nCOMx=1\r\n");
    start();
    form->session().startUp();
    auto choose = [this](int row) {
        runner->then([row](QDialog& d) {
            auto& dlg = static_cast<InterfaceDialog&>(d);
            dlg.list->setCurrentRow(row);
            dlg.okButton->click();
            return d.result();
        });
        form->chooseInterface();
    };
    choose(1);
    EXPECT_EQ(form->windowTitle(), "TRAVEK v1.01  SCALE");
    EXPECT_EQ(form->panelText(StatusPanel::Port), "DONE");
    EXPECT_EQ(form->panelText(StatusPanel::Interface), "SCALE");
    EXPECT_EQ(static_cast<int>(form->session().channels().entries().size()), 6);
    choose(0);
    EXPECT_EQ(form->windowTitle(), "TRAVEK v1.01  BOX");
    EXPECT_EQ(static_cast<int>(form->session().channels().entries().size()), 4);

    // A new port leaves the channel list, the caption and the interface name alone; the port
    // number goes into the definition file at once.
    form->session().channels().setChannelCount(1);
    pressComportOk(1);
    expectErrorBox(
        [](const QString& text) { EXPECT_TRUE(text.startsWith("COM2 Error")) << text.toStdString(); });
    form->choosePort();
    EXPECT_EQ(static_cast<int>(form->session().channels().entries().size()), 1);
    EXPECT_EQ(form->windowTitle(), "TRAVEK v1.01  BOX");
    EXPECT_EQ(form->panelText(StatusPanel::Port), "COM ?");
    EXPECT_EQ(form->activeLabel->text(), "Comport ??");
    EXPECT_NE(dir.read("BOX.VAL").find("COMx=2\r\n"), std::string::npos);

    // Cancelling either dialog changes nothing.
    runner->then([](QDialog&) { return int(QDialog::Rejected); });
    form->chooseInterface();
    runner->then([](QDialog&) { return int(QDialog::Rejected); });
    form->choosePort();
    EXPECT_EQ(form->panelText(StatusPanel::Port), "COM ?");
    EXPECT_EQ(form->windowTitle(), "TRAVEK v1.01  BOX");
}

TEST_F(Program, EachFileIsSavedAtExitEvenWhenAnotherCannotBe) {
    setUpBox("./no-such-device");
    ::mkdir(dir.file("ablauf.abl").c_str(), 0755); // a folder in the way of the sequence file
    // Said as the program starts, and again when the exit cannot save there.
    runner->then([](QDialog& d) {
        EXPECT_EQ(static_cast<QMessageBox&>(d).text(), "ablauf.abl: ein Ordner, keine Datei");
        return int(QMessageBox::Ok);
    });
    start();
    runner->then([](QDialog& d) {
        const QString text = static_cast<QMessageBox&>(d).text();
        EXPECT_TRUE(text.startsWith("ablauf.abl: ")) << text.toStdString();
        EXPECT_EQ(text.count('\n'), 0); // one error, shown once
        return int(QMessageBox::Ok);
    });
    state().series.valuesPerSeries = 5;
    form->close();
    EXPECT_EQ(dir.read("ablauf.pst"), "5\r\n\r\n");
    EXPECT_NE(dir.read("TRAVEK.INI").find("INTERFACE=PX5R"), std::string::npos);
}
