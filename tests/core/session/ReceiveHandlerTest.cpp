#include "core/session/ReceiveHandler.h"
#include "core/text/KeyString.h"
#include "core/text/Error.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <utility>

using namespace travek;
using testing::ElementsAre;

namespace {

// The state that the main window hands to the handler, with typed texts and panels recorded.
struct Bench {
    InterfaceDefinition definition;
    SequenceTable table;
    SeriesSettings series;
    std::uint8_t NK = 3;
    char separator = DefaultKeySeparator;
    std::vector<std::string> typed;
    std::map<int, std::string> panels;
    int panel5Updates = 0;
    // Runs inside each SendKeys call, as the event loop does while a real keyboard types.
    std::function<void()> whileTyping;
    ReceiveHandler handler{definition, table, series, NK, separator,
                           {[this](std::string_view k) {
                                typed.emplace_back(k);
                                if (whileTyping)
                                    std::exchange(whileTyping, nullptr)();
                            },
                            [this](int p, const std::string& t) {
                                panels[p] = t;
                                panel5Updates += p == 5;
                            }}};

    Bench() {
        definition.StartPos = 4;
        definition.EndPos = 13;
        definition.ChannelIds[2] = "B";
    }
    void steps(std::initializer_list<std::pair<int, const char*>> s) {
        int n = 0;
        for (auto [channel, keys] : s) {
            ++n;
            table.StepChannel[n] = channel;
            table.StepKeys[n] = keys;
        }
        table.StepCount = n;
        table.CurrentStep = 1;
    }
    void feed(std::string_view bytes) { handler.receive(bytes.data(), static_cast<std::int32_t>(bytes.size())); }
};

} // namespace

TEST(ReceiveHandler, WorkedExample) {
    Bench b;
    b.steps({{2, "{TAB};"}});
    b.feed("\nB: +012,345 \r");
    EXPECT_EQ(b.panels[5], "B: +012,345 ");
    EXPECT_EQ(b.panels[4], "2 [OK]");
    EXPECT_EQ(b.definition.ValueText, "+012,345 ");
    EXPECT_THAT(b.typed, ElementsAre("12,345", "{TAB}"));
    EXPECT_EQ(b.table.CurrentStep, 1); // one step: wraps
    EXPECT_EQ(b.panels[3], "1");
    EXPECT_EQ(b.definition.LineBuffer, "");
}

TEST(ReceiveHandler, EverySplitOfTheBytesGivesTheSameResult) {
    const std::string bytes = "\nB: +012,345 \r\nB: 7,5\r\nX: 1\r\nB:  -0,0004 \r\nB: 1";
    std::vector<std::string> whole;
    {
        Bench b;
        b.steps({{2, "{TAB};"}, {2, "{ENTER};"}});
        b.feed(bytes);
        whole = b.typed;
    }
    ASSERT_EQ(whole.size(), 6u);
    for (std::size_t cut1 = 0; cut1 <= bytes.size(); ++cut1)
        for (std::size_t cut2 = cut1; cut2 <= bytes.size(); cut2 += 3) {
            Bench b;
            b.steps({{2, "{TAB};"}, {2, "{ENTER};"}});
            b.feed(std::string_view(bytes).substr(0, cut1));
            b.feed(std::string_view(bytes).substr(cut1, cut2 - cut1));
            b.feed(std::string_view(bytes).substr(cut2));
            ASSERT_EQ(b.typed, whole) << cut1 << "/" << cut2;
            ASSERT_EQ(b.definition.LineBuffer, "\nB: 1");
        }
}

TEST(ReceiveHandler, LinesAreCutTo30CharactersBeforeTheLineFeedGoes) {
    Bench b;
    b.definition.ChannelIds[3] = "ZZ";
    b.steps({{2, ""}});
    // The identifier ZZ stands after position 30 and is not seen; the LF counts in the 30.
    b.feed("\n" + std::string(29, 'x') + "ZZ\r");
    EXPECT_EQ(b.panels[5], std::string(29, 'x'));
    EXPECT_EQ(b.panels.count(4), 0u);
    b.feed("\r");
    EXPECT_EQ(b.panels[5], "");
    EXPECT_EQ(b.panel5Updates, 2);
}

TEST(ReceiveHandler, HighestIdentifierWins) {
    Bench b;
    b.definition.ChannelIds[1] = "1";
    b.definition.ChannelIds[12] = "12";
    b.definition.ChannelIds[2].clear();
    b.feed("12 5\r");
    EXPECT_EQ(b.panels[4], "12 [OK]");
    b.feed("1  5\r");
    EXPECT_EQ(b.panels[4], "1 [OK]");
    b.feed("none\r");
    EXPECT_EQ(b.panels[4], "1 [OK]"); // keeps the last identified channel
    EXPECT_EQ(b.panels[5], "none");
}

TEST(ReceiveHandler, ValueCutRules) {
    Bench b;
    b.steps({{2, ""}});
    b.definition.StartPos = 0; // taken as 1, the count stays EndPos - StartPos
    b.definition.EndPos = 3;
    b.feed("12B\r");
    EXPECT_EQ(b.definition.ValueText, "12B");
    b.definition.StartPos = 5;
    b.definition.EndPos = 5;
    b.feed("B 123456\r");
    EXPECT_EQ(b.definition.ValueText, "");
    b.definition.EndPos = 4;
    b.feed("B 123456\r");
    EXPECT_EQ(b.definition.ValueText, "");
    b.definition.StartPos = 40;
    b.definition.EndPos = 50;
    b.feed("B 123456\r");
    EXPECT_EQ(b.definition.ValueText, "");
    b.definition.StartPos = 3;
    b.definition.EndPos = 200;
    b.feed("B 123456\r");
    EXPECT_EQ(b.definition.ValueText, "123456");
    EXPECT_THAT(b.typed, ElementsAre("12,000", "123456,000"));
}

TEST(ReceiveHandler, TextWithoutANumberTypesNothingAndKeepsTheStep) {
    Bench b;
    b.steps({{2, "{TAB};"}, {2, "{ENTER};"}});
    b.feed("B: ERR\r");
    b.feed("B:\r");
    EXPECT_TRUE(b.typed.empty());
    EXPECT_EQ(b.table.CurrentStep, 1);
    EXPECT_EQ(b.panels[4], "2 [OK]");
    EXPECT_EQ(b.panels[5], "B:");
    b.feed("B: 12,5mm\r"); // a unit after the number is ignored
    EXPECT_THAT(b.typed, ElementsAre("12,500", "{TAB}"));
    EXPECT_EQ(b.table.CurrentStep, 2);
}

TEST(ReceiveHandler, OtherChannelsAndEmptyTablesTypeNothing) {
    Bench b;
    b.definition.ChannelIds[1] = "A";
    b.steps({{2, "{TAB};"}});
    b.feed("A: 1,0\r");
    EXPECT_TRUE(b.typed.empty());
    EXPECT_EQ(b.panels[4], "1 [OK]");
    b.table.StepCount = 0;
    b.feed("B: 1,0\r");
    EXPECT_TRUE(b.typed.empty());
    EXPECT_EQ(b.series.ValueCounter, 0);
}

TEST(ReceiveHandler, SeriesStringAndWrapAndEmptyPieces) {
    Bench b;
    b.NK = 1;
    b.series.ValXCount = 2;
    b.series.SeriesString = "{ENTER};";
    b.steps({{2, "{TAB};;"}, {2, "x;"}, {2, ""}});
    b.feed("B: 1\rB: 2\rB: 3\r");
    EXPECT_THAT(b.typed, ElementsAre("1,0", "{TAB}", "2,0", "x", "{ENTER}", "3,0"));
    EXPECT_EQ(b.table.CurrentStep, 1);
    EXPECT_EQ(b.panels[3], "1");
    EXPECT_EQ(b.series.ValueCounter, 1);
}

TEST(ReceiveHandler, LineBufferStaysBoundedWithoutCR) {
    Bench b;
    b.steps({{2, ""}});
    const std::string junk(1 << 20, 'B');
    for (int i = 0; i < 20; ++i)
        b.feed(junk);
    EXPECT_LE(b.definition.LineBuffer.size(), ReceiveHandler::MaxLineLength);
    b.feed("\r\nB: 4,5\r");
    EXPECT_THAT(b.typed, ElementsAre("4,500"));
}

TEST(ReceiveHandler, ChunksArrivingWhileTypingWaitForTheDispatch) {
    // The keyboard lets the event loop run while it types; the driver then delivers the next
    // chunk in the middle of a value. It must be typed after the value, never inside it.
    Bench b;
    b.steps({{2, "{TAB};"}, {2, "{ENTER};"}, {2, ";"}});
    int nested = 0;
    std::vector<std::string> typed;
    ReceiveHandler* handler = nullptr;
    ReceiveHandler reentrant(b.definition, b.table, b.series, b.NK, b.separator,
                             {[&](std::string_view k) {
                                  typed.emplace_back(k);
                                  if (nested < 100) { // every SendKeys call sees the next line arrive
                                      ++nested;
                                      const std::string line = "B: " + std::to_string(nested) + "\r";
                                      handler->receive(line.data(), static_cast<std::int32_t>(line.size()));
                                  }
                              },
                              {}});
    handler = &reentrant;
    reentrant.receive("B: 0\r", 5);
    // 101 values, each followed by its step's key, in the order they arrived.
    std::vector<std::string> expected;
    const char* keys[] = {"{TAB}", "{ENTER}", nullptr};
    for (int v = 0; v <= 100; ++v) {
        expected.push_back(std::to_string(v) + ",000");
        if (keys[v % 3])
            expected.push_back(keys[v % 3]);
    }
    EXPECT_EQ(typed, expected);
}

TEST(ReceiveHandler, BurstOfLinesOverThreeStepsWithSeries) {
    Bench b;
    b.definition.ChannelIds[1] = "A";
    b.definition.ChannelIds[3] = "C";
    b.steps({{1, "{TAB};"}, {3, "{TAB};"}, {2, "{ENTER};"}});
    b.series.ValXCount = 7;
    b.series.SeriesString = "{DOWN};{HOME};";
    std::string burst;
    const char ids[] = {'A', 'C', 'B'};
    for (int i = 0; i < 100; ++i)
        burst += std::string(1, ids[i % 3]) + ": " + std::to_string(i) + ",5\r\n";
    b.feed(burst);
    std::vector<std::string> expected;
    for (int i = 0; i < 100; ++i) {
        expected.push_back(std::to_string(i) + ",500");
        expected.push_back(i % 3 == 2 ? "{ENTER}" : "{TAB}");
        if ((i + 1) % 7 == 0) {
            expected.push_back("{DOWN}");
            expected.push_back("{HOME}");
        }
    }
    EXPECT_EQ(b.typed, expected);
    EXPECT_EQ(b.table.CurrentStep, 100 % 3 + 1);
}

// The port is lost and opened anew while a value is typed: what the old device sent and was not
// handled yet (the rest of the chunk being handled, a chunk held back meanwhile) is gone, and the
// new device's first line is read as it is.
TEST(ReceiveHandler, BytesOfALostDeviceNeverStickToTheNextDevicesFirstLine) {
    Bench b;
    b.steps({{2, "{TAB};"}});
    b.whileTyping = [&b] {
        b.feed("     1");
        b.handler.dropReceived();
    };
    b.feed("B: 1,5\rB: 9");
    b.feed("B: 7,777\r");
    EXPECT_THAT(b.typed, ElementsAre("1,500", "{TAB}", "7,777", "{TAB}"));
}

// Where the keyboard fails, the outcome says which part, and keeps the value when it went out:
// nothing after the failure is sent, so no Tab moves the form on past a missing value.
TEST(ReceiveHandler, AFailureNamesThePartItHitAndStopsTheLine) {
    InterfaceDefinition definition;
    definition.StartPos = 4;
    definition.EndPos = 13;
    definition.ChannelIds[2] = "B";
    SequenceTable table;
    table.StepChannel[1] = 2;
    table.StepKeys[1] = "{TAB};{TAB};";
    table.StepCount = 1;
    table.CurrentStep = 1;
    SeriesSettings series;
    series.ValXCount = 1;
    series.SeriesString = "---;";
    std::uint8_t nk = 2;
    std::vector<std::string> sent;
    std::string failOn;
    std::vector<LineOutcome> outcomes;
    ReceiveHandler handler(definition, table, series, nk, ';',
                           {[&](std::string_view keys) {
                                if (keys == failOn)
                                    throw Error("gone");
                                sent.emplace_back(keys);
                            },
                            {}, [&](const LineOutcome& outcome) { outcomes.push_back(outcome); }});
    auto line = [&](const std::string& failing) {
        failOn = failing;
        sent.clear();
        handler.receive("B: 1,5\r", 7);
    };
    line("{TAB}");
    EXPECT_THAT(sent, ElementsAre("1,50"));
    line("---");
    EXPECT_THAT(sent, ElementsAre("1,50", "{TAB}", "{TAB}"));
    line("1,50");
    EXPECT_TRUE(sent.empty());
    ASSERT_EQ(outcomes.size(), 3u);
    EXPECT_EQ(outcomes[0].failedPart, LineOutcome::Part::StepKeys);
    EXPECT_EQ(outcomes[0].typed, "1,50");
    EXPECT_EQ(outcomes[1].failedPart, LineOutcome::Part::SeriesString);
    EXPECT_EQ(outcomes[1].typed, "1,50");
    EXPECT_EQ(outcomes[2].failedPart, LineOutcome::Part::Value);
    EXPECT_EQ(outcomes[2].typed, "");
    for (const LineOutcome& outcome : outcomes) {
        EXPECT_EQ(outcome.note, LineOutcome::Note::NotTyped);
        EXPECT_EQ(outcome.failure, "gone");
    }
}
