#include "core/session/InterfaceAssistant.h"
#include "core/files/FileIo.h"
#include "support/FakeEventLoop.h"
#include "support/FakeSerialDevice.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace travek;
using namespace travek::test;
using testing::HasSubstr;

namespace {

class Assistant : public ::testing::Test {
protected:
    void SetUp() override { dir.enter(); }

    // The assistant as "Interface einrichten" makes it while BOX is the current interface.
    InterfaceAssistant& open(const std::string& boxDefinition = {}) {
        if (!boxDefinition.empty())
            dir.write("BOX.VAL", boxDefinition);
        InterfaceDefinition current;
        current.interfaceName = "BOX";
        assistant = std::make_unique<InterfaceAssistant>(loop, std::make_unique<FakeSerialDevice>(device),
                                                         current, 2);
        assistant->confirm = [this](const std::string& question) {
            questions.push_back(question);
            return answer;
        };
        assistant->showError = [this](const std::string& text) { errors.push_back(text); };
        return *assistant;
    }
    bool hintHas(const std::string& text) const {
        for (const std::string& hint : assistant->hints())
            if (hint.find(text) != std::string::npos)
                return true;
        return false;
    }

    TempDir dir;
    FakeEventLoop loop;
    std::shared_ptr<FakeSerialDevice::Log> device = std::make_shared<FakeSerialDevice::Log>();
    std::unique_ptr<InterfaceAssistant> assistant;
    std::vector<std::string> questions, errors;
    bool answer = false;
};

TEST_F(Assistant, SaysForEachLineWhichChannelTravekTakesAndWhatItTypes) {
    InterfaceAssistant& a =
        open("[PARAMETER]\r\nCNTCH=3\r\nSTARTPOS=4\r\nENDPOS=11\r\nMW_SIGN1=A1\r\nMW_SIGN2=B\r\n"
             "MW_SIGN3=A\r\n");
    // CR LF ends: the LF stands at the start of the next line and is not counted.
    a.receive("A1 +012.375\r\nB  -3,25\r\nA1  ERR\r\nC  1.0\r\nB  1.5" + std::string(25, 'x') + "\r");
    const std::vector<InterfaceAssistant::Row> rows = a.rows();
    ASSERT_EQ(rows.size(), 5u);
    // "A" and "A1" both occur: the highest channel takes the line.
    EXPECT_EQ(rows[0].channel, "3 (auch 1)");
    EXPECT_EQ(rows[0].typed, "12,38");
    EXPECT_EQ(a.marks(0), "~  ^^^^^^^^");
    EXPECT_THAT(a.details(0), HasSubstr("Kanal 3"));
    EXPECT_EQ(rows[1].text, "B\xB7\xB7-3,25");
    EXPECT_EQ(rows[1].typed, "-3,25");
    EXPECT_EQ(rows[2].typed, "nichts: keine Zahl im Wert");
    EXPECT_EQ(rows[3].channel, "-");
    EXPECT_EQ(rows[3].typed, "nichts: keine Kennung");
    // Only the first 30 characters are read, the LF among them; the rest stands behind the mark.
    EXPECT_EQ(rows[4].readLength, 29u);
    EXPECT_EQ(rows[4].text.substr(29), "\xA6xx");
    EXPECT_EQ(rows[4].typed, "1,50");

    // An identifier in every line makes several channels match.
    a.setIdentifier(2, " ");
    EXPECT_TRUE(hintHas("Die Kennung von Kanal 2 (\x84\xB7\x93) steht in jeder Zeile"));
    EXPECT_TRUE(hintHas("Zeilen von Kanal 1 nimmt TRAVEK f\xFCr Kanal 3"));
}

TEST_F(Assistant, TakesTheValueAndAnIdentifierFromTheMarkedCharacters) {
    InterfaceAssistant& a = open();
    a.receive("\nB  -3,25\r" + std::string(40, '7') + "\r");
    a.markValue(0, 3, 7);
    EXPECT_EQ(a.draft().valueStart, 4);
    EXPECT_EQ(a.draft().valueEnd, 8);
    a.markIdentifier(0, 0, 0, 2);
    EXPECT_EQ(a.draft().channels[2].identifier, "B");
    EXPECT_EQ(a.rows()[0].typed, "-3,25");

    // Nothing marked, beyond what TRAVEK reads, too long for an identifier: said, and nothing taken.
    a.markValue(0, -1, -1);
    EXPECT_TRUE(hintHas("Markieren Sie zuerst"));
    a.markIdentifier(1, 29, 31, 1);
    EXPECT_TRUE(hintHas("nur die ersten 30 Zeichen"));
    a.markIdentifier(1, 0, 5, 1);
    EXPECT_TRUE(hintHas("h\xF6"
                        "chstens 5 Zeichen"));
    EXPECT_EQ(a.draft().channels[1].identifier, "");
    EXPECT_EQ(a.draft().valueEnd, 8);
}

TEST_F(Assistant, WritesOnlyOnSpeichernAndTheFileReadsBackAsShown) {
    InterfaceAssistant& a = open();
    EXPECT_EQ(a.name(), ""); // no BOX.VAL to start from
    a.setConnection({3, 4800, 7, 2, 2, true});
    a.setChannelCount(2);
    a.setIdentifier(1, "01 A");
    a.setIdentifier(2, " B");
    a.setCommand(1, "E1#13");
    a.setCommand(2, "\"x\"");
    a.setDisableAllCommand("");
    a.setEndCharacter(10);
    a.setValuePositions(5, 12);
    a.setName("NEU");
    EXPECT_TRUE(InterfaceAssistant::templates().empty());

    EXPECT_EQ(a.save(), InterfaceAssistant::Saved::Yes);
    ASSERT_EQ(questions.size(), 1u); // to switch, which is declined
    InterfaceDefinition read;
    loadInterfaceDefinition(read, "NEU.VAL");
    EXPECT_EQ(read.portNumber, 3);
    EXPECT_EQ(read.baud, 4800);
    EXPECT_EQ(read.byteLength, 7);
    EXPECT_EQ(read.parityCode, 2);
    EXPECT_EQ(read.stopBitCode, 2);
    EXPECT_TRUE(read.useRts);
    EXPECT_EQ(read.channelIds[1], "01 A");
    EXPECT_EQ(read.channelIds[2], " B");
    EXPECT_EQ(read.channelCommands[1], "E1\r");
    EXPECT_EQ(read.channelCommands[2], "\"x\"");
    EXPECT_EQ(read.disableAllCommand, "");
    EXPECT_EQ(read.endChar1, 10);
    EXPECT_EQ(read.startPos, 5);
    EXPECT_EQ(read.endPos, 13);
    EXPECT_EQ(read.channelCount, 2);
    EXPECT_EQ(read.channelIds, a.draft().definition().channelIds);

    // Replacing is asked first; no leaves the file as it was.
    const std::string written = dir.read("NEU.VAL");
    a.setIdentifier(1, "Z");
    EXPECT_EQ(a.save(), InterfaceAssistant::Saved::No);
    EXPECT_THAT(questions.back(), HasSubstr("NEU.VAL gibt es schon"));
    EXPECT_EQ(dir.read("NEU.VAL"), written);
    answer = true;
    EXPECT_EQ(a.save(), InterfaceAssistant::Saved::YesAndSwitch);
    EXPECT_EQ(a.switchTo(), "NEU");
    EXPECT_THAT(dir.read("NEU.VAL"), HasSubstr("MW_SIGN1=Z\r\n"));
}

TEST_F(Assistant, StartsFromADefinitionAndKeepsWhatItDoesNotSet) {
    dir.write("OLD.VAL",
              "; box of line 3\r\n[PARAMETER]\r\nFAKTOR=2,5\r\nCNTCH=1\r\nMW_SIGN1=A\r\nMW_SIGN4=D\r\n"
              "[EXTRA]\r\nX=1\r\n");
    InterfaceAssistant& a = open();
    a.startFrom("OLD");
    EXPECT_EQ(a.name(), "OLD");
    // Channel 4 has an identifier: it stays in sight although CNTCH says 1.
    EXPECT_EQ(a.draft().channelCount, 4);
    a.setChannelCount(1);
    a.setName("NEW");
    a.save();
    const std::string written = dir.read("NEW.VAL");
    EXPECT_THAT(written, HasSubstr("; box of line 3\r\n"));
    EXPECT_THAT(written, HasSubstr("FAKTOR=2,5\r\n"));
    EXPECT_THAT(written, HasSubstr("[EXTRA]\r\nX=1\r\n"));
    // A channel dropped must not go on matching: identifiers are looked for in every line.
    InterfaceDefinition read;
    loadInterfaceDefinition(read, "NEW.VAL");
    EXPECT_EQ(read.channelIds[4], "");
    EXPECT_EQ(read.channelIds[1], "A");
}

TEST_F(Assistant, RefusesWhatADefinitionFileCannotHold) {
    for (const char* name : {"", "a.b", "my box", "CON", "lpt1", "x/y", "a:b", "H\xF6he"})
        EXPECT_NE(DefinitionDraft::nameProblem(name), "") << name;
    EXPECT_EQ(DefinitionDraft::nameProblem("PX5R-2_b"), "");

    InterfaceAssistant& a = open();
    a.setName("OK");
    a.setIdentifier(1, "A_"); // "_" stands for a blank
    a.setValuePositions(9, 3);
    EXPECT_EQ(a.save(), InterfaceAssistant::Saved::No);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_THAT(errors[0], HasSubstr("Kanal 1"));
    EXPECT_THAT(errors[0], HasSubstr("vor seinem Anfang"));
    EXPECT_FALSE(fileExists("OK.VAL"));
    // The file's first "_" is the first blank: an underscore after it stays one, one before it
    // cannot be told from it.
    a.setIdentifier(1, "A B_ ");
    EXPECT_FALSE(hintHas("Kanal 1 ("));
    a.setIdentifier(1, "_A B");
    EXPECT_TRUE(hintHas("Kanal 1 ("));
}

TEST_F(Assistant, SaysWhatIsWrongWithThePortAndWhatComesFromIt) {
    device->openable = false;
    InterfaceAssistant& a = open("[PARAMETER]\r\nMW_SIGN1=A\r\nMWI_SIGN1=E1\r\n");
    EXPECT_TRUE(hintHas("COM1 l\xE4sst sich nicht \xF6"
                        "ffnen"));
    a.sendChannelCommand(1);
    EXPECT_TRUE(hintHas("nichts gesendet"));
    device->openable = true;
    a.openPort();
    EXPECT_TRUE(hintHas("COM1 ist offen"));
    loop.advance(InterfaceAssistant::SilenceLimit);
    EXPECT_TRUE(hintHas("Seit 5 Sekunden kommt nichts"));

    // The LF of a CR LF end waits for its line; lines ended by LF alone are said to be.
    a.receive("A+1\r\n");
    loop.advance(std::chrono::seconds(3));
    EXPECT_EQ(a.rows().size(), 1u);
    EXPECT_FALSE(hintHas("Seit 5 Sekunden"));
    // A box that ends its lines with LF alone never pauses long: they show all the same.
    a.receive("A+2\n");
    loop.advance(std::chrono::milliseconds(1000));
    a.receive("A+3\n");
    loop.advance(AssistantLines::UnendedWait - std::chrono::milliseconds(1000));
    EXPECT_EQ(a.rows().back().typed, "nichts: kein CR am Ende");
    EXPECT_TRUE(hintHas("mit LF statt mit CR"));

    a.receive(std::string("\x03\xF0\xFF\x81\x00\x9Ar\x13\xFE\xE0\x01\x02\x11\x7F\x80\x90\x05", 17));
    EXPECT_TRUE(hintHas("zum gro\xDF"
                        "en Teil kein Text"));

    // "Senden": the command with the end character, as the initialisation sends it, and listed.
    a.sendChannelCommand(1);
    EXPECT_EQ(device->written, "E1\r");
    EXPECT_EQ(a.rows().back().typed, "gesendet");
    EXPECT_THAT(a.details(static_cast<int>(a.rows().size()) - 1), HasSubstr("E1<CR>"));
}

} // namespace
