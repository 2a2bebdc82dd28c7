// travek-report: what a measurement log of TRAVEK's says for the quality engineer's desk. For
// now it checks the log's chain: whether any row was altered after it was written.

#include "core/files/FileIo.h"
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

const char* Usage = "Usage: travek-report --verify FILE...\n"
                    "       travek-report --help | --version\n"
                    "\n"
                    "Checks the chain of a TRAVEK measurement log: FILE... are the files of one log\n"
                    "in the order they were written, rotated files first (messung.csv.2\n"
                    "messung.csv.1 messung.csv). Says \"n S\xE4tze, Kette intakt\", or the first row\n"
                    "that was edited, deleted before, inserted or moved, with its file, line and\n"
                    "record number (Satz). Rows without a chain value are counted as outside it.\n"
                    "\n"
                    "Exit status: 0 intact, 1 not intact or a file not readable, 2 wrong arguments.\n";

const char* Version = "travek-report " TRAVEK_VERSION "\n"
                      "Copyright 2026 TRAVEK developers\n"
                      "Licensed under the Apache License, Version 2.0.\n";

void say(std::FILE* stream, const std::string& text) {
    writeConsole(stream, text);
    std::fflush(stream);
}

} // namespace

int main(int argc, char** argv) {
    bool verify = false;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--verify") {
            verify = true;
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
            files.push_back(arg);
        }
    }
    if (!verify || files.empty()) {
        say(stderr, Usage);
        return 2;
    }
    LogVerifier verifier;
    for (const std::string& file : files) {
        const std::string name = systemTextToWin1252(nameForUser(file));
        try {
            std::optional<std::string> content = readWholeFile(file, MaxLogBytes);
            if (!content) {
                say(stderr, "travek-report: " + name + ": nicht gefunden oder nicht lesbar\n");
                return 1;
            }
            verifier.add(name, std::move(*content));
        } catch (const Error& error) {
            say(stderr, "travek-report: " + systemTextToWin1252(error.what()) + "\n");
            return 1;
        }
    }
    const LogVerifier::Result result = verifier.verify();
    for (const std::string& line : result.lines)
        say(stdout, line + "\n");
    return result.intact ? 0 : 1;
}
