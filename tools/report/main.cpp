// travek-report: what a measurement log of TRAVEK's says for the quality engineer's desk: whether
// any row was altered after it was written (its chain), and per characteristic the figures, the
// verdicts and the control rules broken, as text, as CSV for a spreadsheet, or as the chart.

#include "core/files/FileIo.h"
#include "core/quality/ChartSvg.h"
#include "core/quality/LogReport.h"
#include "core/quality/TrendChart.h"
#include "core/record/LogVerifier.h"
#include "core/text/ConsoleText.h"
#include "core/text/Error.h"
#include "core/text/TextHelpers.h"

#include <cstdio>
#include <string>
#include <vector>

using namespace travek;

namespace {

// A log is read whole; one of a busy station's years is some 300 MB.
constexpr std::size_t MaxLogBytes = std::size_t{1} << 30;

const char* Usage =
    "Usage: travek-report --verify FILE...\n"
    "       travek-report [--csv] [--regeln 1234] FILE...\n"
    "       travek-report --svg OUT [--merkmal NAME] [--punkte N] [--regeln 1234] [--warnung P] FILE...\n"
    "       travek-report --help | --version\n"
    "\n"
    "FILE... are the files of one TRAVEK measurement log in the order they were written,\n"
    "rotated files first (messung.csv.2 messung.csv.1 messung.csv).\n"
    "\n"
    "--verify checks the log's chain. Says \"n S\xE4tze, Kette intakt\", or the first row\n"
    "that was edited, deleted before, inserted or moved, with its file, line and\n"
    "record number (Satz). Rows without a chain value are counted as outside it.\n"
    "\n"
    "Without --verify: per characteristic (Merkmal), over its values since the last\n"
    "\"Neu beginnen\", n, mean, s, Cp, Cpk (sigma = MR/1,128), Pp, Ppk (sample s), the\n"
    "shares of OK, WARN and NOK and the control rule breaks (rules 1 and 4 unless\n"
    "--regeln says others). --csv: one semicolon-separated row per characteristic.\n"
    "--svg OUT writes the control chart of one characteristic (--merkmal, else the\n"
    "first) as the window \"Verlauf\" draws it: its last N values (--punkte, 25 to 125,\n"
    "default 50), the warning zone P percent (--warnung, default 50, 0 for none).\n"
    "\n"
    "Exit status: 0 intact or written, 1 not intact or a file not readable, 2 wrong\n"
    "arguments.\n";

const char* Version = "travek-report " TRAVEK_VERSION "\n"
                      "Copyright 2026 TRAVEK developers\n"
                      "Licensed under the Apache License, Version 2.0.\n";

void say(std::FILE* stream, const std::string& text) {
    writeConsole(stream, text);
    std::fflush(stream);
}

// Reads the files in their order; false (having said why) when one cannot be read.
template <typename Take> bool readFiles(const std::vector<std::string>& files, Take&& take) {
    for (const std::string& file : files) {
        const std::string name = systemTextToWin1252(nameForUser(file));
        try {
            std::optional<std::string> content = readWholeFile(file, MaxLogBytes);
            if (!content) {
                say(stderr, "travek-report: " + name + ": nicht gefunden oder nicht lesbar\n");
                return false;
            }
            take(name, std::move(*content));
        } catch (const Error& error) {
            say(stderr, "travek-report: " + systemTextToWin1252(error.what()) + "\n");
            return false;
        }
    }
    return true;
}

int verify(const std::vector<std::string>& files) {
    LogVerifier verifier;
    if (!readFiles(files, [&](const std::string& name, std::string content) {
            verifier.add(name, std::move(content));
        }))
        return 1;
    const LogVerifier::Result result = verifier.verify();
    for (const std::string& line : result.lines)
        say(stdout, line + "\n");
    return result.intact ? 0 : 1;
}

struct Options {
    bool verify = false;
    bool csv = false;
    std::string svg;
    std::optional<std::string> characteristic;
    int points = TrendChart::DefaultPoints;
    ControlRules rules;
    int warning = 50;
    std::vector<std::string> files;
};

// The chart as the window draws it, of the characteristic asked for or the log's first.
int writeChart(const Options& options, const LogSeries& log) {
    const LogSeries::Characteristic* c =
        options.characteristic ? log.find(*options.characteristic)
                               : (log.characteristics().empty() ? nullptr : &log.characteristics().front());
    if (!c) {
        say(stderr, "travek-report: kein Merkmal " +
                        (options.characteristic ? "\"" + *options.characteristic + "\" " : std::string()) +
                        "im Protokoll\n");
        return 1;
    }
    const ChartGeometry chart = ChartGeometry::layout(
        c->chart(static_cast<std::size_t>(options.points), options.rules, options.warning), 900, 480);
    try {
        writeFileAtomically(options.svg, chartSvg(chart));
    } catch (const Error& error) {
        say(stderr, "travek-report: " + systemTextToWin1252(error.what()) + "\n");
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--verify") {
            options.verify = true;
        } else if (arg == "--csv") {
            options.csv = true;
        } else if (arg == "--svg" && hasValue) {
            options.svg = argv[++i];
        } else if (arg == "--merkmal" && hasValue) {
            options.characteristic = systemTextToWin1252(argv[++i]);
        } else if (arg == "--regeln" && hasValue) {
            options.rules = ControlRules::parse(argv[++i]);
        } else if ((arg == "--punkte" || arg == "--warnung") && hasValue) {
            const std::optional<std::int32_t> n = parseInteger(argv[++i]);
            const bool points = arg == "--punkte";
            if (!n || *n < (points ? TrendChart::MinPoints : 0) ||
                *n > (points ? TrendChart::MaxPoints : 100)) {
                say(stderr, "travek-report: " + arg + ": " + (points ? "25 bis 125" : "0 bis 100") + "\n");
                return 2;
            }
            (points ? options.points : options.warning) = *n;
        } else if (arg == "--help" || arg == "-h") {
            say(stdout, Usage);
            return 0;
        } else if (arg == "--version") {
            say(stdout, Version);
            return 0;
        } else if (arg.size() > 1 && arg.front() == '-') {
            say(stderr, "travek-report: unknown option '" + systemTextToWin1252(arg) + "'\n\n" + Usage);
            return 2;
        } else {
            options.files.push_back(arg);
        }
    }
    if (options.files.empty() || (options.verify && (options.csv || !options.svg.empty()))) {
        say(stderr, Usage);
        return 2;
    }
    if (options.verify)
        return verify(options.files);
    LogSeries log;
    if (!readFiles(options.files, [&](const std::string&, const std::string& content) { log.add(content); }))
        return 1;
    if (!options.svg.empty())
        return writeChart(options, log);
    const LogReport report(log, options.rules);
    say(stdout, options.csv ? report.csv() : report.text());
    return 0;
}
