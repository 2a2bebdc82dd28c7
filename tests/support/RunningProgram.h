#pragma once

// The whole main window with its dialogs in a working directory of its own, the measuring box
// played on a pty, and a keyboard that records what the typing algorithm would press, letting the
// event loop run in the middle of a text as the real keyboard does.
#include "support/ScriptedRunner.h"
#include "support/TempDir.h"

#include "core/session/ProgramState.h"
#include "core/session/Session.h"
#include "core/typing/KeyOutput.h"
#include "core/typing/LayoutKeySender.h"
#include "core/typing/RecordingKeyboard.h"
#include "gui/qt/ChannelDialog.h"
#include "gui/qt/ComPortDialog.h"
#include "gui/qt/InterfaceDialog.h"
#include "gui/qt/KeyActionDialog.h"
#include "gui/qt/MainWindow.h"
#include "gui/qt/PortListWindow.h"
#include "gui/qt/QtKeyWait.h"
#include "gui/qt/SeriesCountDialog.h"
#include "gui/qt/ServiceWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace travek::test {

// Types through the real typing algorithm over a recording keyboard. Each text handed to sendKeys
// is kept, and a call that begins while another is still typing is counted: the receive handler
// must never let that happen, or two values' keystrokes mix in the target application.
class TypingKeys : public KeyOutput {
public:
    void sendKeys(std::string_view keys, PressGate* gate = nullptr) override {
        if (m_typing)
            ++nestedCalls;
        m_typing = true;
        texts.emplace_back(keys);
        struct Done {
            bool& typing;
            ~Done() { typing = false; }
        } done{m_typing};
        m_sender.sendKeys(keys, gate);
    }
    void stop() override { m_sender.stop(); }
    bool typing() const { return m_typing; }

    // The characters the key events make on the US layout; Tab, Return and the arrow keys are
    // written as \t, \n and '>' (right).
    std::string typedText() const {
        std::string text;
        bool shift = false;
        for (const RecordingKeyboard::Event& e : keyboard.events()) {
            if (e.key == vk::Shift) {
                shift = e.down;
                continue;
            }
            if (!e.down)
                continue;
            if (e.key >= '0' && e.key <= '9')
                text += shift ? '?' : static_cast<char>(e.key);
            else if (e.key >= 'A' && e.key <= 'Z')
                text += static_cast<char>(shift ? e.key : e.key - 'A' + 'a');
            else if (e.key == 0xBC)
                text += shift ? '<' : ',';
            else if (e.key == 0xBD)
                text += shift ? '_' : '-';
            else if (e.key == vk::Tab)
                text += '\t';
            else if (e.key == vk::Return)
                text += '\n';
            else if (e.key == vk::Right)
                text += '>';
            else
                text += '#';
        }
        return text;
    }

    RecordingKeyboard keyboard;
    // The program's own waits: user input is held until the text is typed.
    QtKeyWait wait;
    std::vector<std::string> texts;
    int nestedCalls = 0;
    // Runs with the event loop in the middle of a text, as a platform that delivers received
    // bytes from there would.
    std::function<void()> whileTyping;

private:
    LayoutKeySender m_sender{keyboard, [this] {
                                 wait.dispatch();
                                 if (whileTyping)
                                     whileTyping();
                             }};
    bool m_typing = false;
};

// A definition for a box on COM1 with four channels; values stand at positions 4..11.
inline const std::string BoxDefinition = "[PARAMETER]\r\nCOMx=1\r\nCNTCH=4\r\nSTARTPOS=4\r\nENDPOS=12\r\n"
                                         "MW_SIGN1=A:\r\nMW_SIGN3=C:\r\nMWI_SIGN1=E1\r\nMWI_SIGN3=E3\r\n";

// The box's definition BOX.VAL, and TRAVEK.INI choosing it with nk decimals and COM1 at device.
inline void writeBoxSettings(const TempDir& dir, const std::string& device, const std::string& nk = "2") {
    dir.write("TRAVEK.INI",
              "[PARAMETER]\r\nINTERFACE=BOX\r\nNK=" + nk + "\r\n\r\n[COMPORTS]\r\nCOM1=" + device + "\r\n");
    dir.write("BOX.VAL", BoxDefinition);
}

class RunningProgram : public ::testing::Test {
protected:
    void SetUp() override { dir.enter(); }

    void TearDown() override {
        form.reset();
        EXPECT_TRUE(runner->allStepsUsed());
    }

    // The windows in the order the program makes them; the start-up itself is left to the test.
    void start() {
        form = std::make_unique<MainWindow>(runner);
        form->setKeyOutput(&keys);
        form->session().portList().setSource([](std::vector<std::string>& t) { t.clear(); });
        form->show();
    }

    // The start-up and the activation it begins, which goes on in the event loop, one channel
    // command after another.
    void startUpAndActivate() {
        form->session().startUp();
        waitForActivation();
    }
    void waitForActivation() {
        runUntil([this] { return !form->session().activating(); }, 5000);
    }

    void setUpBox(const std::string& device, const std::string& nk = "2") {
        writeBoxSettings(dir, device, nk);
    }

    // Runs the event loop until done() holds or timeoutMs pass; the result of done() at the end.
    // The loop sleeps while nothing happens, so the processor time of the process stays the
    // program's own.
    static bool runUntil(const std::function<bool()>& done, int timeoutMs) {
        QElapsedTimer timer;
        timer.start();
        QEventLoop loop;
        QTimer check;
        QObject::connect(&check, &QTimer::timeout, &loop, [&] {
            if (done() || timer.elapsed() >= timeoutMs)
                loop.quit();
        });
        check.start(10);
        if (!done())
            loop.exec();
        return done();
    }

    static void runFor(int ms) {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    }

    void expectErrorBox(std::function<void(const QString&)> check) {
        runner->then([check = std::move(check)](QDialog& d) {
            check(static_cast<QMessageBox&>(d).text());
            return int(QMessageBox::Ok);
        });
    }
    void expectErrorBox(const QString& text) {
        expectErrorBox([text](const QString& shown) { EXPECT_EQ(shown, text); });
    }

    // "Nein" to the start's offer of the assistant, which a folder without any definition makes.
    void declineAssistant() {
        runner->then([](QDialog& d) {
            EXPECT_NE(static_cast<QMessageBox&>(d).text().indexOf("keine Interface-Definition"), -1);
            return int(QMessageBox::No);
        });
    }

    // OK in the COM port dialog, after picking the port of that list position when one is given.
    void pressComportOk(int pick = -1) {
        runner->then([pick](QDialog& d) {
            auto& dialog = static_cast<ComPortDialog&>(d);
            if (pick >= 0) {
                dialog.portBox->setCurrentIndex(pick);
                emit dialog.portBox->activated(pick);
            }
            dialog.okButton->click();
            return d.result();
        });
    }

    ProgramState& state() { return form->session().state(); }

    TempDir dir;
    std::shared_ptr<ScriptedRunner> runner = std::make_shared<ScriptedRunner>();
    TypingKeys keys;
    std::unique_ptr<MainWindow> form;
};

// The value a line of /proc/self/status gives in kB, e.g. VmRSS; -1 when missing.
inline long statusKb(const std::string& field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field + ":", 0) == 0)
            return std::stol(line.substr(field.size() + 1));
    return -1;
}

} // namespace travek::test
