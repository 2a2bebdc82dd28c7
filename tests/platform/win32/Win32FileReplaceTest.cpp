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

std::vector<std::string> listEntries(const std::string& dir) {
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
    writeFileAtomically("PX5R.VAL", "1.25\r\n");
    EXPECT_EQ(dir.read("PX5R.VAL"), "1.25\r\n");

    writeFileAtomically(dir.file("NEW.VAL"), std::string("a\0b", 3));
    EXPECT_EQ(dir.read("NEW.VAL"), std::string("a\0b", 3));

    try {
        writeFileAtomically(locked, "overwritten\r\n");
        ADD_FAILURE() << "a read-only file was written";
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()), locked + ": Dateizugriff verweigert");
    }
    EXPECT_EQ(dir.read("LOCKED.VAL"), "locked\r\n");
    EXPECT_NE(::GetFileAttributesA(locked.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);

    // No temporary file is left beside the saved ones.
    EXPECT_THAT(listEntries(dir.path()), UnorderedElementsAre("PX5R.VAL", "NEW.VAL", "LOCKED.VAL"));
    ::SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_NORMAL); // so that the folder can go
}

// A working folder whose name no 8-bit code page holds: the program names its files relative to
// it, and saving must still reach them.
TEST(Win32FileReplace, SavesInAFolderNamedOutsideTheCodePage) {
    test::TempDir dir;
    const std::wstring folder = std::filesystem::path(dir.path()).wstring() + L"\\\x0141\x00F3"
                                                                              L"d\x017A";
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    wchar_t previous[MAX_PATH] = L"";
    ::GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryW(folder.c_str()));

    writeFileAtomically("./ablauf.abl", "1\t1\t{TAB};\r\n"); // a new file
    writeFileAtomically("TRAVEK.INI", "[PARAMETER]\r\n");
    writeFileAtomically("TRAVEK.INI", "[PARAMETER]\r\nINTERFACE=PX5R\r\n"); // replaced
    EXPECT_EQ(readWholeFile("ablauf.abl").value_or("(unreadable)"), "1\t1\t{TAB};\r\n");
    EXPECT_EQ(readWholeFile("TRAVEK.INI").value_or("(unreadable)"), "[PARAMETER]\r\nINTERFACE=PX5R\r\n");

    ::SetCurrentDirectoryW(previous);
    std::vector<std::wstring> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().wstring());
    EXPECT_THAT(names, UnorderedElementsAre(L"ablauf.abl", L"TRAVEK.INI"));
}

} // namespace
} // namespace travek
