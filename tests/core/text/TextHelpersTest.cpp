#include "core/text/TextHelpers.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace travek;

TEST(CommaToPoint, Table) {
    EXPECT_EQ(commaToPoint("12,5"), "12.5");
    EXPECT_EQ(commaToPoint(",5"), "0.5");
    EXPECT_EQ(commaToPoint("1,2,3"), "1.2.3");
    EXPECT_EQ(commaToPoint("-,5"), "-.5");
    EXPECT_EQ(commaToPoint(" ,5"), " .5");
    EXPECT_EQ(commaToPoint("."), "0.");
    EXPECT_EQ(commaToPoint(""), "");
}

TEST(RemoveBlanks, KeepsTabsAndControlCharacters) {
    EXPECT_EQ(removeBlanks("    "), "");
    EXPECT_EQ(removeBlanks(" 1 2 3 "), "123");
    EXPECT_EQ(removeBlanks("a\tb\r"), "a\tb\r");
}

TEST(PadRight, PadsOnlyShortTexts) {
    EXPECT_EQ(padRight("ab", 0), "ab");
    EXPECT_EQ(padRight("ab", 4), "ab  ");
    EXPECT_EQ(padRight("abcdef", 4), "abcdef");
}

TEST(FormatValue, Table) {
    EXPECT_EQ(formatValue(0, 2, 12.375), "12,38");
    EXPECT_EQ(formatValue(0, 2, 0.125), "0,13");
    EXPECT_EQ(formatValue(0, 3, 0.5), "0,500");
    EXPECT_EQ(formatValue(0, 1, -3), "-3,0");
    EXPECT_EQ(formatValue(0, 1, -0.04), "-0,0");
    EXPECT_EQ(formatValue(0, 0, 12.5), "13");
    EXPECT_EQ(formatValue(0, 0, 7.25), "7");
    EXPECT_EQ(formatValue(8, 2, 1.5), "    1,50");
    EXPECT_EQ(formatValue(0, 19, 1.5), "1,5" + std::string(17, '0'));
}

TEST(FormatValue, SignsCarriesAndSmallMagnitudes) {
    EXPECT_EQ(formatValue(0, 3, 0.0), "0,000");
    EXPECT_EQ(formatValue(0, 3, -0.0), "0,000");   // no negative zero in a 48-bit real
    EXPECT_EQ(formatValue(0, 2, -0.001), "-0,00"); // rounds to zero, keeps its sign
    EXPECT_EQ(formatValue(0, 2, 9.996), "10,00");  // carry through every digit
    EXPECT_EQ(formatValue(0, 0, 0.5), "1");
    EXPECT_EQ(formatValue(0, 0, 0.49), "0");
    EXPECT_EQ(formatValue(0, 2, 0.005), "0,01");
    EXPECT_EQ(formatValue(0, 2, 0.0049), "0,00");
    EXPECT_EQ(formatValue(0, 3, 1e-30), "0,000");
    EXPECT_EQ(formatValue(0, 0, 123456789012.0), "123456789012");
    EXPECT_EQ(formatValue(0, 3, 12345678901234567.0).size(), 20u); // cut to 20 characters
    EXPECT_EQ(formatValue(0, 2, 1.5e36).find('E') != std::string::npos, true);
}

TEST(FormatValue, DecimalsZeroHasNoComma) {
    EXPECT_EQ(formatValue(0, 0, 1234.4).find(','), std::string::npos);
}

TEST(Real48, RoundsToFortyBitSignificand) {
    // 1 + 2^-39 is representable, 1 + 2^-40 is a tie and goes to the even neighbour (1).
    EXPECT_EQ(*roundToReal48(1 + std::ldexp(1.0, -39)), 1 + std::ldexp(1.0, -39));
    EXPECT_EQ(*roundToReal48(1 + std::ldexp(1.0, -40)), 1.0);
    EXPECT_EQ(*roundToReal48(1 + 3 * std::ldexp(1.0, -40)), 1 + std::ldexp(1.0, -38));
    EXPECT_EQ(*roundToReal48(-2.5), -2.5);
    EXPECT_FALSE(roundToReal48(1.8e38).has_value());
    EXPECT_TRUE(roundToReal48(1.7e38).has_value());
    EXPECT_EQ(*roundToReal48(1e-40), 0.0);
}

TEST(Real48, DiffersFromDoubleWhereTheDigitsSayItShould) {
    // Held as a double, 0.015 lies just below the half-way point and 0.135 just above; held in
    // 48 bits it is the other way round. The typed text follows the 48-bit value.
    EXPECT_EQ(formatValue(0, 2, 0.015), "0,01");
    EXPECT_EQ(formatValue(0, 2, *convertValueText("0,015")), "0,02");
    EXPECT_EQ(formatValue(0, 2, 0.135), "0,14");
    EXPECT_EQ(formatValue(0, 2, *convertValueText("0,135")), "0,13");
    // 12.345 lies above the half-way point in both.
    EXPECT_EQ(formatValue(0, 2, 12.345), "12,35");
    EXPECT_EQ(formatValue(0, 2, *convertValueText("12,345")), "12,35");
    // Twelve significant digits survive the trip through 48 bits.
    EXPECT_EQ(formatValue(0, 3, *convertValueText("123456789,012")), "123456789,012");
}

TEST(ConvertValueText, LeadingNumberOrNothing) {
    EXPECT_DOUBLE_EQ(*convertValueText("+012,345 "), 12.345000000001164);
    EXPECT_NEAR(*convertValueText("12,5mm"), 12.5, 0);
    EXPECT_NEAR(*convertValueText(" - 1 , 5"), -1.5, 0);
    EXPECT_NEAR(*convertValueText(",5"), 0.5, 0);
    EXPECT_NEAR(*convertValueText("-,5"), -0.5, 0);
    EXPECT_NEAR(*convertValueText("1,5E2"), 150, 0);
    EXPECT_NEAR(*convertValueText("1,5E"), 1.5, 0); // an exponent without digits is not part of it
    EXPECT_NEAR(*convertValueText("1,5e-2x"), 0.015, 1e-12);
    EXPECT_NEAR(*convertValueText("7."), 7, 0);
    EXPECT_FALSE(convertValueText(""));
    EXPECT_FALSE(convertValueText("ERR"));
    EXPECT_FALSE(convertValueText("+"));
    EXPECT_FALSE(convertValueText("-,"));
    EXPECT_FALSE(convertValueText("1e39")); // beyond the 48-bit range
    EXPECT_FALSE(convertValueText("1e99999"));
    EXPECT_EQ(*convertValueText("1e-99999"), 0.0);
    EXPECT_EQ(*convertValueText("0,0000000000000000000000000000000000000000001"), 0.0);
}

// A value text without a digit is no number, whatever blanks stand around it: commaToPoint makes
// "0." of a lone comma, which would be typed as 0,000. A number beyond the 48-bit range, and a
// text with a control character in it (line noise), are no value either, each for its own reason.
TEST(ConvertValueText, NoDigitOutOfRangeAndLineNoiseAreNoValues) {
    for (const char* text : {",", ".", ",,", ", mm", " , ", " .", "-,", "ERR"})
        EXPECT_EQ(readValueText(text).fault, ValueFault::NoNumber) << '"' << text << '"';
    EXPECT_EQ(readValueText("1e39").fault, ValueFault::OutOfRange);
    EXPECT_EQ(readValueText("-2e38").fault, ValueFault::OutOfRange);
    EXPECT_EQ(readValueText(std::string("12\0"
                                        "34,5",
                                        7))
                  .fault,
              ValueFault::ControlCharacter);
    EXPECT_EQ(readValueText("1,5\t").fault, ValueFault::ControlCharacter);
    EXPECT_EQ(readValueText(" 0,0 ").value, 0.0);
    EXPECT_EQ(readValueText(" 0,0 ").fault, ValueFault::None);
}

TEST(ParseInteger, DecimalAndHexadecimalWholeTexts) {
    EXPECT_EQ(parseInteger("3"), 3);
    EXPECT_EQ(parseInteger("-17"), -17);
    EXPECT_EQ(parseInteger("+5"), 5);
    EXPECT_EQ(parseInteger("0x03"), 3);
    EXPECT_EQ(parseInteger("0X1f"), 31);
    EXPECT_EQ(parseInteger("$3"), 3);
    EXPECT_EQ(parseInteger("$FFFFFFFF"), -1);
    EXPECT_EQ(parseInteger("2147483647"), 2147483647);
    EXPECT_EQ(parseInteger("-2147483648"), -2147483647 - 1);
    EXPECT_FALSE(parseInteger("2147483648"));
    EXPECT_FALSE(parseInteger("$100000000"));
    EXPECT_FALSE(parseInteger("3a"));
    EXPECT_FALSE(parseInteger(""));
    EXPECT_FALSE(parseInteger("0x"));
    EXPECT_FALSE(parseInteger("$"));
    EXPECT_FALSE(parseInteger("--3"));
    EXPECT_FALSE(parseInteger(" 3"));
    EXPECT_FALSE(parseInteger("yes"));
}

TEST(LeadingInt, DigitsUpToTheFirstOther) {
    EXPECT_EQ(leadingInt(""), 0);
    EXPECT_EQ(leadingInt("abc"), 0);
    EXPECT_EQ(leadingInt("7abc"), 7);
    EXPECT_EQ(leadingInt("-12"), -12);
    EXPECT_EQ(leadingInt("99999999999"), 2147483647);
    EXPECT_EQ(leadingDigitsAfterBlanks("  7x"), 7);
    EXPECT_EQ(leadingDigitsAfterBlanks("1 2"), 1);
    EXPECT_EQ(leadingDigitsAfterBlanks("-3"), 0);
    EXPECT_EQ(leadingDigitsAfterBlanks(" "), 0);
}
