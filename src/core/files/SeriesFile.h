#pragma once

#include <cstdint>
#include <string>

namespace travek {

// A series file: the value count on its first line, the series key string on the second, CR LF.
struct SeriesFileContent {
    std::int32_t valuesPerSeries = 0;
    std::string seriesString;
};

// Reads the first number of the file (blanks and line ends before it skipped, the rest of its line
// ignored) and the whole next line. Throws Error when the file cannot be read or the first
// word is not a number.
SeriesFileContent readSeriesFile(const std::string& path);

// Writes the file anew, atomically. Throws Error.
void writeSeriesFile(const std::string& path, std::int32_t valuesPerSeries, const std::string& seriesString);

} // namespace travek
