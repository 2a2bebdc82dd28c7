#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace travek {

// Cuts key strings into their pieces. A key string is its pieces, each followed by the separator;
// the separator is read once from the program's SPLITSTRING.INI when the splitter is made.
class TSplitStrings {
public:
    // Reads section STRINGS, key SEPCHAR of iniPath (low 8 bits of the integer; ";" by default).
    // The file name's letter case does not matter, as on Windows.
    explicit TSplitStrings(const std::string& iniPath = "./SPLITSTRING.INI");

    std::string Edit1;                     // the text to split
    std::vector<std::string> SplitResults; // the pieces of the last split, in order
    char SplitSeparator = ';';

    void SplitClick() { SplitResults = Split(Edit1, SplitSeparator); }

    // Each piece followed by the separator: the inverse of a split.
    std::string Join(const std::vector<std::string>& pieces) const { return Join(pieces, SplitSeparator); }

    static char ReadSeparator(const std::string& iniPath);
    static std::vector<std::string> Split(std::string_view text, char separator);
    static std::string Join(const std::vector<std::string>& pieces, char separator);

    // The longest prefix of at most maxLength characters that ends on a piece boundary. A cut
    // inside a named key would type its broken text ("{P") into the user's form, so the piece that
    // the limit falls into is dropped whole.
    static std::string CutToWholePieces(std::string_view text, char separator, std::size_t maxLength);
};

} // namespace travek
