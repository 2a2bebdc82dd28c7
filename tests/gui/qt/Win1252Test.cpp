#include "gui/qt/Win1252.h"

#include <gtest/gtest.h>

using namespace travek;

TEST(Win1252, RoundTripOfEveryByte) {
    std::string all;
    for (int c = 1; c < 256; ++c)
        all.push_back(static_cast<char>(c));
    EXPECT_EQ(toWin1252(fromWin1252(all)), all);
    EXPECT_EQ(fromWin1252("\x80\xe4\xdf"), QString::fromUtf8("€äß"));
    EXPECT_EQ(toWin1252(QString::fromUtf8("Zeile einfügen €")), "Zeile einf\xfcgen \x80");
    EXPECT_EQ(toWin1252(QString::fromUtf8("日")), "?");
}
