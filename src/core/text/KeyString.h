#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace travek {

// A key string is a list of pieces (plain text, named keys such as {TAB}), each followed by the
// separator. The separator is the program's own setting: SPLITSTRING.INI, section STRINGS, key
// SEPCHAR.

inline constexpr char DefaultKeySeparator = ';';

// Reads the separator from iniPath (low 8 bits of the integer; ";" by default). The file name's
// letter case does not matter, as on Windows.
char readKeySeparator(const std::string& iniPath = "./SPLITSTRING.INI");

std::vector<std::string> splitKeyString(std::string_view text, char separator);

// Each piece followed by the separator: the inverse of a split.
std::string joinKeyString(const std::vector<std::string>& pieces, char separator);

// The longest prefix of at most maxLength characters that ends on a piece boundary. A cut inside a
// named key would type its broken text ("{P") into the user's form, so the piece that the limit
// falls into is dropped whole.
std::string cutToWholePieces(std::string_view text, char separator, std::size_t maxLength);

} // namespace travek
