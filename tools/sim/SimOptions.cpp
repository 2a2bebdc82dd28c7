#include "SimOptions.h"

#include "core/text/TextHelpers.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>

namespace travek::sim {

namespace {

long long integerValue(const std::string& option, const std::string& text, long long min, long long max) {
    errno = 0;
    char* stop = nullptr;
    const long long value = std::strtoll(text.c_str(), &stop, 10);
    if (text.empty() || *stop != '\0' || errno != 0 || value < min || value > max)
        throw UsageError(option + " needs a whole number from " + std::to_string(min) + " to " +
                         std::to_string(max) + ", not \"" + text + "\"");
    return value;
}

double realValue(const std::string& option, const std::string& text) {
    const std::string normal = commaToPoint(text);
    char* stop = nullptr;
    const double value = std::strtod(normal.c_str(), &stop);
    if (normal.empty() || *stop != '\0' || !std::isfinite(value) || std::fabs(value) >= 1e15)
        throw UsageError(option + " needs a number, not \"" + text + "\"");
    return value;
}

} // namespace

SimOptions SimOptions::parse(const std::vector<std::string>& arguments) {
    SimOptions o;
    using Handler = std::function<void(const std::string&)>;
    const std::map<std::string, Handler> withValue = {
        {"--link", [&](const std::string& v) { o.LinkPath = v; }},
        {"--interval",
         [&](const std::string& v) { o.IntervalMs = int(integerValue("--interval", v, 0, 3600000)); }},
        {"--seed",
         [&](const std::string& v) { o.Seed = std::uint32_t(integerValue("--seed", v, 0, 4294967295LL)); }},
        {"--min", [&](const std::string& v) { o.Min = realValue("--min", v); }},
        {"--max", [&](const std::string& v) { o.Max = realValue("--max", v); }},
        {"--values", [&](const std::string& v) { o.ValuesFile = v; }},
        {"--decimals", [&](const std::string& v) { o.Decimals = int(integerValue("--decimals", v, 0, 9)); }},
    };
    const std::map<std::string, std::function<void()>> flags = {
        {"--force", [&] { o.Force = true; }},
        {"--all-on", [&] { o.AllOn = true; }},
        {"--comma", [&] { o.DecimalSeparator = ','; }},
        {"--point", [&] { o.DecimalSeparator = '.'; }},
        {"--crlf", [&] { o.CrLf = true; }},
        {"--help", [&] { o.Help = true; }},
        {"-h", [&] { o.Help = true; }},
    };
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string argument = arguments[i];
        if (optionsEnded || argument.empty() || argument[0] != '-' || argument == "-") {
            if (!o.DefinitionFile.empty())
                throw UsageError("only one definition file, please (\"" + o.DefinitionFile + "\" and \"" +
                                 argument + "\")");
            o.DefinitionFile = argument;
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        std::string value;
        bool hasValue = false;
        if (const auto eq = argument.find('='); eq != std::string::npos && argument.rfind("--", 0) == 0) {
            value = argument.substr(eq + 1);
            argument.resize(eq);
            hasValue = true;
        }
        if (const auto flag = flags.find(argument); flag != flags.end()) {
            if (hasValue)
                throw UsageError(argument + " takes no value");
            flag->second();
        } else if (const auto option = withValue.find(argument); option != withValue.end()) {
            if (!hasValue) {
                if (i + 1 >= arguments.size())
                    throw UsageError(argument + " needs a value");
                value = arguments[++i];
            }
            option->second(value);
        } else {
            throw UsageError("unknown option \"" + argument + "\" (see --help)");
        }
    }
    if (o.Help)
        return o;
    if (o.DefinitionFile.empty())
        throw UsageError("no definition file given (see --help)");
    if (o.Min > o.Max)
        throw UsageError("--min is above --max");
    return o;
}

std::string SimOptions::helpText() {
    return R"(Usage: travek-sim [OPTIONS] DEFINITION.VAL

Plays a measuring interface box for TRAVEK on a pseudo terminal. The box is the
one the interface definition DEFINITION.VAL describes (found without regard to
letter case). The simulator prints the terminal's device on standard output,
one line such as "pty /dev/pts/5", and logs to standard error.

What the box understands, each command ended by the definition's ENDCHAR1:
  the DISALL command           switches every channel off
  the MWI_SIGNn command        switches channel n on
Every command received is logged; unknown and ambiguous ones change nothing.

What the box sends: one line per measurement, holding the channel's identifier
(MW_SIGNn) and the value at positions STARTPOS to ENDPOS, right-aligned with
blanks before it, then CR (CR LF with --crlf). The identifier stands before the
value when it fits there, else after it. Lines stay within the 30 characters
TRAVEK reads (29 with --crlf).

When the box sends: for the switched-on channels, in channel order, every
--interval milliseconds, and whenever a line arrives on standard input:
  a channel number   that channel once, if it is on (with --force: anyway)
  an empty line      every switched-on channel (a foot switch)

Options:
  --link PATH        also make PATH a symbolic link to the terminal, so that a
                     COM port can be mapped to a stable name; a stale link is
                     replaced, any other file is left alone (an error); the
                     link is removed on exit
  --interval MS      send every MS milliseconds (default 0: only on request)
  --all-on           start with every channel that has an identifier on
  --force            requests from standard input send switched-off channels
  --min X, --max X   range of the random walk each channel's value follows
                     (default 0 and 25)
  --seed N           seed of the random walks (default: a random seed, logged)
  --values FILE      instead of random walks, the numbers of FILE (one per
                     line), one per line sent, in order, started again at the
                     end
  --decimals N       decimal places of the values sent (0 to 9, default 3)
  --comma            decimal comma (the default)
  --point            decimal point
  --crlf             end lines with CR LF instead of CR
  -h, --help         this text

Exit status: 0 after SIGINT or SIGTERM; 1 when the definition, a value file,
the terminal or a channel that TRAVEK switches on or standard input requests
cannot be served (e.g. a channel without identifier, a value field too short
for the values, an identifier that fits nowhere); 2 for a wrong command line.
)";
}

} // namespace travek::sim
