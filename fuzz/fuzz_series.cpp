// Series files: any bytes either read or give an Error, and what was read writes and reads back
// the same.

#include "FuzzSupport.h"
#include "core/text/Error.h"
#include "core/files/SeriesFile.h"

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
    if (read.SeriesString.find_first_of("\r\n") != std::string::npos)
        fail("the series string holds a line end");

    writeSeriesFile(output, read.ValXCount, read.SeriesString);
    SeriesFileContent again;
    try {
        again = readSeriesFile(output);
    } catch (const Error& e) {
        fail(std::string("a written series file does not read: ") + e.what());
    }
    if (again.ValXCount != read.ValXCount)
        fail("the count changed from " + std::to_string(read.ValXCount) + " to " +
             std::to_string(again.ValXCount));
    if (again.SeriesString != read.SeriesString)
        fail("the series string changed from \"" + printable(read.SeriesString) + "\" to \"" +
             printable(again.SeriesString) + "\"");
    return 0;
}
