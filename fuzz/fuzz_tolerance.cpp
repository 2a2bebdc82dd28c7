// tolerance files: any bytes either read or give an Error, every step read has limits that make
// sense or none, and what was read writes and reads back the same.

#include "FuzzSupport.h"
#include "core/files/ToleranceFile.h"
#include "core/text/Error.h"

using namespace travek;
using namespace travek::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    static const std::string input = ScratchDir::file("input.tol");
    static const std::string output = ScratchDir::file("output.tol");
    writeFile(input, std::string_view(reinterpret_cast<const char*>(bytes), size));

    ToleranceFileContent read;
    try {
        read = readToleranceFile(input);
    } catch (const Error&) {
        return 0; // the program reports it and the steps have no limits
    }
    for (int step = 1; step <= MaxSteps; ++step)
        if (!toleranceProblem(read.tolerances.step(step)).empty())
            fail("step " + std::to_string(step) + " kept limits that make no sense");

    writeToleranceFile(output, read.tolerances);
    ToleranceFileContent again;
    try {
        again = readToleranceFile(output);
    } catch (const Error& e) {
        fail(std::string("a written tolerance file does not read: ") + e.what());
    }
    if (again.tolerances.settings() != read.tolerances.settings())
        fail("the settings changed");
    for (int step = 1; step <= MaxSteps; ++step)
        if (!(again.tolerances.step(step) == read.tolerances.step(step)) ||
            again.tolerances.texts(step) != read.tolerances.texts(step))
            fail("step " + std::to_string(step) + " changed from \"" +
                 printable(read.tolerances.cellText(step)) + "\" to \"" +
                 printable(again.tolerances.cellText(step)) + "\"");
    return 0;
}
