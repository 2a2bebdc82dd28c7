#include "core/text/TextHelpers.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace travek {

std::string commaToPoint(std::string_view text) {
    std::string result(text);
    std::replace(result.begin(), result.end(), ',', '.');
    if (!result.empty() && result.front() == '.')
        result.insert(result.begin(), '0');
    return result;
}

std::string removeBlanks(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (char c : text)
        if (c != ' ')
            result.push_back(c);
    return result;
}

std::string padRight(std::string_view text, std::uint8_t Width) {
    std::string result(text);
    if (result.size() < Width)
        result.append(Width - result.size(), ' ');
    return result;
}

namespace {

// Adds one to a string of decimal digits; grows it by a leading "1" on overflow.
void incrementDigits(std::string& digits) {
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return;
        }
        *it = '0';
    }
    digits.insert(digits.begin(), '1');
}

// |value| * 10^Decimals rounded half away from zero, as a digit string, after expanding |value|
// to 18 significant digits.
std::string scaledDigits(double magnitude, int decimals) {
    if (magnitude == 0)
        return "0";
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, 17);
    std::string_view sci(buf, res.ptr - buf); // d.ddddddddddddddddde[+-]xx
    std::string digits;
    digits.push_back(sci[0]);
    digits.append(sci.substr(2, 17));
    int exp10 = 0;
    std::from_chars(sci.data() + sci.find('e') + 1 + (sci[sci.find('e') + 1] == '+'), sci.data() + sci.size(),
                    exp10);
    const int keep = exp10 + 1 + decimals; // significant digits that stand before the cut
    if (keep < 0)
        return "0";
    if (keep == 0)
        return digits[0] >= '5' ? "1" : "0";
    if (keep >= static_cast<int>(digits.size()))
        return digits + std::string(keep - digits.size(), '0');
    const bool roundUp = digits[keep] >= '5';
    digits.resize(keep);
    if (roundUp)
        incrementDigits(digits);
    return digits;
}

} // namespace

std::string formatValue(std::uint8_t Width, std::uint8_t Decimals, double value) {
    const bool negative = std::signbit(value) && value != 0;
    const double magnitude = std::fabs(value);
    std::string text;
    if (magnitude >= 1e36) {
        // Never reached by measured values; exponent form keeps the text short.
        char buf[400];
        auto res = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, Decimals);
        text.assign(buf, res.ptr);
        std::transform(text.begin(), text.end(), text.begin(), [](char c) { return c == 'e' ? 'E' : c; });
    } else {
        std::string digits = scaledDigits(magnitude, Decimals);
        if (digits.size() < static_cast<std::size_t>(Decimals) + 1)
            digits.insert(0, Decimals + 1 - digits.size(), '0');
        text = digits.substr(0, digits.size() - Decimals);
        if (Decimals > 0) {
            text.push_back('.');
            text.append(digits.substr(digits.size() - Decimals));
        }
    }
    if (negative)
        text.insert(text.begin(), '-');
    if (text.size() < Width)
        text.insert(0, Width - text.size(), ' ');
    if (text.size() > 20)
        text.resize(20);
    std::replace(text.begin(), text.end(), '.', ',');
    return padRight(text, Width);
}

std::optional<double> roundToReal48(double value) {
    if (value == 0 || std::isnan(value))
        return value == 0 ? std::optional<double>(0.0) : std::nullopt;
    if (std::isinf(value))
        return std::nullopt;
    int exponent = 0;
    const double fraction = std::frexp(std::fabs(value), &exponent);     // [0.5, 1) * 2^exponent
    const double significand = std::nearbyint(std::ldexp(fraction, 40)); // ties to even
    const double rounded = std::ldexp(significand, exponent - 40);
    if (rounded >= std::ldexp(1.0, 127))
        return std::nullopt;
    if (rounded < std::ldexp(1.0, -128))
        return 0.0;
    return std::copysign(rounded, value);
}

namespace {

// strToReal48, saying in beyond when the text was a number out of the 48-bit range.
std::optional<double> parseReal48(std::string_view text, bool& beyond) {
    std::size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        negative = text[pos++] == '-';
    const std::size_t mantissaStart = pos;
    std::size_t digitCount = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9')
        ++pos, ++digitCount;
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9')
            ++pos, ++digitCount;
    }
    if (digitCount == 0)
        return std::nullopt;
    std::size_t end = pos;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        std::size_t e = pos + 1;
        if (e < text.size() && (text[e] == '+' || text[e] == '-'))
            ++e;
        const std::size_t expDigits = e;
        while (e < text.size() && text[e] >= '0' && text[e] <= '9')
            ++e;
        if (e > expDigits)
            end = e;
    }
    std::string number(text.substr(mantissaStart, end - mantissaStart));
    if (number.front() == '.')
        number.insert(number.begin(), '0');
    double value = 0;
    auto res = std::from_chars(number.data(), number.data() + number.size(), value);
    if (res.ec == std::errc::result_out_of_range) {
        // from_chars does not say which way it overflowed: a tiny number is 0, a huge one is
        // beyond every real we can hold.
        const auto ePos = number.find_first_of("eE");
        long long exp10 = 0;
        if (ePos != std::string::npos) {
            const char* first = number.data() + ePos + 1 + (number[ePos + 1] == '+');
            std::from_chars(first, number.data() + number.size(), exp10);
            if (exp10 > 100000 || exp10 < -100000)
                exp10 = exp10 > 0 ? 100000 : -100000;
        }
        const std::string_view mantissa(number.data(), ePos == std::string::npos ? number.size() : ePos);
        const auto point = std::min(mantissa.find('.'), mantissa.size());
        const auto firstNonZero = mantissa.find_first_not_of("0.");
        if (firstNonZero == std::string_view::npos)
            return 0.0;
        const long long order =
            exp10 + (firstNonZero < point ? static_cast<long long>(point - firstNonZero) - 1
                                          : -static_cast<long long>(firstNonZero - point));
        if (order < 0)
            return 0.0;
        beyond = true;
        return std::nullopt;
    }
    if (res.ec != std::errc())
        return std::nullopt;
    const auto rounded = roundToReal48(negative ? -value : value);
    beyond = !rounded;
    return rounded;
}

} // namespace

std::optional<double> strToReal48(std::string_view text) {
    bool beyond = false;
    return parseReal48(text, beyond);
}

ValueConversion readValueText(std::string_view valueText) {
    const auto isControl = [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; };
    if (std::any_of(valueText.begin(), valueText.end(), isControl))
        return {0, ValueFault::ControlCharacter};
    if (valueText.find_first_of("0123456789") == std::string_view::npos)
        return {0, ValueFault::NoNumber};
    bool beyond = false;
    if (const auto value = parseReal48(removeBlanks(commaToPoint(valueText)), beyond))
        return {*value, ValueFault::None};
    return {0, beyond ? ValueFault::OutOfRange : ValueFault::NoNumber};
}

std::optional<double> convertValueText(std::string_view valueText) {
    const ValueConversion conversion = readValueText(valueText);
    if (conversion.fault != ValueFault::None)
        return std::nullopt;
    return conversion.value;
}

std::optional<std::int32_t> parseInteger(std::string_view text) {
    std::size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        negative = text[pos++] == '-';
    int base = 10;
    if (pos < text.size() && text[pos] == '$') {
        base = 16;
        ++pos;
    } else if (pos + 1 < text.size() && text[pos] == '0' && (text[pos + 1] == 'x' || text[pos + 1] == 'X')) {
        base = 16;
        pos += 2;
    }
    if (pos >= text.size())
        return std::nullopt;
    std::uint64_t magnitude = 0;
    const char* first = text.data() + pos;
    const char* last = text.data() + text.size();
    if (*first == '+' || *first == '-')
        return std::nullopt;
    auto res = std::from_chars(first, last, magnitude, base);
    if (res.ec != std::errc() || res.ptr != last)
        return std::nullopt;
    if (base == 16) {
        // Hexadecimal texts name a 32-bit pattern: $FFFFFFFF is -1.
        if (magnitude > 0xFFFFFFFFull)
            return std::nullopt;
        auto bits = static_cast<std::uint32_t>(magnitude);
        if (negative)
            bits = 0u - bits;
        return static_cast<std::int32_t>(bits);
    }
    const std::int64_t signedValue =
        negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
    if (magnitude > 0x80000000ull || signedValue > std::numeric_limits<std::int32_t>::max() ||
        signedValue < std::numeric_limits<std::int32_t>::min())
        return std::nullopt;
    return static_cast<std::int32_t>(signedValue);
}

std::int32_t leadingInt(std::string_view text) {
    std::size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        negative = text[pos++] == '-';
    std::int64_t value = 0;
    constexpr std::int64_t limit = std::int64_t(std::numeric_limits<std::int32_t>::max()) + 1;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos)
        value = std::min(value * 10 + (text[pos] - '0'), limit);
    value = negative ? -value : std::min(value, limit - 1);
    return static_cast<std::int32_t>(value);
}

std::int32_t leadingDigitsAfterBlanks(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && text[pos] == ' ')
        ++pos;
    if (pos >= text.size() || text[pos] < '0' || text[pos] > '9')
        return 0;
    return leadingInt(text.substr(pos));
}

std::string asciiUpper(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return result;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z')
            x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z')
            y = static_cast<char>(y - 'a' + 'A');
        if (x != y)
            return false;
    }
    return true;
}

std::string_view trim(std::string_view text) {
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

namespace {

// 0x80..0x9F; 0 marks the five codes that Windows-1252 leaves undefined.
constexpr std::array<char32_t, 32> Win1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

} // namespace

char32_t win1252ToUnicode(char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x80 && byte <= 0x9F && Win1252High[byte - 0x80] != 0)
        return Win1252High[byte - 0x80];
    return byte;
}

std::optional<char> unicodeToWin1252(char32_t codepoint) {
    if (codepoint < 0x80 || (codepoint >= 0xA0 && codepoint <= 0xFF))
        return static_cast<char>(codepoint);
    for (std::size_t i = 0; i < Win1252High.size(); ++i)
        if (Win1252High[i] == codepoint || (Win1252High[i] == 0 && codepoint == 0x80 + i))
            return static_cast<char>(0x80 + i);
    return std::nullopt;
}

std::string systemTextToWin1252(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead >= 0xF0 && lead < 0xF5   ? 4
                                   : lead >= 0xE0                ? 3
                                   : lead >= 0xC2 && lead < 0xE0 ? 2
                                                                 : 1;
        bool sequence = length > 1 && i + length <= text.size();
        char32_t codepoint = lead & (0x7F >> length);
        for (std::size_t k = 1; sequence && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            sequence = (next & 0xC0) == 0x80;
            codepoint = (codepoint << 6) | (next & 0x3F);
        }
        if (!sequence) {
            result.push_back(text[i]);
            ++i;
            continue;
        }
        result.push_back(unicodeToWin1252(codepoint).value_or('?'));
        i += length;
    }
    return result;
}

} // namespace travek
