#include "core/session/Session.h"
#include "support/SessionFixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

using namespace travek;
using namespace travek::test;
using namespace std::chrono_literals;
using testing::ElementsAre;
using testing::HasSubstr;

namespace {

class SessionFilesTest : public SessionFixture {};

} // namespace

TEST_F(SessionFilesTest, ASavedSequenceComesBackWithItsSeriesFileFromTheWorkingDirectory) {
    open();
    std::filesystem::create_directory(dir.file("Messung"));
    fillSteps({{"2", "1.5{TAB};"}, {"3", "{ENTER};"}});
    state().series.valuesPerSeries = 4;
    state().series.seriesString = "{F2};";

    view.files = {""}; // cancelled
    session->saveSequence();
    EXPECT_FALSE(std::filesystem::exists(dir.file("ablauf.abl")));

    view.files = {dir.file("Messung/probe.abl")};
    session->saveSequence();
    EXPECT_EQ(dir.read("Messung/probe.abl").substr(0, 32), "1\t2\t1,5{TAB};\r\n2\t3\t{ENTER};\r\n3\t\t");
    EXPECT_EQ(dir.read("probe.abl.pst"), "4\r\n{F2};\r\n");
    EXPECT_FALSE(std::filesystem::exists(dir.file("Messung/probe.abl.pst")));
    EXPECT_EQ(session->grid().cell(2, 1), "1.5{TAB};"); // only the file has the comma

    state().series.valuesPerSeries = 9;
    state().series.seriesString = "y;";
    session->grid().setCell(1, 1, "7");
    view.files = {dir.file("Messung/probe.abl")};
    session->loadSequence(2, 50);
    EXPECT_EQ(session->grid().cell(1, 1), "2");
    EXPECT_EQ(session->grid().cell(2, 1), "1,5{TAB};");
    EXPECT_EQ(state().series.valuesPerSeries, 4);
    EXPECT_EQ(view.seriesCount, "[4]");
    EXPECT_EQ(view.seriesString, "{F2};");
    EXPECT_EQ(view.cell, std::make_pair(2, 50));
    EXPECT_THAT(view.fileDialogs, ElementsAre(true, true, false));
    // Loading changes only the grid; the running copy waits for the next double-click.
    EXPECT_EQ(sequence().stepCount, 0);
}

TEST_F(SessionFilesTest, LoadingReplacesTheSeriesSettingsEvenWhenTheSeriesFileIsMissingOrBad) {
    dir.write("short.abl", stepsFile(2));
    dir.write("long.abl", stepsFile(120));
    dir.write("probe.abl", stepsFile(2));
    dir.write("probe.abl.pst", "abc\r\nx;\r\n");
    open();
    state().series.valuesPerSeries = 5;
    state().series.seriesString = "z;";
    view.files = {dir.file("short.abl")};
    session->loadSequence(2, 50);
    EXPECT_EQ(session->grid().rowCount(), 3);
    EXPECT_EQ(state().series.valuesPerSeries, 0);
    EXPECT_EQ(state().series.seriesString, "");
    EXPECT_EQ(view.seriesCount, "[0]");
    EXPECT_EQ(view.cell, std::make_pair(2, 2)); // the current row stays inside the shorter grid

    // More rows than a sequence has steps: refused, naming the file, and nothing changes.
    state().series.valuesPerSeries = 7;
    view.files = {dir.file("long.abl")};
    session->loadSequence(1, 1);
    EXPECT_EQ(session->grid().rowCount(), 3);
    EXPECT_EQ(state().series.valuesPerSeries, 7);
    EXPECT_THAT(view.errors, ElementsAre(dir.file("long.abl") + ": mehr als 99 Zeilen"));
    view.errors.clear();

    state().series.valuesPerSeries = 6;
    view.files = {dir.file("probe.abl")};
    session->loadSequence(1, 1);
    EXPECT_THAT(view.errors, ElementsAre("probe.abl.pst: Ung\xFCltige numerische Eingabe"));
    EXPECT_EQ(state().series.valuesPerSeries, 0);
    EXPECT_EQ(view.seriesCount, "[0]");
}

TEST_F(SessionFilesTest, AWriteErrorOnSaveIsShownOnceAndTruncatesNothing) {
    open();
    fillSteps({{"1", "a;"}});
    state().series.valuesPerSeries = 2;
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

TEST_F(SessionFilesTest, ShutDownSavesEachFileOnItsOwnOnceAndClosesThePort) {
    writeBox();
    open();
    session->startUp();
    std::filesystem::create_directory(dir.file("ablauf.abl")); // in the way of the sequence file
    state().series.valuesPerSeries = 5;
    session->shutDown(false);
    ASSERT_EQ(view.errors.size(), 1u);
    EXPECT_THAT(view.errors[0], testing::StartsWith("ablauf.abl: "));
    EXPECT_EQ(dir.read("ablauf.pst"), "5\r\n\r\n");
    EXPECT_THAT(dir.read("TRAVEK.INI"), HasSubstr("INTERFACE=BOX"));
    EXPECT_FALSE(session->port().isOpen());
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

// Folders named like TRAVEK's files: each is refused with its name, the rest of the start-up and
// of the exit go on, and nothing ends the program.
TEST_F(SessionFilesTest, AFolderInTheWayOfAFileIsRefusedByNameAndTheRestGoesOn) {
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
    EXPECT_EQ(view.panels[StatusPanel::Interface], "PX5R"); // the defaults, as without the file
    view.errors.clear();
    session->grid().setCell(2, 1, "{ENTER};");
    session->shutDown(false);
    ASSERT_EQ(view.errors.size(), 1u);
    EXPECT_EQ(view.errors[0], "TRAVEK.INI: ein Ordner, keine Datei\nablauf.pst: ein Ordner, keine Datei");
    EXPECT_EQ(dir.read("ablauf.abl"), "1\t1\t{ENTER};\r\n");
}

// A sequence file too long to be one is not loaded, and so never replaced by what the session
// holds: not after an edit, not at the exit.
TEST_F(SessionFilesTest, ASequenceFileThatWasRefusedIsNeverWrittenOver) {
    dir.write("ablauf.abl", stepsFile(120));
    open();
    EXPECT_THAT(view.errors, ElementsAre("ablauf.abl: mehr als 99 Zeilen"));
    session->insertRow(1, 1);
    loop.advance(SessionFiles::SaveDelay);
    session->shutDown(false);
    EXPECT_EQ(dir.read("ablauf.abl"), stepsFile(120));
    EXPECT_THAT(view.errors.back(), HasSubstr("ablauf.abl: beim Start nicht geladen"));
}

// What the exit would save is saved a second after every change, so that a program that is
// killed, or whose desktop dies, loses nothing. A file that cannot be written is said once, not
// at every edit, and again when it fails anew after a success.
TEST_F(SessionFilesTest, EveryChangeIsSavedASecondLaterAsTheExitWouldSaveIt) {
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
    loop.advance(SessionFiles::SaveDelay - std::chrono::milliseconds(1));
    EXPECT_FALSE(std::filesystem::exists(dir.file("ablauf.pst")));
    loop.advance(std::chrono::milliseconds(1));
    const std::string sequence = dir.read("ablauf.abl"), series = dir.read("ablauf.pst");
    // The grid of a two-line file grew by the inserted row: no step was pushed out.
    EXPECT_EQ(sequence, "1\t\t\r\n2\t1\tk1;\r\n3\t2\tk2;\r\n");
    EXPECT_EQ(series, "4\r\n\r\n");
    EXPECT_THAT(dir.read("TRAVEK.INI"), HasSubstr("INTERFACE=BOX"));

    std::filesystem::permissions(dir.file("ablauf.pst"), std::filesystem::perms::owner_read);
    for (int edit = 0; edit < 3; ++edit) {
        session->insertRow(1, 1);
        loop.advance(SessionFiles::SaveDelay);
    }
    ASSERT_EQ(view.errors.size(), 1u);
    EXPECT_THAT(view.errors[0], HasSubstr("ablauf.pst: "));
    std::filesystem::permissions(dir.file("ablauf.pst"), std::filesystem::perms::owner_all);
    session->deleteRow(1, 1);
    loop.advance(SessionFiles::SaveDelay);
    std::filesystem::permissions(dir.file("ablauf.pst"), std::filesystem::perms::owner_read);
    session->deleteRow(1, 1);
    loop.advance(SessionFiles::SaveDelay);
    EXPECT_EQ(view.errors.size(), 2u);
    std::filesystem::permissions(dir.file("ablauf.pst"), std::filesystem::perms::owner_all);

    // The exit writes the very same files.
    session->deleteRow(1, 1);
    loop.advance(SessionFiles::SaveDelay);
    const std::string saved = dir.read("ablauf.abl");
    session->shutDown(false);
    EXPECT_EQ(dir.read("ablauf.abl"), saved);
    EXPECT_EQ(dir.read("ablauf.pst"), series);
}

// Files copied from Windows keep their letter case: the series file of "Laden" and "Speichern" is
// found as the others are, and a folder of the same name never hides a file.
TEST_F(SessionFilesTest, FilesAreFoundWhateverTheirLetterCaseAndAFileBeatsAFolder) {
    dir.write("PROBE.ABL", stepsFile(3));
    dir.write("PROBE.ABL.PST", "5\r\n{F2};\r\n");
    if (std::filesystem::exists(dir.file("probe.abl.pst")))
        GTEST_SKIP() << "this file system ignores letter case itself";
    std::filesystem::create_directory(dir.file("ablauf.abl"));
    dir.write("ABLAUF.ABL", stepsFile(2));
    open();
    EXPECT_TRUE(view.errors.empty());
    EXPECT_EQ(session->grid().rowCount(), 3);

    view.files = {"PROBE.ABL"};
    session->loadSequence(1, 1);
    EXPECT_EQ(view.seriesCount, "[5]");
    state().series.valuesPerSeries = 6;
    view.files = {"PROBE.ABL"};
    session->saveSequence();
    EXPECT_EQ(dir.read("PROBE.ABL.PST"), "6\r\n{F2};\r\n");
    EXPECT_FALSE(std::filesystem::exists(dir.file("PROBE.ABL.pst")));
}

// Edits that follow each other do not put the save off: the first unsaved one is on disk a second
// later, however the user goes on.
TEST_F(SessionFilesTest, TheFirstUnsavedChangeIsSavedASecondLaterWhateverFollows) {
    open();
    session->grid().setCell(1, 1, "1");
    for (int edit = 0; edit < 3; ++edit) {
        session->insertRow(1, 1);
        loop.advance(SessionFiles::SaveDelay / 2);
    }
    EXPECT_EQ(dir.read("ablauf.abl").substr(0, 13), "1\t\t\r\n2\t\t\r\n3\t1");
}

// Another program changed a file since TRAVEK read or wrote it: it is not written over, that is
// said once, and the session's sequence and series settings go beside it, to be loaded again.
TEST_F(SessionFilesTest, AFileAnotherProgramChangedIsKeptAndTheSessionsGoesBesideIt) {
    dir.write("ablauf.abl", stepsFile(2));
    dir.write("ablauf-2.abl", "an earlier session's\r\n");
    open();
    dir.write("ablauf.abl", stepsFile(4)); // a colleague's copy
    session->grid().setCell(2, 1, "{ENTER};");
    session->insertRow(1, 2);
    loop.advance(SessionFiles::SaveDelay);
    session->deleteRow(1, 2);
    loop.advance(SessionFiles::SaveDelay);
    session->shutDown(false);
    EXPECT_EQ(dir.read("ablauf.abl"), stepsFile(4));
    EXPECT_EQ(dir.read("ablauf-2.abl"), "an earlier session's\r\n");
    EXPECT_EQ(dir.read("ablauf-3.abl"), "1\t1\t{ENTER};\r\n2\t2\tk2;\r\n3\t\t\r\n");
    EXPECT_EQ(dir.read("ablauf-3.abl.pst"), "0\r\n\r\n");
    ASSERT_EQ(view.errors.size(), 1u);
    EXPECT_EQ(view.errors[0],
              "ablauf.abl wurde von einem anderen Programm ge\xE4ndert und bleibt, wie es ist; "
              "TRAVEK speichert den Stand dieser Sitzung in ablauf-3.abl und ablauf-3.abl.pst");
}
