#include "core/files/IniFile.h"
#include "core/text/Error.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace travek;

TEST(IniFile, ProfileRulesForReading) {
    const IniFile ini("; comment\r\n"
                      "[Other]\r\nKEY=other\r\n"
                      "[ parameter ]\r\n"
                      "  Key  =  value with blanks  \r\n"
                      "key=second occurrence\r\n"
                      "Quoted=\"  inner  \"\r\n"
                      "Single='x'\r\n"
                      "Mixed=\"x'\r\n"
                      "Lone=\"\r\n"
                      "Empty=\r\n"
                      "Eq=a=b\r\n"
                      "noequals\r\n"
                      "[Next]\r\nAfter=1\r\n"
                      "[PARAMETER]\r\nLater=2\r\n");
    EXPECT_EQ(ini.value("PARAMETER", "KEY"), "value with blanks");
    EXPECT_EQ(ini.value("parameter", "quoted"), "  inner  ");
    EXPECT_EQ(ini.value("PARAMETER", "Single"), "x");
    EXPECT_EQ(ini.value("PARAMETER", "Mixed"), "\"x'");
    EXPECT_EQ(ini.value("PARAMETER", "Lone"), "\"");
    EXPECT_EQ(ini.value("PARAMETER", "Empty"), "");
    EXPECT_EQ(ini.value("PARAMETER", "Eq"), "a=b");
    EXPECT_FALSE(ini.value("PARAMETER", "After"));
    EXPECT_FALSE(ini.value("PARAMETER", "Later")); // only the first occurrence of a section
    EXPECT_FALSE(ini.value("PARAMETER", "noequals"));
    EXPECT_FALSE(ini.value("Missing", "KEY"));
    EXPECT_EQ(ini.readString("Other", "key", "d"), "other");
    EXPECT_EQ(ini.readString("Other", "nokey", "d"), "d");
}

TEST(IniFile, IntegersFallBackToTheDefault) {
    const IniFile ini("[S]\nA=0x03\nB=$3\nC=3a\nD=\nE=-1\nF=99999999999\n");
    EXPECT_EQ(ini.readInteger("S", "A", 1), 3);
    EXPECT_EQ(ini.readInteger("S", "B", 1), 3);
    EXPECT_EQ(ini.readInteger("S", "C", 1), 1);
    EXPECT_EQ(ini.readInteger("S", "D", 1), 1);
    EXPECT_EQ(ini.readInteger("S", "E", 1), -1);
    EXPECT_EQ(ini.readInteger("S", "F", 1), 1);
    EXPECT_EQ(ini.readInteger("S", "G", 7), 7);
}

TEST(IniFile, UpdateKeepsEveryOtherByte) {
    const std::string before =
        "; keep me\r\n[PARAMETER]\r\nBAUD = 9600\r\ncomx = 3 \r\nCOMx=9\r\n\r\n[X]\r\nY=1";
    IniFile ini(before);
    ini.setValue("parameter", "COMX", "12");
    EXPECT_EQ(ini.content(),
              "; keep me\r\n[PARAMETER]\r\nBAUD = 9600\r\ncomx=12\r\nCOMx=9\r\n\r\n[X]\r\nY=1");

    ini.setValue("X", "Z", "2"); // last line has no line end
    EXPECT_EQ(ini.content().substr(ini.content().size() - 10), "Y=1\r\nZ=2\r\n");

    ini.setValue("PARAMETER", "NEW", "v"); // goes after the section's last key, before the blank line
    EXPECT_NE(ini.content().find("COMx=9\r\nNEW=v\r\n\r\n[X]"), std::string::npos);

    IniFile empty;
    empty.setValue("PARAMETER", "COMx", "2");
    EXPECT_EQ(empty.content(), "[PARAMETER]\r\nCOMx=2\r\n");

    IniFile unix("[A]\nk=1\n");
    unix.setValue("B", "k", "2");
    EXPECT_EQ(unix.content(), "[A]\nk=1\n[B]\nk=2\n");
}

TEST(IniFile, WriteValueCreatesAndReplacesFiles) {
    test::TempDir dir;
    IniFile::writeValue(dir.file("new.ini"), "PARAMETER", "COMx", "4");
    EXPECT_EQ(dir.read("new.ini"), "[PARAMETER]\r\nCOMx=4\r\n");
    IniFile::writeValue(dir.file("new.ini"), "PARAMETER", "COMx", "5");
    EXPECT_EQ(dir.read("new.ini"), "[PARAMETER]\r\nCOMx=5\r\n");
    // A folder that does not exist cannot take the file; the error says so.
    EXPECT_THROW(IniFile::writeValue(dir.file("no/such/dir.ini"), "S", "K", "V"), Error);
}
