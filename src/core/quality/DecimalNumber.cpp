#include "core/quality/DecimalNumber.h"

#include "core/text/TextHelpers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace travek {

namespace {

constexpr int MaxDigits = 17;

std::int64_t powerOfTen(int n) {
    std::int64_t p = 1;
    while (n-- > 0)
        p *= 10;
    return p;
}

// Digits with an optional point; the caller has taken the sign off.
std::optional<DecimalNumber> digitsToDecimal(std::string_view text, bool negative) {
    DecimalNumber number;
    int digits = 0;
    bool point = false;
    for (char c : text) {
        if (c == '.' && !point) {
            point = true;
            continue;
        }
        if (c < '0' || c > '9')
            return std::nullopt;
        if (digits > 0 || c != '0')
            ++digits;
        if (digits > MaxDigits)
            return std::nullopt;
        number.units = number.units * 10 + (c - '0');
        number.decimals += point;
    }
    if (negative)
        number.units = -number.units;
    return number;
}

} // namespace

std::optional<DecimalNumber> DecimalNumber::of(double value) {
    if (!std::isfinite(value))
        return std::nullopt;
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    if (result.ec != std::errc())
        return std::nullopt;
    std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
    const bool negative = !text.empty() && text.front() == '-';
    if (negative)
        text.remove_prefix(1);
    return digitsToDecimal(text, negative);
}

std::optional<std::int64_t> DecimalNumber::unitsAt(int wanted) const {
    if (wanted < decimals || wanted - decimals > MaxDigits + 1)
        return std::nullopt;
    std::int64_t scaled = 0;
    if (__builtin_mul_overflow(units, powerOfTen(wanted - decimals), &scaled))
        return std::nullopt;
    return scaled;
}

std::optional<double> parseDecimalText(std::string_view text) {
    text = trim(text);
    std::string normal;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        normal += text[i++];
    std::size_t before = 0;
    std::size_t after = 0;
    bool comma = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if ((c == ',' || c == '.') && !comma) {
            comma = true;
            normal += '.';
        } else if (c >= '0' && c <= '9') {
            ++(comma ? after : before);
            normal += c;
        } else {
            return std::nullopt;
        }
    }
    if (before + after == 0 || before > 15 || after > 15)
        return std::nullopt;
    if (normal.front() == '+')
        normal.erase(0, 1);
    double value = 0;
    const auto result = std::from_chars(normal.data(), normal.data() + normal.size(), value);
    if (result.ec != std::errc() || result.ptr != normal.data() + normal.size())
        return std::nullopt;
    // -0 is 0: a limit or a value shown as "-0,000" would be an oddity, not a different number.
    return value == 0 ? 0.0 : value;
}

int decimalsOf(std::string_view text) {
    text = trim(text);
    const auto comma = text.find_first_of(",.");
    return comma == std::string_view::npos ? 0 : static_cast<int>(text.size() - comma - 1);
}

std::string formatDecimal(double value, int minDecimals) {
    const std::optional<DecimalNumber> number = DecimalNumber::of(value);
    if (!number)
        return formatValue(0, static_cast<std::uint8_t>(minDecimals), value);
    const std::int64_t magnitude = number->units < 0 ? -number->units : number->units;
    std::string digits = std::to_string(magnitude);
    if (static_cast<int>(digits.size()) <= number->decimals)
        digits.insert(0, static_cast<std::size_t>(number->decimals) + 1 - digits.size(), '0');
    std::string text = number->units < 0 ? "-" : "";
    text += digits.substr(0, digits.size() - static_cast<std::size_t>(number->decimals));
    const std::string fraction = digits.substr(digits.size() - static_cast<std::size_t>(number->decimals));
    const std::size_t shown = std::max(fraction.size(), static_cast<std::size_t>(std::max(0, minDecimals)));
    if (shown > 0)
        text += "," + fraction + std::string(shown - fraction.size(), '0');
    return text;
}

std::string formatDeviation(double value, int minDecimals) {
    const std::string text = formatDecimal(value, minDecimals);
    return text.front() == '-' ? text : "+" + text;
}

double decimalDifference(double a, double b) {
    const auto x = DecimalNumber::of(a);
    const auto y = DecimalNumber::of(b);
    if (x && y) {
        const int decimals = std::max(x->decimals, y->decimals);
        const auto ux = x->unitsAt(decimals);
        const auto uy = y->unitsAt(decimals);
        std::int64_t difference = 0;
        if (ux && uy && !__builtin_sub_overflow(*ux, *uy, &difference))
            return static_cast<double>(difference) / static_cast<double>(powerOfTen(decimals));
    }
    return a - b;
}

} // namespace travek
