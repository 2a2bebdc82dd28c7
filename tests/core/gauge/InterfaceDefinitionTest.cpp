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
    EXPECT_EQ(d.portNumber, 1);
    EXPECT_EQ(d.baud, 9600);
    EXPECT_EQ(d.byteLength, 8);
    EXPECT_EQ(d.parityCode, 0);
    EXPECT_FALSE(d.useRts);
    EXPECT_EQ(d.channelIds[1], "");
    EXPECT_EQ(d.channelCommands[48], "");
    EXPECT_EQ(d.sendSigns[0], "01A");
    EXPECT_EQ(d.disableAllCommand, "D0");
    EXPECT_EQ(d.endChar1, 13);
    EXPECT_EQ(d.startPos, 4);
    EXPECT_EQ(d.endPos, 14);
    EXPECT_EQ(d.channelCount, 2);
    EXPECT_EQ(d.interfaceName, "PX5R");
}

TEST(InterfaceDefinition, IntegerKeys) {
    test::TempDir dir;
    EXPECT_EQ(loadFrom(dir, "COMx=0x03\r\n").portNumber, 3);
    EXPECT_EQ(loadFrom(dir, "comx=$3\r\n").portNumber, 3);
    EXPECT_EQ(loadFrom(dir, "COMx=3a\r\n").portNumber, 1);
    EXPECT_EQ(loadFrom(dir, "COMx=\r\n").portNumber, 1);
    EXPECT_FALSE(loadFrom(dir, "USE_RTS=2\r\n").useRts);
    EXPECT_FALSE(loadFrom(dir, "USE_RTS=yes\r\n").useRts);
    EXPECT_TRUE(loadFrom(dir, "USE_RTS=1\r\n").useRts);
    EXPECT_TRUE(loadFrom(dir, "USE_RTS=0x1\r\n").useRts);
    EXPECT_EQ(loadFrom(dir, "STARTPOS=300\r\n").startPos, 44);
    EXPECT_EQ(loadFrom(dir, "ENDCHAR1=-1\r\n").endChar1, 255);
    EXPECT_EQ(loadFrom(dir, "ENDPOS=20\r\n").endPos, 21);
    EXPECT_EQ(loadFrom(dir, "ENDPOS=255\r\n").endPos, 0);
    // The extremes wrap in 8 bits instead of overflowing (the sanitizer build aborts on that).
    EXPECT_EQ(loadFrom(dir, "ENDPOS=2147483647\r\n").endPos, 0);
    EXPECT_EQ(loadFrom(dir, "ENDPOS=$FFFFFFFF\r\n").endPos, 0);
    EXPECT_EQ(loadFrom(dir, "ENDPOS=-2147483648\r\n").endPos, 1);
    EXPECT_EQ(loadFrom(dir, "FAKTOR=2,5\r\n").factor, 2.5);
}

TEST(InterfaceDefinition, TextKeysAreCutBeforeTheirEscapes) {
    test::TempDir dir;
    const auto d = loadFrom(dir, "MW_SIGN1=1_MW\r\nMW_SIGN2=AB_C_\r\nMW_SIGN3=ABCDEFG\r\n"
                                 "MWI_SIGN1=E1#13\r\nMWI_SIGN2=#13#13\r\nMWI_SIGN3=ABCDEFGHIJK#13\r\n"
                                 "DISALL=\r\nsnd_SIGN5=" +
                                     std::string(30, 's') + "\r\n");
    EXPECT_EQ(d.channelIds[1], "1 MW");
    EXPECT_EQ(d.channelIds[2], "AB C_");
    EXPECT_EQ(d.channelIds[3], "ABCDE");
    EXPECT_EQ(d.channelCommands[1], "E1\r");
    EXPECT_EQ(d.channelCommands[2], "\r#13");
    EXPECT_EQ(d.channelCommands[3], "ABCDEFGHIJK#");
    EXPECT_EQ(d.disableAllCommand, "");
    EXPECT_EQ(d.sendSigns[5].size(), 20u);
}

TEST(InterfaceDefinition, EachLoadStartsFromTheDefaults) {
    test::TempDir dir;
    InterfaceDefinition d = loadFrom(dir, "MW_SIGN5=X\r\n");
    EXPECT_EQ(d.channelIds[5], "X");
    dir.write("U.VAL", "[PARAMETER]\r\nBAUD=4800\r\n");
    loadInterfaceDefinition(d, dir.file("U.VAL"));
    EXPECT_EQ(d.channelIds[5], "");
}

TEST(InterfaceDefinition, FileNamesIgnoreLetterCase) {
    test::TempDir dir;
    dir.enter();
    dir.write("px5r.val", "[PARAMETER]\r\nBAUD=19200\r\n");
    InterfaceDefinition d;
    loadInterfaceDefinition(d, "PX5R.VAL");
    EXPECT_EQ(d.baud, 19200);
    d.portNumber = 7;
    storeComPortNumber(d, "PX5R.VAL");
    EXPECT_EQ(dir.read("px5r.val"), "[PARAMETER]\r\nBAUD=19200\r\nCOMx=7\r\n");
}

TEST(InterfaceDefinition, StoreComPortNumberCreatesTheFileOrSaysWhyNot) {
    test::TempDir dir;
    dir.enter();
    InterfaceDefinition d;
    d.portNumber = 12;
    storeComPortNumber(d, "NEW.VAL");
    EXPECT_EQ(dir.read("NEW.VAL"), "[PARAMETER]\r\nCOMx=12\r\n");
    try {
        storeComPortNumber(d, "missing/NEW.VAL");
        FAIL() << "expected an error";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "Kann nicht nach " + dir.path() + "/missing/NEW.VAL schreiben");
    }
}
