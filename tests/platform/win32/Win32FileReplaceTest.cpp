// Saving a file on Windows: the new content takes the place of the old through a temporary file
// beside it, and a read-only file is refused as the user's error box expects.
#include "core/files/FileIo.h"
#include "core/text/Error.h"
#include "support/TempDir.h"

#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace travek {
namespace {

using ::testing::UnorderedElementsAre;

std::vector<std::string> Entries(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    return names;
}

TEST(Win32FileReplace, ReplacesCreatesAndRefusesAReadOnlyFile) {
    test::TempDir dir;
    dir.write("PX5R.VAL", "old content, longer than the new one\r\n");
    dir.write("LOCKED.VAL", "locked\r\n");
    const std::string locked = dir.file("LOCKED.VAL");
    ASSERT_TRUE(::SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY));

    // By a name in the working directory, as the program names its files.
    dir.enter();
    WriteFileAtomically("PX5R.VAL", "1.25\r\n");
    EXPECT_EQ(dir.read("PX5R.VAL"), "1.25\r\n");

    WriteFileAtomically(dir.file("NEW.VAL"), std::string("a\0b", 3));
    EXPECT_EQ(dir.read("NEW.VAL"), std::string("a\0b", 3));

    try {
        WriteFileAtomically(locked, "overwritten\r\n");
        ADD_FAILURE() << "a read-only file was written";
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()), locked + ": Dateizugriff verweigert");
    }
    EXPECT_EQ(dir.read("LOCKED.VAL"), "locked\r\n");
    EXPECT_NE(::GetFileAttributesA(locked.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);

    // No temporary file is left beside the saved ones.
    EXPECT_THAT(Entries(dir.path()), UnorderedElementsAre("PX5R.VAL", "NEW.VAL", "LOCKED.VAL"));
    ::SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_NORMAL); // so that the folder can go
}

} // namespace
} // namespace travek
