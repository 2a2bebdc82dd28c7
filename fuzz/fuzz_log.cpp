// measurement logs: any bytes in the log's place at start (an old log, a log cut off by a full
// disk, a file that was never one), and any file handed to the verifier.
// - taking the file up never fails for a regular file, and the next row goes whole to the end of
//   the file chosen (this one, or one beside it), linked to the row it goes on from;
// - the verifier says something about any file and never claims a chain that does not link;
// - the control chart's reading of it (and travek-report's summary and chart) takes any bytes.

#include "FuzzSupport.h"
#include "core/files/MeasurementLog.h"
#include "core/quality/ChartSvg.h"
#include "core/quality/LogReport.h"
#include "core/record/HashChain.h"
#include "core/record/LogVerifier.h"
#include "core/text/Error.h"

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace travek;
using namespace travek::fuzz;

namespace {

std::string readBack(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(bytes), size);
    const std::string path = ScratchDir::file("messung.csv");
    std::filesystem::remove(ScratchDir::file("messung-2.csv"));
    writeFile(path, input);

    LogSeries series;
    series.add(input);
    (void)LogReport(series, ControlRules::parse("1234")).csv();
    for (const LogSeries::Characteristic& c : series.characteristics())
        (void)chartSvg(ChartGeometry::layout(c.chart(50, ControlRules(), 50), 600, 300));

    LogVerifier verifier;
    verifier.add("messung.csv", input);
    const LogVerifier::Result result = verifier.verify();
    if (result.lines.empty())
        fail("the verifier said nothing");

    MeasurementLog log(path);
    try {
        log.open();
    } catch (const Error& e) {
        fail(std::string("a regular file was not taken up: ") + e.what());
    }
    const std::string from = log.chain();
    log.append({"COM1", 1, 1, "A: 1,5", "1,50", "", "Messung"});
    const std::string written = readBack(log.filePath());
    if (written.size() < 2 || written.compare(written.size() - 2, 2, "\r\n") != 0)
        fail("the row does not end the file");
    const std::size_t start = written.rfind('\n', written.size() - 3) + 1;
    const std::string row = written.substr(start, written.size() - 2 - start);
    const std::vector<std::string> fields = MeasurementLog::splitRow(row);
    if (fields.size() != MeasurementLog::ColumnCount)
        fail("the row has " + std::to_string(fields.size()) + " fields: " + printable(row));
    if (HashChain::next(from, row.substr(0, row.rfind(';') + 1)) != fields.back())
        fail("the row does not link to the chain it goes on from: " + printable(row));
    if (log.filePath() == path && written.compare(0, input.size(), input) != 0)
        fail("the log's earlier bytes changed");
    return 0;
}
