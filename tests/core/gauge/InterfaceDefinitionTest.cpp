#include "core/gauge/InterfaceDefinition.h"
#include "core/text/Error.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace travek;

namespace {

InterfaceDefinition loadFrom(test::TempDir& dir, const std::string& body) {
    dir.write("T.VAL", "[PARAMETER]\r\n" + body);
    InterfaceDefinition d;
    loadInterfaceDefinition(d, dir.file("T.VAL"));
    return d;
}

} // namespace

TEST(InterfaceDefinition, DefaultsWithoutAFile) {
    InterfaceDefinition d;
    loadInterfaceDefinition(d, "/nonexistent/PX5R.VAL");
    EXPECT_EQ(d.ComPortNumber, 1);
    EXPECT_EQ(d.Baud, 9600);
    EXPECT_EQ(d.ByteLength, 8);
    EXPECT_EQ(d.ParityCode, 0);
    EXPECT_FALSE(d.UseRts);
    EXPECT_EQ(d.ChannelIds[1], "");
    EXPECT_EQ(d.ChannelCommands[48], "");
    EXPECT_EQ(d.SendSigns[0], "01A");
    EXPECT_EQ(d.DisableAllCommand, "D0");
    EXPECT_EQ(d.EndChar1, 13);
    EXPECT_EQ(d.StartPos, 4);
    EXPECT_EQ(d.EndPos, 14);
    EXPECT_EQ(d.ChannelCount, 2);
    EXPECT_EQ(d.InterfaceName, "PX5R");
}

TEST(InterfaceDefinition, IntegerKeys) {
    test::TempDir dir;
    EXPECT_EQ(loadFrom(dir, "COMx=0x03\r\n").ComPortNumber, 3);
    EXPECT_EQ(loadFrom(dir, "comx=$3\r\n").ComPortNumber, 3);
    EXPECT_EQ(loadFrom(dir, "COMx=3a\r\n").ComPortNumber, 1);
    EXPECT_EQ(loadFrom(dir, "COMx=\r\n").ComPortNumber, 1);
    EXPECT_FALSE(loadFrom(dir, "USE_RTS=2\r\n").UseRts);
    EXPECT_FALSE(loadFrom(dir, "USE_RTS=yes\r\n").UseRts);
    EXPECT_TRUE(loadFrom(dir, "USE_RTS=1\r\n").UseRts);
    EXPECT_TRUE(loadFrom(dir, "USE_RTS=0x1\r\n").UseRts);
    EXPECT_EQ(loadFrom(dir, "STARTPOS=300\r\n").StartPos, 44);
    EXPECT_EQ(loadFrom(dir, "ENDCHAR1=-1\r\n").EndChar1, 255);
    EXPECT_EQ(loadFrom(dir, "ENDPOS=20\r\n").EndPos, 21);
    EXPECT_EQ(loadFrom(dir, "ENDPOS=255\r\n").EndPos, 0);
    // The extremes wrap in 8 bits instead of overflowing (the sanitizer build aborts on that).
    EXPECT_EQ(loadFrom(dir, "ENDPOS=2147483647\r\n").EndPos, 0);
    EXPECT_EQ(loadFrom(dir, "ENDPOS=$FFFFFFFF\r\n").EndPos, 0);
    EXPECT_EQ(loadFrom(dir, "ENDPOS=-2147483648\r\n").EndPos, 1);
    EXPECT_EQ(loadFrom(dir, "FAKTOR=2,5\r\n").Factor, 2.5);
}

TEST(InterfaceDefinition, TextKeysAreCutBeforeTheirEscapes) {
    test::TempDir dir;
    const auto d = loadFrom(dir, "MW_SIGN1=1_MW\r\nMW_SIGN2=AB_C_\r\nMW_SIGN3=ABCDEFG\r\n"
                                 "MWI_SIGN1=E1#13\r\nMWI_SIGN2=#13#13\r\nMWI_SIGN3=ABCDEFGHIJK#13\r\n"
                                 "DISALL=\r\nsnd_SIGN5=" + std::string(30, 's') + "\r\n");
    EXPECT_EQ(d.ChannelIds[1], "1 MW");
    EXPECT_EQ(d.ChannelIds[2], "AB C_");
    EXPECT_EQ(d.ChannelIds[3], "ABCDE");
    EXPECT_EQ(d.ChannelCommands[1], "E1\r");
    EXPECT_EQ(d.ChannelCommands[2], "\r#13");
    EXPECT_EQ(d.ChannelCommands[3], "ABCDEFGHIJK#");
    EXPECT_EQ(d.DisableAllCommand, "");
    EXPECT_EQ(d.SendSigns[5].size(), 20u);
}

TEST(InterfaceDefinition, EachLoadStartsFromTheDefaults) {
    test::TempDir dir;
    InterfaceDefinition d = loadFrom(dir, "MW_SIGN5=X\r\n");
    EXPECT_EQ(d.ChannelIds[5], "X");
    dir.write("U.VAL", "[PARAMETER]\r\nBAUD=4800\r\n");
    loadInterfaceDefinition(d, dir.file("U.VAL"));
    EXPECT_EQ(d.ChannelIds[5], "");
}

TEST(InterfaceDefinition, FileNamesIgnoreLetterCase) {
    test::TempDir dir;
    dir.enter();
    dir.write("px5r.val", "[PARAMETER]\r\nBAUD=19200\r\n");
    InterfaceDefinition d;
    loadInterfaceDefinition(d, "PX5R.VAL");
    EXPECT_EQ(d.Baud, 19200);
    d.ComPortNumber = 7;
    storeComPortNumber(d, "PX5R.VAL");
    EXPECT_EQ(dir.read("px5r.val"), "[PARAMETER]\r\nBAUD=19200\r\nCOMx=7\r\n");
}

TEST(InterfaceDefinition, StoreComPortNumberCreatesTheFileOrSaysWhyNot) {
    test::TempDir dir;
    dir.enter();
    InterfaceDefinition d;
    d.ComPortNumber = 12;
    storeComPortNumber(d, "NEW.VAL");
    EXPECT_EQ(dir.read("NEW.VAL"), "[PARAMETER]\r\nCOMx=12\r\n");
    try {
        storeComPortNumber(d, "missing/NEW.VAL");
        FAIL() << "expected an error";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "Kann nicht nach " + dir.path() + "/missing/NEW.VAL schreiben");
    }
}
