#include "core/files/FileIo.h"
#include "core/files/FolderLock.h"
#include "core/files/MeasurementLog.h"
#include "core/text/Error.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>

#include <functional>
#include <string>

using namespace travek;
using testing::HasSubstr;

namespace {

std::string refusalOf(const std::function<void()>& action) {
    try {
        action();
        return "";
    } catch (const Error& error) {
        return error.what();
    }
}

} // namespace

// Each thing that can stand where a file of TRAVEK's is expected, read and written as the program
// does. Nothing may block (a FIFO nobody writes or reads), follow a link into another file, or
// read without end (/dev/zero); each is refused with the file's name.
TEST(PosixFiles, WhatIsNotARegularFileIsRefusedByNameAndNothingWaits) {
    test::TempDir dir;
    ASSERT_EQ(::mkfifo(dir.file("ablauf.pst").c_str(), 0644), 0);
    ASSERT_EQ(::mkfifo(dir.file("messung.csv").c_str(), 0644), 0);
    ASSERT_EQ(::symlink("/dev/zero", dir.file("token").c_str()), 0);
    ASSERT_EQ(::symlink(dir.file("elsewhere.abl").c_str(), dir.file("ablauf.abl").c_str()), 0);
    dir.write("TRAVEK.INI", std::string((std::size_t{1} << 20) + 1, ';'));

    EXPECT_EQ(refusalOf([&] { readWholeFile(dir.file("ablauf.pst")); }),
              dir.file("ablauf.pst") + ": keine gew\xF6hnliche Datei");
    EXPECT_EQ(refusalOf([&] { writeFileAtomically(dir.file("ablauf.pst"), "1\r\n"); }),
              dir.file("ablauf.pst") + ": keine gew\xF6hnliche Datei");
    EXPECT_EQ(refusalOf([&] { readWholeFile(dir.file("token"), FileLimit::Token); }),
              dir.file("token") + ": keine gew\xF6hnliche Datei");
    EXPECT_EQ(refusalOf([&] { readWholeFile(dir.file("TRAVEK.INI")); }),
              dir.file("TRAVEK.INI") + ": zu gro\xDF (mehr als 1 MB)");

    // A dangling link is neither written through nor replaced by a file of its own.
    EXPECT_THAT(refusalOf([&] { writeFileAtomically(dir.file("ablauf.abl"), "1\t1\t{TAB};\r\n"); }),
                HasSubstr("ablauf.abl: eine Verkn\xFCpfung"));
    struct stat st {};
    EXPECT_EQ(::lstat(dir.file("ablauf.abl").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_NE(::access(dir.file("elsewhere.abl").c_str(), F_OK), 0);

    // The measurement log on a FIFO: the row fails, and the next one is tried again.
    MeasurementLog log(dir.file("messung.csv"));
    EXPECT_EQ(refusalOf([&] {
                  log.append({"COM1", 1, 1, "A: 1", "1,000", "", ""});
              }),
              "keine gew\xF6hnliche Datei");
    ASSERT_EQ(::unlink(dir.file("messung.csv").c_str()), 0);
    EXPECT_EQ(refusalOf([&] { log.append({"COM1", 1, 1, "A: 1", "1,000", "", ""}); }), "");
}

// The measurement log writes whole rows into its own file under its name: after a rotation or a
// deletion into a new file with its header, after a full disk without the piece it cut off, and never
// through a link into another file.
TEST(PosixFiles, TheLogWritesWholeRowsIntoTheFileItsNameNames) {
    test::TempDir dir;
    const std::string path = dir.file("messung.csv");
    MeasurementLog log(path);
    const MeasurementLog::Row row{"COM1", 1, 1, "A: 1,5", "1,50", "", ""};
    const std::string header = "Zeit;Port;Kanal;Schritt;Zeile;Getippt;Hinweis;Fenster\r\n";
    auto rows = [](const std::string& text) { return std::count(text.begin(), text.end(), '\n'); };

    log.append(row);
    ASSERT_EQ(::rename(path.c_str(), dir.file("messung.1.csv").c_str()), 0);
    log.append(row);
    EXPECT_EQ(rows(dir.read("messung.1.csv")), 2);
    EXPECT_EQ(dir.read("messung.csv").rfind(header, 0), 0u);
    EXPECT_EQ(rows(dir.read("messung.csv")), 2);
    ASSERT_EQ(::unlink(path.c_str()), 0);
    log.append(row);
    EXPECT_EQ(rows(dir.read("messung.csv")), 2);

    // The disk fills up in the middle of a row (a file size limit stands in for it): the piece
    // that was written is cut off again, so the file stays made of whole rows.
    const std::string whole = dir.read("messung.csv");
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit full = old;
    full.rlim_cur = static_cast<rlim_t>(dir.read("messung.csv").size() + 10);
    ::setrlimit(RLIMIT_FSIZE, &full);
    EXPECT_NE(refusalOf([&] { log.append(row); }), "");
    ::setrlimit(RLIMIT_FSIZE, &old);
    log.append(row);
    const std::string text = dir.read("messung.csv");
    EXPECT_EQ(text.substr(0, whole.size()), whole);
    EXPECT_EQ(rows(text), 3);
    const std::string last = text.substr(text.rfind('\n', text.size() - 2) + 1);
    EXPECT_THAT(last, testing::MatchesRegex("[-0-9T:.]+;COM1;1;1;A: 1,5;1,50;;\r\n"));

    ASSERT_EQ(::symlink(dir.file("other.txt").c_str(), dir.file("link.csv").c_str()), 0);
    MeasurementLog linked(dir.file("link.csv"));
    EXPECT_THAT(refusalOf([&] { linked.append(row); }), HasSubstr("Verkn\xFCpfung"));
    EXPECT_NE(::access(dir.file("other.txt").c_str(), F_OK), 0);
}

// One TRAVEK per working folder: a second one is refused while the first lives, also when the
// first is another process, and the lock goes with that process however it ends.
TEST(PosixFiles, TheWorkingFolderIsLockedUntilItsProcessEnds) {
    test::TempDir dir;
    dir.enter();
    FolderLock::Unavailable unavailable;
    auto first = FolderLock::lockWorkingFolder(unavailable);
    ASSERT_TRUE(first && unavailable.reason.empty()) << unavailable.reason;
    EXPECT_FALSE(FolderLock::lockWorkingFolder(unavailable));
    first.reset();

    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        FolderLock::Unavailable none;
        const auto held = FolderLock::lockWorkingFolder(none);
        [[maybe_unused]] const auto written = ::write(ready[1], held ? "1" : "0", 1);
        ::pause();
        ::_exit(0);
    }
    char answer = 0;
    ASSERT_EQ(::read(ready[0], &answer, 1), 1);
    EXPECT_EQ(answer, '1');
    EXPECT_FALSE(FolderLock::lockWorkingFolder(unavailable));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_TRUE(FolderLock::lockWorkingFolder(unavailable));
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
    ::close(ready[0]);
    ::close(ready[1]);
}
