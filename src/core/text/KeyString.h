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
// letter case does not matter, as on Windows. A file that is refused (a folder, too large) is
// reported on standard error, and the separator is ";".
char readKeySeparator(const std::string& iniPath = "./SPLITSTRING.INI");

std::vector<std::string> splitKeyString(std::string_view text, char separator);

// Each piece followed by the separator: the inverse of a split.
std::string joinKeyString(const std::vector<std::string>& pieces, char separator);

// The first maxLength characters of a key string, as the stored format has always kept them, but
// never a broken key: a cut inside a named key would type its broken text ("{P") into the user's
// form, and a cut after an "@" or "^" prefix would press Alt or Ctrl on its own. A prefix and
// what it modifies (a character, or a whole named key: "^{ENTER}") are one group; where the limit
// falls inside a group, the group is dropped. Braces without a closing one are plain
// characters, as the keystroke sender types them.
std::string cutKeyString(std::string_view text, std::size_t maxLength);

} // namespace travek
