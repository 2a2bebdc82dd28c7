#include "core/session/ReceiveHandler.h"
#include "core/gauge/LineReading.h"
#include "support/ReceivingEnd.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace travek;
using testing::ElementsAre;

namespace {

// The receive path with a box whose channel 2 is "B" and whose value stands at 4..12.
struct Bench : test::ReceivingEnd {
    Bench() {
        definition.startPos = 4;
        definition.endPos = 13;
        definition.channelIds[2] = "B";
    }
};

} // namespace

TEST(ReceiveHandler, WorkedExample) {
    Bench b;
    b.steps({{2, "{TAB};"}});
    b.feed("\nB: +012,345 \r");
    EXPECT_EQ(b.panels[StatusPanel::Line], "B: +012,345 ");
    EXPECT_EQ(b.panels[StatusPanel::Channel], "2 [OK]");
    EXPECT_THAT(b.typed, ElementsAre("12,345", "{TAB}"));
    EXPECT_EQ(b.table.currentStep, 1); // one step: wraps
    EXPECT_EQ(b.panels[StatusPanel::CurrentStep], "1");
    EXPECT_EQ(b.handler.partialLine(), "");
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
            ASSERT_EQ(b.handler.partialLine(), "\nB: 1");
        }
}

TEST(ReceiveHandler, LinesAreCutTo30CharactersBeforeTheLineFeedGoes) {
    Bench b;
    b.definition.channelIds[3] = "ZZ";
    b.steps({{2, ""}});
    // The identifier ZZ stands after position 30 and is not seen; the LF counts in the 30.
    b.feed("\n" + std::string(29, 'x') + "ZZ\r");
    EXPECT_EQ(b.panels[StatusPanel::Line], std::string(29, 'x'));
    EXPECT_EQ(b.panels.count(StatusPanel::Channel), 0u);
    b.feed("\r");
    EXPECT_EQ(b.panels[StatusPanel::Line], "");
    EXPECT_EQ(b.lineUpdates, 2);
}

TEST(ReceiveHandler, HighestIdentifierWins) {
    Bench b;
    b.definition.channelIds[1] = "1";
    b.definition.channelIds[12] = "12";
    b.definition.channelIds[2].clear();
    b.feed("12 5\r");
    EXPECT_EQ(b.panels[StatusPanel::Channel], "12 [OK]");
    b.feed("1  5\r");
    EXPECT_EQ(b.panels[StatusPanel::Channel], "1 [OK]");
    b.feed("none\r");
    EXPECT_EQ(b.panels[StatusPanel::Channel], "1 [OK]"); // keeps the last identified channel
    EXPECT_EQ(b.panels[StatusPanel::Line], "none");
}

TEST(LineReading, ValueCutRules) {
    InterfaceDefinition d;
    d.channelIds[2] = "B";
    auto cut = [&d](int start, int end, const char* line) {
        d.startPos = static_cast<std::uint8_t>(start);
        d.endPos = static_cast<std::uint8_t>(end);
        return readLine(d, line).valueText;
    };
    EXPECT_EQ(cut(0, 3, "12B"), "12B"); // 0 is taken as 1, the count stays endPos - startPos
    EXPECT_EQ(cut(5, 5, "B 123456"), "");
    EXPECT_EQ(cut(5, 4, "B 123456"), "");
    EXPECT_EQ(cut(40, 50, "B 123456"), "");
    EXPECT_EQ(cut(3, 200, "B 123456"), "123456");
    EXPECT_EQ(cut(4, 13, "\nB: +012,345 "), "+012,345 ");
    EXPECT_EQ(*readLine(d, "B: 12,5").value, 12.5);
    EXPECT_EQ(readLine(d, "X: 12,5").valueText, ""); // no channel, no value
}

TEST(ReceiveHandler, TextWithoutANumberTypesNothingAndKeepsTheStep) {
    Bench b;
    b.steps({{2, "{TAB};"}, {2, "{ENTER};"}});
    b.feed("B: ERR\r");
    b.feed("B:\r");
    EXPECT_TRUE(b.typed.empty());
    EXPECT_EQ(b.table.currentStep, 1);
    EXPECT_EQ(b.panels[StatusPanel::Channel], "2 [OK]");
    EXPECT_EQ(b.panels[StatusPanel::Line], "B:");
    b.feed("B: 12,5mm\r"); // a unit after the number is ignored
    EXPECT_THAT(b.typed, ElementsAre("12,500", "{TAB}"));
    EXPECT_EQ(b.table.currentStep, 2);
}

TEST(ReceiveHandler, OtherChannelsAndEmptyTablesTypeNothing) {
    Bench b;
    b.definition.channelIds[1] = "A";
    b.steps({{2, "{TAB};"}});
    b.feed("A: 1,0\r");
    EXPECT_TRUE(b.typed.empty());
    EXPECT_EQ(b.panels[StatusPanel::Channel], "1 [OK]");
    b.table.stepCount = 0;
    b.feed("B: 1,0\r");
    EXPECT_TRUE(b.typed.empty());
    EXPECT_EQ(b.series.valueCounter, 0);
}

TEST(ReceiveHandler, SeriesStringAndWrapAndEmptyPieces) {
    Bench b;
    b.decimals = 1;
    b.series.valuesPerSeries = 2;
    b.series.seriesString = "{ENTER};";
    b.steps({{2, "{TAB};;"}, {2, "x;"}, {2, ""}});
    b.feed("B: 1\rB: 2\rB: 3\r");
    EXPECT_THAT(b.typed, ElementsAre("1,0", "{TAB}", "2,0", "x", "{ENTER}", "3,0"));
    EXPECT_EQ(b.table.currentStep, 1);
    EXPECT_EQ(b.panels[StatusPanel::CurrentStep], "1");
    EXPECT_EQ(b.series.valueCounter, 1);
}

TEST(ReceiveHandler, LineBufferStaysBoundedWithoutCR) {
    Bench b;
    b.steps({{2, ""}});
    const std::string junk(1 << 20, 'B');
    for (int i = 0; i < 20; ++i)
        b.feed(junk);
    EXPECT_LE(b.handler.partialLine().size(), LineReading::MaxLength);
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
    ReceiveHandler reentrant(b.definition, b.table, b.series, b.decimals, b.separator,
                             {[&](std::string_view k) {
                                  typed.emplace_back(k);
                                  // Every sendKeys call sees the next line arrive; no more wait at
                                  // once than may (MaxWaitingLines).
                                  if (nested < 30) {
                                      ++nested;
                                      const std::string line = "B: " + std::to_string(nested) + "\r";
                                      handler->receive(line.data(), static_cast<std::int32_t>(line.size()));
                                  }
                              },
                              {}});
    handler = &reentrant;
    reentrant.receive("B: 0\r", 5);
    // 31 values, each followed by its step's key, in the order they arrived.
    std::vector<std::string> expected;
    const char* keys[] = {"{TAB}", "{ENTER}", nullptr};
    for (int v = 0; v <= 30; ++v) {
        expected.push_back(std::to_string(v) + ",000");
        if (keys[v % 3])
            expected.push_back(keys[v % 3]);
    }
    EXPECT_EQ(typed, expected);
}

TEST(ReceiveHandler, BurstOfLinesOverThreeStepsWithSeries) {
    Bench b;
    b.definition.channelIds[1] = "A";
    b.definition.channelIds[3] = "C";
    b.steps({{1, "{TAB};"}, {3, "{TAB};"}, {2, "{ENTER};"}});
    b.series.valuesPerSeries = 7;
    b.series.seriesString = "{DOWN};{HOME};";
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
    EXPECT_EQ(b.table.currentStep, 100 % 3 + 1);
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
    Bench b;
    b.decimals = 2;
    b.steps({{2, "{TAB};{TAB};"}});
    b.series.valuesPerSeries = 1;
    b.series.seriesString = "---;";
    auto line = [&](const std::string& failing) {
        b.failOn = failing;
        b.typed.clear();
        b.feed("B: 1,5\r");
    };
    line("{TAB}");
    EXPECT_THAT(b.typed, ElementsAre("1,50"));
    line("---");
    EXPECT_THAT(b.typed, ElementsAre("1,50", "{TAB}", "{TAB}"));
    line("1,50");
    EXPECT_TRUE(b.typed.empty());
    const std::vector<LineOutcome>& outcomes = b.outcomes;
    ASSERT_EQ(outcomes.size(), 3u);
    EXPECT_EQ(outcomes[0].failedPart, LineOutcome::Part::stepKeys);
    EXPECT_EQ(outcomes[0].typed, "1,50");
    EXPECT_EQ(outcomes[1].failedPart, LineOutcome::Part::seriesString);
    EXPECT_EQ(outcomes[1].typed, "1,50");
    EXPECT_EQ(outcomes[2].failedPart, LineOutcome::Part::Value);
    EXPECT_EQ(outcomes[2].typed, "");
    for (const LineOutcome& outcome : outcomes) {
        EXPECT_EQ(outcome.note, LineOutcome::Note::NotTyped);
        EXPECT_EQ(outcome.failure, "gone");
    }
}

// A box that sends faster than the target takes keys: a few dozen lines wait, the rest are
// dropped whole (also the one begun when room ran out, whose tail arrives later), and one outcome
// says how many.
TEST(ReceiveHandler, AtMostAFewDozenLinesWaitWhileAValueIsTyped) {
    Bench b;
    b.steps({{2, ""}});
    std::string flood;
    for (int i = 1; i <= 100; ++i)
        flood += "B: " + std::to_string(i) + "\r";
    b.whileTyping = [&] { b.feed(flood + "B: 7"); };
    b.feed("B: 0\r");
    b.feed("7,5\rB: 9\r");
    const std::size_t kept = ReceiveHandler::MaxWaitingLines;
    ASSERT_EQ(b.typed.size(), kept + 2);
    EXPECT_EQ(b.typed[kept], std::to_string(kept) + ",000");
    EXPECT_EQ(b.typed.back(), "9,000");
    ASSERT_EQ(b.outcomes.size(), kept + 3);
    EXPECT_EQ(b.outcomes.back().note, LineOutcome::Note::Dropped);
    EXPECT_EQ(b.outcomes.back().droppedLines, 100 - kept + 1);
}
