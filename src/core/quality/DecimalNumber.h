#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace travek {

// A number as decimal digits: units × 10^-decimals. Limits and values are written in decimals, and
// a verdict at a limit must not depend on how binary fractions round: 10,050 against an upper
// limit of 10,050 is inside, and a value exactly at the edge of the warning zone is not a warning.
struct DecimalNumber {
    std::int64_t units = 0;
    int decimals = 0;

    // The shortest decimal text that reads back as value (a value read from a decimal text gets
    // that text's digits back); nothing where it needs more than 17 digits.
    static std::optional<DecimalNumber> of(double value);
    // units brought to the given count of decimals (at least this one's); nothing on overflow.
    std::optional<std::int64_t> unitsAt(int decimals) const;
};

// A limit or nominal as a person writes it: an optional sign, digits, and a decimal comma or point
// with more digits; blanks around it are ignored. Nothing for anything else (text, two signs, an
// exponent, more than 15 digits before or after the comma): a field that is not clearly a
// number is refused, never read as a part of it.
std::optional<double> parseDecimalText(std::string_view text);

// The digits after the decimal comma or point of such a text.
int decimalsOf(std::string_view text);

// value with a decimal comma and at least minDecimals decimals (more where it has more).
std::string formatDecimal(double value, int minDecimals);
// value as a deviation: "+0,050", "-0,020", "+0,000".
std::string formatDeviation(double value, int minDecimals);
// a - b, exactly where both are decimals of at most 17 digits.
double decimalDifference(double a, double b);

} // namespace travek
