#include "core/files/FileIo.h"
#include "core/files/MeasurementLog.h"
#include "core/text/Error.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>

using namespace travek;
using testing::HasSubstr;

namespace {

std::string Refusal(const std::function<void()>& action) {
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

    EXPECT_EQ(Refusal([&] { ReadWholeFile(dir.file("ablauf.pst")); }),
              dir.file("ablauf.pst") + ": keine gew\xF6hnliche Datei");
    EXPECT_EQ(Refusal([&] { WriteFileAtomically(dir.file("ablauf.pst"), "1\r\n"); }),
              dir.file("ablauf.pst") + ": keine gew\xF6hnliche Datei");
    EXPECT_EQ(Refusal([&] { ReadWholeFile(dir.file("token"), FileLimit::Token); }),
              dir.file("token") + ": keine gew\xF6hnliche Datei");
    EXPECT_EQ(Refusal([&] { ReadWholeFile(dir.file("TRAVEK.INI")); }), dir.file("TRAVEK.INI") + ": zu gro\xDF (mehr als 1 MB)");

    // A dangling link is neither written through nor replaced by a file of its own.
    EXPECT_THAT(Refusal([&] { WriteFileAtomically(dir.file("ablauf.abl"), "1\t1\t{TAB};\r\n"); }),
                HasSubstr("ablauf.abl: eine Verkn\xFCpfung"));
    struct stat st {};
    EXPECT_EQ(::lstat(dir.file("ablauf.abl").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_NE(::access(dir.file("elsewhere.abl").c_str(), F_OK), 0);

    // The measurement log on a FIFO: the row fails, and the next one is tried again.
    MeasurementLog log(dir.file("messung.csv"));
    EXPECT_EQ(Refusal([&] { log.append({"COM1", 1, 1, "A: 1", "1,000", ""}); }), "keine gew\xF6hnliche Datei");
    ASSERT_EQ(::unlink(dir.file("messung.csv").c_str()), 0);
    EXPECT_EQ(Refusal([&] { log.append({"COM1", 1, 1, "A: 1", "1,000", ""}); }), "");
}
