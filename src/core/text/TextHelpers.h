#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace travek {

// Texts are 8-bit strings (Windows-1252), as the files and devices deliver them.

// Every "," becomes "."; a "0" is put in front when the text then starts with ".".
std::string commaToPoint(std::string_view text);

// Deletes every blank (code 32); tabs and other control characters stay.
std::string removeBlanks(std::string_view text);

// Appends blanks while the text is shorter than Width.
std::string padRight(std::string_view text, std::uint8_t Width);

// Fixed-point text of value with exactly Decimals digits and a decimal comma, at most 20
// characters, padded to Width. Rounds half away from zero at the kept digit, after expanding the
// value to 18 significant digits.
std::string formatValue(std::uint8_t Width, std::uint8_t Decimals, double value);

// Measured values are held with the precision of a 48-bit real: a 40-bit significand (39 stored
// bits plus the hidden one) and a binary exponent of 2^-128 .. 2^126. Rounds to nearest, ties to
// even; magnitudes below the smallest normal value become 0. Returns nothing when the magnitude
// is beyond the largest 48-bit real (about 1.7e38).
std::optional<double> roundToReal48(double value);

// Converts the leading decimal number of text (optional sign, digits, optional point with
// fraction digits, optional exponent) to a 48-bit real. Anything after the number is ignored, so
// "12.5mm" is 12.5. Returns nothing when the text does not start with a number, or when the
// number is out of the 48-bit range.
std::optional<double> strToReal48(std::string_view text);

// Why a measured value text gives no value.
enum class ValueFault {
    None,
    NoNumber,        // no digit at all (",", ". mm", "ERR"), or no number where it begins
    OutOfRange,      // a number beyond the largest 48-bit real
    ControlCharacter // a control character inside it: line noise, whatever digits stand around it
};
struct ValueConversion {
    double value = 0; // when fault is None
    ValueFault fault = ValueFault::None;
};

// The conversion of a measured value text: commaToPoint, removeBlanks, then strToReal48. A text
// without any digit is no number, although commaToPoint makes "0." of a lone comma: typing 0,000
// for it would put a value into the record that nobody measured.
ValueConversion readValueText(std::string_view valueText);
// readValueText's value; nothing for any fault.
std::optional<double> convertValueText(std::string_view valueText);

// An integer as the configuration files write it: the whole text is a decimal number with an
// optional sign, or a hexadecimal one introduced by "$", "0x" or "0X". Anything else, and a
// number that does not fit in 32 bits, gives nothing.
std::optional<std::int32_t> parseInteger(std::string_view text);

// A number typed by a user or held in a grid cell: optional sign and the digits that follow it,
// up to the first character that is not a digit; 0 when there is no digit. Saturates at the
// 32-bit limits.
std::int32_t leadingInt(std::string_view text);

// Leading blanks skipped, then the decimal digits that follow (no sign); 0 when no digit follows.
std::int32_t leadingDigitsAfterBlanks(std::string_view text);

// ASCII upper case; other bytes stay as they are.
std::string asciiUpper(std::string_view text);
bool equalsIgnoreCase(std::string_view a, std::string_view b);

// Removes blanks, tabs and line-end characters at both ends.
std::string_view trim(std::string_view text);

// The Unicode code point of a Windows-1252 character. The five codes that Windows-1252 leaves
// undefined stay the C1 controls of the same number.
char32_t win1252ToUnicode(char c);
// The Windows-1252 character of a code point; nothing when Windows-1252 has none.
std::optional<char> unicodeToWin1252(char32_t codepoint);

// A text from the system (an error message, a file name) as a program text: valid UTF-8
// sequences become their Windows-1252 characters ('?' where there is none); any other byte is
// taken to be Windows-1252 already and kept.
std::string systemTextToWin1252(std::string_view text);

} // namespace travek
