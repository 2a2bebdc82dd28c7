// series files: any bytes either read or give an Error, and what was read writes and reads back
// the same.

#include "FuzzSupport.h"
#include "core/files/SeriesFile.h"
#include "core/text/Error.h"

using namespace travek;
using namespace travek::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    static const std::string input = ScratchDir::file("input.pst");
    static const std::string output = ScratchDir::file("output.pst");
    writeFile(input, std::string_view(reinterpret_cast<const char*>(bytes), size));

    SeriesFileContent read;
    try {
        read = readSeriesFile(input);
    } catch (const Error&) {
        return 0; // the program reports it and keeps its settings
    }
    if (read.seriesString.find_first_of("\r\n") != std::string::npos)
        fail("the series string holds a line end");

    writeSeriesFile(output, read.valuesPerSeries, read.seriesString);
    SeriesFileContent again;
    try {
        again = readSeriesFile(output);
    } catch (const Error& e) {
        fail(std::string("a written series file does not read: ") + e.what());
    }
    if (again.valuesPerSeries != read.valuesPerSeries)
        fail("the count changed from " + std::to_string(read.valuesPerSeries) + " to " +
             std::to_string(again.valuesPerSeries));
    if (again.seriesString != read.seriesString)
        fail("the series string changed from \"" + printable(read.seriesString) + "\" to \"" +
             printable(again.seriesString) + "\"");
    return 0;
}
