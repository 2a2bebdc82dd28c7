#include "core/files/SeriesFile.h"

#include "core/files/FileIo.h"
#include "core/text/Error.h"
#include "core/text/TextHelpers.h"

#include <cerrno>

namespace travek {

SeriesFileContent readSeriesFile(const std::string& path) {
    // Every error names the file, as "a number is wrong" alone leaves the user guessing which.
    const auto data = readWholeFile(path);
    if (!data)
        throw Error(errno, nameForUser(path) + ": " + Error::fromErrno(errno).what());
    std::string_view text(*data);
    text = text.substr(0, std::min(text.find('\x1A'), text.size()));
    SeriesFileContent result;
    std::size_t pos = text.find_first_not_of(" \t\r\n");
    if (pos == std::string_view::npos)
        return result; // nothing but blanks: the count stays 0
    const std::size_t wordEnd = std::min(text.find_first_of(" \t\r\n", pos), text.size());
    const auto number = parseInteger(text.substr(pos, wordEnd - pos));
    if (!number)
        throw Error(Error::InvalidNumericInput, nameForUser(path) + ": Ung\xFCltige numerische Eingabe");
    result.valuesPerSeries = *number;
    // The rest of the number's line is skipped; the next line is the series string.
    std::size_t lineEnd = text.find_first_of("\r\n", wordEnd);
    if (lineEnd == std::string_view::npos)
        return result;
    pos = lineEnd + 1;
    if (text[lineEnd] == '\r' && pos < text.size() && text[pos] == '\n')
        ++pos;
    const std::size_t stringEnd = std::min(text.find_first_of("\r\n", pos), text.size());
    result.seriesString = std::string(text.substr(pos, stringEnd - pos));
    return result;
}

void writeSeriesFile(const std::string& path, std::int32_t valuesPerSeries, const std::string& seriesString) {
    writeFileAtomically(path, std::to_string(valuesPerSeries) + "\r\n" + seriesString + "\r\n");
}

} // namespace travek
