#pragma once

#include "core/session/Session.h"
#include "core/session/SessionView.h"
#include "core/session/ToleranceInput.h"
#include "core/text/Error.h"
#include "core/typing/KeyOutput.h"
#include "support/FakeEventLoop.h"
#include "support/FakeSerialDevice.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace travek::test {

// Shows nothing: keeps what the session reports and answers its dialogs from the test's script.
class FakeView : public SessionView {
public:
    void setPanelText(StatusPanel panel, const std::string& text) override { panels[panel] = text; }
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
    bool runInterfaceDialog(const InterfaceChoice& choice, int& row) override {
        return ask(interfaceDialog, choice, row);
    }
    bool runComPortDialog(ComPortChoice& choice) override { return ask(comPortDialog, choice); }
    bool runTargetWindowDialog(TargetWindowChoice& choice) override { return ask(targetDialog, choice); }
    bool runRecordTextDialog(RecordTextInput& input) override { return ask(recordTextDialog, input); }
    bool runToleranceDialog(ToleranceInput& input) override { return ask(toleranceDialog, input); }
    void showVerdict(const JudgedValue& value) override { verdicts.push_back(value); }
    void showLineVerdict(Verdict verdict) override { lineVerdict = verdict; }
    void signalNok() override { ++nokSignals; }

    std::map<StatusPanel, std::string> panels;
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
    std::function<bool(RecordTextInput&)> recordTextDialog;
    std::function<bool(ToleranceInput&)> toleranceDialog;
    std::vector<JudgedValue> verdicts;
    Verdict lineVerdict = Verdict::None;
    int nokSignals = 0;

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
    void sendKeys(std::string_view keys, PressGate* gate = nullptr) override {
        if (!failure.empty())
            throw Error(failure);
        // The gate is asked before each character, as a keyboard asks before each press.
        for (std::size_t i = 0; gate && i < keys.size(); ++i)
            if (const std::string why = gate->refusal(); !why.empty()) {
                if (i > 0)
                    texts.emplace_back(keys.substr(0, i));
                throw TypingRefused(why, std::string(keys.substr(0, i)));
            }
        texts.emplace_back(keys);
    }
    void setKeyDelay(int milliseconds) override { keyDelay = milliseconds; }
    void awaitTaken() override {
        ++awaited;
        if (!notTaken.empty())
            throw Error(notTaken);
    }
    std::string takeUntyped() override { return std::exchange(untyped, {}); }
    std::vector<std::string> texts;
    std::string failure;
    // Why the window does not take the line's keys; empty when it takes them.
    std::string notTaken;
    // What the next line could not type.
    std::string untyped;
    int awaited = 0;
    int keyDelay = -1;
};

inline std::string stepsFile(int count) {
    std::string text;
    for (int i = 1; i <= count; ++i)
        text += std::to_string(i) + "\t" + std::to_string(i) + "\tk" + std::to_string(i) + ";\r\n";
    return text;
}

// A definition for a box on COM1 with four channels, chosen by TRAVEK.INI.
constexpr const char* BoxDefinition = "[PARAMETER]\r\nCOMx=1\r\nCNTCH=4\r\nMW_SIGN1=A:\r\nMW_SIGN3=C:\r\n"
                                      "MWI_SIGN1=E1\r\nMWI_SIGN3=E3\r\n";

class SessionFixture : public ::testing::Test {
protected:
    void SetUp() override {
        dir.enter();
        device->clock = [this] { return static_cast<long long>(loop.now().count()); };
    }

    Session& open(char separator = ';') {
        session =
            std::make_unique<Session>(view, loop, separator, std::make_unique<FakeSerialDevice>(device));
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
    // Hands bytes to the session as its port's driver does.
    void receive(const std::string& bytes) {
        session->port().onReceiveData(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    }
    ProgramState& state() { return session->state(); }
    SequenceTable& sequence() { return session->sequence(); }

    TempDir dir;
    FakeView view;
    FakeEventLoop loop;
    std::shared_ptr<FakeSerialDevice::Log> device = std::make_shared<FakeSerialDevice::Log>();
    CountingKeys keys;
    std::unique_ptr<Session> session;
};

} // namespace travek::test
