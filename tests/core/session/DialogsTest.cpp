#include "core/session/Dialogs.h"
#include "core/text/Error.h"
#include "support/FakeEventLoop.h"
#include "support/FakeFocusWindow.h"
#include "support/TempDir.h"

#include <algorithm>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace travek;
using testing::ElementsAre;

namespace {

int tokenIndex(const std::string& token) {
    const auto& tokens = KeyActionList::tokens();
    return static_cast<int>(std::find(tokens.begin(), tokens.end(), token) - tokens.begin());
}

TEST(KeyActionList, AddsAfterTheSelectedEntryOrAtTheEndAndDeletes) {
    EXPECT_EQ(KeyActionList::tokens().size(), 28u);
    EXPECT_EQ(KeyActionList::tokens().front(), "{LEFT}");
    EXPECT_EQ(KeyActionList::tokens().back(), "{BACK}");

    KeyActionList list("A;B;", ';', 0);
    EXPECT_TRUE(list.add(tokenIndex("{LEFT}"), -1));
    EXPECT_THAT(list.entries(), ElementsAre("A", "B", "{LEFT}"));
    // Adding X then Y after A leaves A, Y, X.
    list.add(tokenIndex("{F1}"), 0);
    list.add(tokenIndex("{F2}"), 0);
    EXPECT_EQ(list.keyString(), "A;{F2};{F1};B;{LEFT};");
    // The token list can lose its selection.
    EXPECT_FALSE(list.add(-1, 0));

    list.remove(1);
    list.remove(-1);
    EXPECT_EQ(list.keyString(), "A;{F1};B;{LEFT};");
}

TEST(KeyActionList, EntriesOfTheKeyStringSurviveUnchanged) {
    const std::string keyString = "Gr\xF6\xDF"
                                  "e;;@x;^{F4};\x80 5;";
    KeyActionList list(keyString, ';', 0);
    EXPECT_EQ(list.entries().size(), 5u);
    EXPECT_EQ(list.keyString(), keyString);
    EXPECT_EQ(KeyActionList("a|b|", '|', 0).keyString(), "a|b|");
}

TEST(KeyActionList, AStepsKeyStringCannotGrowPastTheLimit) {
    std::string pageDowns;
    for (int i = 0; i < 14; ++i)
        pageDowns += "{PGDN};"; // 98 characters
    KeyActionList step(pageDowns, ';', 100);
    EXPECT_FALSE(step.add(tokenIndex("{TAB}"), -1)); // 6 more
    EXPECT_EQ(step.keyString(), pageDowns);
    EXPECT_EQ(step.limitMessage(), "Nicht hinzugef\xFCgt: h\xF6"
                                   "chstens 100 Zeichen je Schritt.");
    // Room again after a deletion, and the message goes.
    step.remove(0);
    EXPECT_TRUE(step.limitMessage().empty());
    EXPECT_TRUE(step.add(tokenIndex("{TAB}"), -1)); // 91 + 6
    EXPECT_EQ(step.keyString().size(), 97u);
    // The series string has no limit.
    KeyActionList series(pageDowns, ';', 0);
    EXPECT_TRUE(series.add(tokenIndex("{TAB}"), -1));
}

TEST(SeriesCountInput, TakesTheNumberWithoutBlanksOrItsLeadingDigits) {
    EXPECT_EQ(SeriesCountInput(12).text(), "12");
    EXPECT_EQ(SeriesCountInput::valueOf(" 1 0"), 10);
    EXPECT_EQ(SeriesCountInput::valueOf("abc"), 0);
    EXPECT_EQ(SeriesCountInput::valueOf("12x3"), 12);
    EXPECT_EQ(SeriesCountInput::valueOf("-7"), -7);
    EXPECT_EQ(SeriesCountInput::valueOf(""), 0);
}

TEST(ChannelChoice, KeepsTheChoiceUntilTheChannelsChange) {
    ChannelChoice choice;
    choice.setChannelCount(3);
    EXPECT_THAT(choice.entries(), ElementsAre("Kanal 1", "Kanal 2", "Kanal 3"));
    EXPECT_EQ(choice.selected(), -1);
    EXPECT_EQ(choice.cellText(), "0");
    choice.select(1);
    EXPECT_EQ(choice.cellText(), "2");
    choice.setChannelCount(2);
    EXPECT_EQ(choice.selected(), -1);
}

TEST(ComPortChoice, StartsAtTheDefinitionsPortAndFallsBackToTheFirst) {
    EXPECT_EQ(ComPortChoice::entries().size(), 99u);
    EXPECT_EQ(ComPortChoice::entries()[98], "COM 99");
    ComPortChoice valid(5);
    EXPECT_EQ(valid.selected(), 4);
    EXPECT_EQ(valid.text(), "COM 5");
    EXPECT_EQ(valid.chosenPort(), 5);
    for (int outside : {0, 100, -3}) {
        ComPortChoice choice(outside);
        EXPECT_EQ(choice.selected(), -1);
        EXPECT_EQ(choice.text(), "");
        EXPECT_EQ(choice.chosenPort(), 1) << "port 0 does not exist";
        choice.leave();
        EXPECT_EQ(choice.selected(), 0);
    }
}

TEST(InterfaceChoice, ListsTheDefinitionsAndKeepsTheNameWhenNothingIsChosen) {
    test::TempDir dir;
    dir.write("PX5R.val", "");
    dir.write("ABC.VAL", "");
    dir.write("notes.txt", "");
    InterfaceChoice choice(dir.path());
    ASSERT_EQ(choice.entries().size(), 2u);
    EXPECT_EQ(choice.entries()[0], "ABC" + std::string(32, ' '));
    EXPECT_EQ(choice.initialRow(), 0);
    EXPECT_EQ(choice.nameAt(1), "PX5R");
    EXPECT_EQ(choice.nameAt(-1), "");
    EXPECT_EQ(InterfaceChoice(dir.file("none")).initialRow(), -1);
}

TEST(PortList, RefreshesWhileStartedTellsChangesAndReportsAFailureOnceWithoutNestingBoxes) {
    std::vector<std::string> ports = {"ttyUSB0=COM3"};
    int reads = 0;
    std::string failure;
    test::FakeEventLoop loop;
    PortList list(loop, [&](std::vector<std::string>& target) {
        ++reads;
        target = ports;
        if (!failure.empty())
            throw Error(failure);
    });
    int changes = 0;
    int openBoxes = 0;
    int deepest = 0;
    std::vector<std::string> errors;
    // The error box is modal: its loop goes on running the program's tasks for a while.
    auto box = [&](const std::string& e) {
        errors.push_back(e);
        deepest = std::max(deepest, ++openBoxes);
        loop.advance(std::chrono::milliseconds(3000));
        --openBoxes;
    };
    list.start([&] { ++changes; }, box);
    EXPECT_EQ(reads, 1);
    EXPECT_EQ(changes, 1);
    loop.advance(std::chrono::milliseconds(500));
    EXPECT_EQ(reads, 2);
    EXPECT_EQ(changes, 1) << "nothing changed, nothing to show again";

    // A bad entry: the readable ones are listed, and the failure is told once, however long the
    // box stays open and however often the list is read afterwards.
    failure = "Ung\xfcltiger Datentyp f\xfcr '\\Device\\Bad'";
    ports.push_back("ttyS0=/dev/ttyS0");
    loop.advance(std::chrono::milliseconds(500));
    loop.advance(std::chrono::milliseconds(5000));
    EXPECT_EQ(deepest, 1);
    EXPECT_THAT(errors, ElementsAre(failure));
    EXPECT_THAT(list.lines(), ElementsAre("ttyUSB0=COM3", "ttyS0=/dev/ttyS0"));
    EXPECT_GT(reads, 5) << "the refresh goes on after the report";

    // Once the list reads again, a later failure is news.
    failure.clear();
    loop.advance(std::chrono::milliseconds(500));
    failure = "Konnte Daten nicht holen";
    loop.advance(std::chrono::milliseconds(500));
    EXPECT_EQ(errors.size(), 2u);

    list.stop();
    const int before = reads;
    loop.advance(std::chrono::milliseconds(2000));
    EXPECT_EQ(reads, before);
    // A new opening reports the failure again, and keeps reading.
    list.start({}, [&](const std::string& e) { errors.push_back(e); });
    EXPECT_EQ(errors.size(), 3u);
    EXPECT_EQ(loop.pendingTasks(), 1u);
    list.stop();
}

TEST(TargetWindowChoice, FestlegenTakesTheWindowFocusedWhenTheCountdownEndsAndRefusesWhatCannotBeATarget) {
    using namespace std::chrono_literals;
    test::FakeEventLoop loop;
    test::FakeFocusWindow focus;
    TargetWindowChoice choice(loop, focus, TargetWindow{});
    int shown = 0;
    choice.onChanged = [&] { ++shown; };
    EXPECT_EQ(choice.targetText(), "kein Zielfenster (es wird in jedes Fenster getippt)");

    choice.capture();
    EXPECT_EQ(choice.status(), "Festlegen in 3 s: bitte in das Zielfenster klicken");
    focus.focus("xterm", "XTerm", "bash");
    loop.advance(2500ms);
    EXPECT_EQ(choice.status(), "Festlegen in 1 s: bitte in das Zielfenster klicken");
    EXPECT_EQ(focus.asked, 0) << "the window is taken when the user had the time to click";
    focus.focus("soffice.bin", "libreoffice-calc", "Los 7.ods");
    loop.advance(500ms);
    EXPECT_FALSE(choice.counting());
    EXPECT_EQ(shown, 4);
    EXPECT_EQ(choice.targetText(), "Programm soffice.bin, Klasse libreoffice-calc, Titel \"Los 7.ods\"");
    choice.setMatchTitle(true);
    EXPECT_EQ(choice.targetText(),
              "Programm soffice.bin, Klasse libreoffice-calc, Titel \"Los 7.ods\" (muss passen)");

    // TRAVEK itself, no window and a nameless one leave the target as it was.
    focus.window->ownProcess = true;
    choice.capture();
    loop.advance(3s);
    EXPECT_EQ(choice.status(), "Das ist TRAVEK selbst: bitte in das Zielfenster klicken");
    focus.window.reset();
    choice.capture();
    loop.advance(3s);
    EXPECT_EQ(choice.status(), "Kein Fenster hat den Fokus: nichts festgelegt");
    focus.focus("", "", "Ohne Namen");
    choice.capture();
    loop.advance(3s);
    EXPECT_EQ(choice.target().windowClass, "libreoffice-calc");

    // "Aufheben" during a countdown stops it, and keeps the title rule for the next target.
    choice.capture();
    choice.clear();
    EXPECT_EQ(loop.pendingTasks(), 0u);
    EXPECT_FALSE(choice.target().isSet());
    EXPECT_TRUE(choice.matchTitle());
}

} // namespace
