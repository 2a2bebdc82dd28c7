#include "GaugeBox.h"
#include "ValueSource.h"
#include "support/ReceivingEnd.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>

using namespace travek;
using namespace travek::sim;
using testing::ElementsAre;
using testing::HasSubstr;

namespace {

// A definition as the project's loader reads it from a .VAL file (CR LF lines).
InterfaceDefinition loadDefinition(const std::vector<std::string>& lines) {
    test::TempDir dir;
    std::string content = "[PARAMETER]\r\n";
    for (const std::string& line : lines)
        content += line + "\r\n";
    dir.write("BOX.VAL", content);
    InterfaceDefinition definition;
    loadInterfaceDefinition(definition, dir.file("BOX.VAL"));
    return definition;
}

const std::vector<std::string> FourChannels = {
    "MW_SIGN1=A:",  "MW_SIGN2=B:",  "MW_SIGN3=C:",  "MW_SIGN4=D:", "MWI_SIGN1=E1",
    "MWI_SIGN2=E2", "MWI_SIGN3=E3", "MWI_SIGN4=E4", "DISALL=D0",
};

std::vector<CommandResult::Kind> kinds(const std::vector<CommandResult>& results) {
    std::vector<CommandResult::Kind> out;
    for (const auto& r : results)
        out.push_back(r.Result);
    return out;
}

} // namespace

// ---- commands ------------------------------------------------------------------------------------

TEST(GaugeBoxCommands, InitialisationSwitchesExactlyTheCommandedChannels) {
    const InterfaceDefinition d = loadDefinition(FourChannels);
    GaugeBox box(d, {});
    box.switchOn(4);
    // What TRAVEK sends for a sequence using channels 3 and 1: disable-all, then by rising channel.
    const auto results = box.receive("D0\rE1\rE3\r");
    EXPECT_THAT(kinds(results),
                ElementsAre(CommandResult::AllOff, CommandResult::ChannelOn, CommandResult::ChannelOn));
    EXPECT_THAT(box.activeChannels(), ElementsAre(1, 3));
    EXPECT_EQ(results[0].describe(), "command \"D0\" -> all channels off");
    EXPECT_EQ(results[2].describe(), "command \"E3\" -> channel 3 on");

    box.receive("D0\r");
    EXPECT_TRUE(box.activeChannels().empty());
}

TEST(GaugeBoxCommands, CommandsSplitOverChunksAndOtherEndCharacters) {
    std::vector<std::string> lines = FourChannels;
    lines.push_back("ENDCHAR1=0");
    const InterfaceDefinition d = loadDefinition(lines);
    GaugeBox box(d, {});
    EXPECT_TRUE(box.receive(std::string("D0\0E", 4)).size() == 1);
    EXPECT_TRUE(box.activeChannels().empty());
    const auto results = box.receive(std::string("2\0", 2));
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].Result, CommandResult::ChannelOn);
    EXPECT_THAT(box.activeChannels(), ElementsAre(2));
    // A CR is an ordinary character of a command when it is not the end character.
    EXPECT_EQ(box.receive(std::string("E1\r\0", 4)).at(0).Result, CommandResult::Unknown);
}

TEST(GaugeBoxCommands, UnknownCommandsChangeNothingAndAreNamed) {
    const InterfaceDefinition d = loadDefinition(FourChannels);
    GaugeBox box(d, {});
    box.receive("E2\r");
    const auto results = box.receive("E9\rX\x01\r");
    EXPECT_THAT(kinds(results), ElementsAre(CommandResult::Unknown, CommandResult::Unknown));
    EXPECT_EQ(results[1].describe(), "command \"X\\x01\" -> unknown");
    EXPECT_THAT(box.activeChannels(), ElementsAre(2));
}

TEST(GaugeBoxCommands, CommandHoldingTheEndCharacterIsTakenWhole) {
    // "#13" puts a CR into the command, and CR is also the end character: E1 CR CR on the line.
    std::vector<std::string> lines = FourChannels;
    lines[4] = "MWI_SIGN1=E1#13";
    const InterfaceDefinition d = loadDefinition(lines);
    GaugeBox box(d, {});
    auto results = box.receive("E1\r");
    EXPECT_TRUE(results.empty()); // could still be the start of channel 1's command
    results = box.receive("\rE2\r");
    EXPECT_THAT(kinds(results), ElementsAre(CommandResult::ChannelOn, CommandResult::ChannelOn));
    EXPECT_THAT(box.activeChannels(), ElementsAre(1, 2));
}

TEST(GaugeBoxCommands, EmptyCommandMapsOnlyWhenOneChannelCanUseIt) {
    // Channel 2 has an identifier and no command (a box whose channel 2 needs no switching);
    // channels 5..48 have neither, and an empty command is what TRAVEK sends for them too.
    const InterfaceDefinition single = loadDefinition({"MW_SIGN1=A:", "MWI_SIGN1=E1", "MW_SIGN2=B:"});
    GaugeBox box(single, {});
    auto results = box.receive("\r");
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].describe(), "command \"\" -> channel 2 on");

    const InterfaceDefinition two = loadDefinition({"MW_SIGN1=A:", "MW_SIGN2=B:"});
    GaugeBox ambiguous(two, {});
    results = ambiguous.receive("\r");
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].Result, CommandResult::Ambiguous);
    EXPECT_THAT(results[0].Channels, ElementsAre(1, 2));
    EXPECT_TRUE(ambiguous.activeChannels().empty());
}

TEST(GaugeBoxCommands, CommandOfChannelWithoutIdentifierLeavesItOff) {
    const InterfaceDefinition d = loadDefinition({"MW_SIGN1=A:", "MWI_SIGN1=E1", "MWI_SIGN5=E5"});
    GaugeBox box(d, {});
    const auto results = box.receive("E5\r");
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].Result, CommandResult::NoIdentifier);
    EXPECT_THAT(results[0].describe(), HasSubstr("MW_SIGN5 is empty"));
    EXPECT_TRUE(box.activeChannels().empty());
}

TEST(GaugeBoxCommands, EndlessGarbageDoesNotGrowTheCommandBuffer) {
    const InterfaceDefinition d = loadDefinition(FourChannels);
    GaugeBox box(d, {});
    const auto results = box.receive(std::string(1000, 'x'));
    EXPECT_FALSE(results.empty());
    EXPECT_EQ(box.receive("E3\r").back().Result, CommandResult::Unknown); // garbage before it
    EXPECT_EQ(box.receive("E3\r").back().Result, CommandResult::ChannelOn);
}

// ---- lines read back by TRAVEK's receive path ---------------------------------------------------

struct LayoutCase {
    const char* name;
    std::vector<std::string> definition;
    LineStyle style;
};

// Test lists show the case's name rather than its bytes.
void PrintTo(const LayoutCase& c, std::ostream* os) {
    *os << c.name;
}

class GaugeBoxRoundTrip : public testing::TestWithParam<LayoutCase> {};

TEST_P(GaugeBoxRoundTrip, EveryLineIsReadAsItsChannelWithItsValue) {
    const LayoutCase& c = GetParam();
    test::ReceivingEnd travek;
    travek.definition = loadDefinition(c.definition);
    const InterfaceDefinition boxDefinition = travek.definition;
    GaugeBox box(boxDefinition, c.style);
    travek.decimals = static_cast<std::uint8_t>(c.style.Decimals);
    box.receive("D0\rE1\rE2\rE3\rE4\r");
    ASSERT_THAT(box.activeChannels(), ElementsAre(1, 2, 3, 4));
    travek.expect({1, 2, 3, 4});

    // Values with the texts TRAVEK types for them with 3 and with 2 decimals.
    struct Sample {
        double value;
        std::string typed3, typed2;
    };
    const std::vector<Sample> values = {
        {12.346, "12,346", "12,35"}, {-0.5, "-0,500", "-0,50"},      {0, "0,000", "0,00"},
        {99.991, "99,991", "99,99"}, {-88.126, "-88,126", "-88,13"}, {7, "7,000", "7,00"},
        {0.004, "0,004", "0,00"},    {-5.25, "-5,250", "-5,25"},
    };
    std::vector<std::string> expectedTyped, expectedIdentified;
    std::size_t i = 0;
    for (int round = 0; round < 2; ++round) {
        for (int channel : box.activeChannels()) {
            const Sample& sample = values[i++ % values.size()];
            const std::string& text = c.style.Decimals == 2 ? sample.typed2 : sample.typed3;
            const std::string line = box.lineText(channel, sample.value);
            EXPECT_LE(line.size(), box.maxLineLength()) << line;
            EXPECT_EQ(box.identify(line), channel) << line;
            travek.feed(line + box.lineEnd());
            expectedTyped.push_back(text);
            expectedIdentified.push_back(std::to_string(channel) + " [OK]");
        }
    }
    EXPECT_EQ(travek.typed, expectedTyped);
    EXPECT_EQ(travek.identified, expectedIdentified);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, GaugeBoxRoundTrip,
    testing::Values(
        // The identifier before the value field.
        LayoutCase{"IdBeforeField",
                   {"MW_SIGN1=A:", "MW_SIGN2=B:", "MW_SIGN3=C:", "MW_SIGN4=D:", "MWI_SIGN1=E1",
                    "MWI_SIGN2=E2", "MWI_SIGN3=E3", "MWI_SIGN4=E4", "STARTPOS=4", "ENDPOS=12"},
                   {3, ',', false}},
        LayoutCase{"IdBeforeFieldCrLf",
                   {"MW_SIGN1=A:", "MW_SIGN2=B:", "MW_SIGN3=C:", "MW_SIGN4=D:", "MWI_SIGN1=E1",
                    "MWI_SIGN2=E2", "MWI_SIGN3=E3", "MWI_SIGN4=E4", "STARTPOS=4", "ENDPOS=12"},
                   {3, '.', true}},
        // Identifiers with blanks ("_"), a value field from position 1: identifiers after it.
        LayoutCase{"IdAfterField",
                   {"MW_SIGN1=_K1", "MW_SIGN2=_K2", "MW_SIGN3=_K3", "MW_SIGN4=_K4", "MWI_SIGN1=E1",
                    "MWI_SIGN2=E2", "MWI_SIGN3=E3", "MWI_SIGN4=E4", "STARTPOS=1", "ENDPOS=10"},
                   {3, ',', false}},
        LayoutCase{"IdAfterFieldCrLf",
                   {"MW_SIGN1=_K1", "MW_SIGN2=_K2", "MW_SIGN3=_K3", "MW_SIGN4=_K4", "MWI_SIGN1=E1",
                    "MWI_SIGN2=E2", "MWI_SIGN3=E3", "MWI_SIGN4=E4", "STARTPOS=1", "ENDPOS=10"},
                   {2, ',', true}},
        // The default field (positions 4..13) and identifiers with an inner blank that fill
        // the positions before it.
        LayoutCase{"DefaultField",
                   {"MW_SIGN1=K_1", "MW_SIGN2=K_2", "MW_SIGN3=K_3", "MW_SIGN4=K_4", "MWI_SIGN1=E1",
                    "MWI_SIGN2=E2", "MWI_SIGN3=E3", "MWI_SIGN4=E4"},
                   {3, '.', false}},
        // A field that runs past what TRAVEK reads: the value must end before position 30, or
        // 29 with CR LF, where the LF of the previous line takes a place.
        LayoutCase{"FieldPastTheEnd",
                   {"MW_SIGN1=Ch1", "MW_SIGN2=Ch2", "MW_SIGN3=Ch3", "MW_SIGN4=Ch4", "MWI_SIGN1=E1",
                    "MWI_SIGN2=E2", "MWI_SIGN3=E3", "MWI_SIGN4=E4", "STARTPOS=22", "ENDPOS=40"},
                   {3, ',', false}},
        LayoutCase{"FieldPastTheEndCrLf",
                   {"MW_SIGN1=Ch1", "MW_SIGN2=Ch2", "MW_SIGN3=Ch3", "MW_SIGN4=Ch4", "MWI_SIGN1=E1",
                    "MWI_SIGN2=E2", "MWI_SIGN3=E3", "MWI_SIGN4=E4", "STARTPOS=22", "ENDPOS=40"},
                   {3, ',', true}}),
    [](const testing::TestParamInfo<LayoutCase>& info) { return std::string(info.param.name); });

TEST(GaugeBoxLines, ValueStandsRightAlignedInItsField) {
    const InterfaceDefinition d = loadDefinition({"MW_SIGN2=B", "STARTPOS=4", "ENDPOS=12"});
    GaugeBox box(d, {3, ',', false});
    EXPECT_EQ(box.lineText(2, 12.345), "B    +12,345");
    EXPECT_EQ(box.lineText(2, -0.0001), "B     +0,000"); // never "-0"
    GaugeBox point(d, {0, '.', false});
    EXPECT_EQ(point.lineText(2, -7), "B         -7");
}

TEST(GaugeBoxLines, ImpossibleLayoutsAreRefusedWithTheReason) {
    const InterfaceDefinition narrow = loadDefinition({"MW_SIGN1=A", "STARTPOS=4", "ENDPOS=8"});
    GaugeBox box(narrow, {2, ',', false});
    EXPECT_NO_THROW(box.lineText(1, 1.5));            // +1,50: five characters, positions 4..8
    EXPECT_THROW(box.lineText(1, 12.5), LayoutError); // +12,50: six
    EXPECT_THAT(box.layoutProblem(1, 7), HasSubstr("holds 5 characters"));
    EXPECT_THAT(box.layoutProblem(2, 5), HasSubstr("no identifier"));
    EXPECT_THAT(box.layoutProblem(49, 5), HasSubstr("no channel 49"));

    // Five characters do not fit before position 3, nor after a field that ends at 29.
    const InterfaceDefinition crowded = loadDefinition({"MW_SIGN1=ABCDE", "STARTPOS=3", "ENDPOS=26"});
    EXPECT_THAT(GaugeBox(crowded, {}).layoutProblem(1, 7), HasSubstr("fits neither before"));
    // A field up to position 28 leaves two places after it, and with CR LF only one.
    const InterfaceDefinition tight = loadDefinition({"MW_SIGN1=AB", "STARTPOS=2", "ENDPOS=28"});
    EXPECT_EQ(GaugeBox(tight, {3, ',', false}).layoutProblem(1, 7), "");
    EXPECT_THAT(GaugeBox(tight, {3, ',', true}).layoutProblem(1, 7), HasSubstr("fits neither"));

    const InterfaceDefinition empty = loadDefinition({"MW_SIGN1=A", "STARTPOS=9", "ENDPOS=7"});
    EXPECT_THAT(GaugeBox(empty, {}).layoutProblem(1, 1), HasSubstr("is empty"));
}

TEST(GaugeBoxLines, IdentifierOfAnotherChannelInTheLineIsRefused) {
    // TRAVEK takes the highest channel whose identifier occurs: "1 " is in every line of "1".
    const InterfaceDefinition d = loadDefinition({"MW_SIGN1=1", "MW_SIGN2=1_"});
    GaugeBox box(d, {});
    EXPECT_THAT(box.layoutProblem(1, 7), HasSubstr("as channel 2"));
    EXPECT_EQ(box.layoutProblem(2, 7), "");
    // Value-dependent collisions are not the layout's fault, but identify() tells them.
    const InterfaceDefinition digits = loadDefinition({"MW_SIGN1=A", "MW_SIGN2=7"});
    GaugeBox digitBox(digits, {});
    EXPECT_EQ(digitBox.identify(digitBox.lineText(1, 7)), 2);
}

// ---- values ---------------------------------------------------------------------------------------

TEST(ValueSource, RandomWalkStaysInItsRangeAndRepeatsWithItsSeed) {
    ValueSource a = ValueSource::randomWalk(-2, 3, 2, 42);
    ValueSource b = ValueSource::randomWalk(-2, 3, 2, 42);
    bool moved = false;
    double previous = 0;
    for (int i = 0; i < 500; ++i) {
        const double v = a.next(1 + i % 3);
        EXPECT_EQ(v, b.next(1 + i % 3));
        EXPECT_GE(v, -2);
        EXPECT_LE(v, 3);
        EXPECT_DOUBLE_EQ(v, std::round(v * 100) / 100);
        moved |= i > 0 && v != previous;
        previous = v;
    }
    EXPECT_TRUE(moved);
    EXPECT_THAT(a.extremes(), ElementsAre(-2, 3));
}

TEST(ValueSource, ListIsUsedInOrderAndAgain) {
    test::TempDir dir;
    dir.write("values.txt", "1,5\r\n\r\n -2.25 \n3");
    ValueSource s = ValueSource::fixedList(ValueSource::readValueFile(dir.file("values.txt")), 1);
    std::vector<double> got;
    for (int i = 0; i < 5; ++i)
        got.push_back(s.next(1 + i));
    EXPECT_THAT(got, ElementsAre(1.5, -2.3, 3, 1.5, -2.3)); // rounded to one decimal

    dir.write("bad.txt", "1\n2\nabc\n");
    try {
        ValueSource::readValueFile(dir.file("bad.txt"));
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_THAT(e.what(), HasSubstr("line 3"));
    }
    dir.write("blank.txt", "\n \n");
    EXPECT_THROW(ValueSource::readValueFile(dir.file("blank.txt")), std::runtime_error);
    EXPECT_THROW(ValueSource::readValueFile(dir.file("missing.txt")), std::runtime_error);
}
