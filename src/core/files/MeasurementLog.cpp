#include "core/files/MeasurementLog.h"

#include "core/files/FileIo.h"
#include "core/record/HashChain.h"
#include "core/text/Error.h"
#include "core/text/TextHelpers.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <ctime>

namespace travek {

namespace {

// How much of a file's end is read for its last row: rows are short, but a window title or a
// failure's text can make one long.
constexpr std::size_t TailBytes = 64 * 1024;

std::optional<std::int64_t> parseNumber(std::string_view text) {
    std::int64_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size() || number < 1)
        return std::nullopt;
    return number;
}

// The last complete row of the tail that carries a chain value, with the notes of the rows before
// it. A row cut off by a full disk, or anything else without a chain value, is passed over.
std::optional<MeasurementLog::LastRow> lastChainRow(std::string_view tail, bool wholeFile) {
    std::optional<MeasurementLog::LastRow> last;
    std::size_t end = tail.rfind('\n');
    while (end != std::string_view::npos && end > 0 &&
           (!last || last->recentNotes.size() < MeasurementLog::LastRow::MaxNotes)) {
        const std::size_t start = tail.rfind('\n', end - 1);
        if (start == std::string_view::npos && !wholeFile)
            break; // the window's first line may begin before it
        const std::size_t begin = start == std::string_view::npos ? 0 : start + 1;
        std::string_view line = tail.substr(begin, end - begin);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const std::vector<std::string> fields = MeasurementLog::splitRow(line);
        if (fields.size() == MeasurementLog::ColumnCount && HashChain::isValue(fields.back())) {
            const auto number = parseNumber(fields[MeasurementLog::NumberColumn]);
            if (!last && number)
                last = MeasurementLog::LastRow{*number, fields.back(), {}};
            if (last)
                last->recentNotes.push_back(fields[MeasurementLog::NoteColumn]);
        }
        if (start == std::string_view::npos)
            break;
        end = start;
    }
    return last;
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
long long daysFromCivil(long long year, unsigned month, unsigned day) {
    year -= month <= 2;
    const long long era = (year >= 0 ? year : year - 399) / 400;
    const auto yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<long long>(dayOfEra) - 719468;
}

long long secondsOf(const std::tm& time) {
    return daysFromCivil(time.tm_year + 1900LL, static_cast<unsigned>(time.tm_mon + 1),
                         static_cast<unsigned>(time.tm_mday)) *
               86400 +
           time.tm_hour * 3600LL + time.tm_min * 60LL + time.tm_sec;
}

} // namespace

MeasurementLog::MeasurementLog(std::string path, Clock clock)
    : m_path(std::move(path)), m_clock(std::move(clock)), m_chain(HashChain::StartValue) {}

MeasurementLog::~MeasurementLog() = default;

std::string MeasurementLog::sideFile(const std::string& path, int n) {
    const std::size_t slash = path.find_last_of("/\\");
    const std::size_t dot = path.rfind('.');
    const std::size_t at =
        dot == std::string::npos || (slash != std::string::npos && dot < slash) ? path.size() : dot;
    return path.substr(0, at) + "-" + std::to_string(n) + path.substr(at);
}

std::optional<MeasurementLog::LastRow> MeasurementLog::open() {
    m_file.reset();
    m_midRow = false;
    std::optional<LastRow> last;
    for (int n = 1;; ++n) {
        const std::string path = n == 1 ? m_path : sideFile(m_path, n);
        std::unique_ptr<AppendFile> file = AppendFile::open(path);
        const std::uint64_t size = file->size();
        bool ours = size == 0;
        if (!ours && file->readAt(0, Header.size() + 2) == std::string(Header) + "\r\n") {
            const std::uint64_t from = size > TailBytes ? size - TailBytes : 0;
            const std::string tail = file->readAt(from, TailBytes);
            last = lastChainRow(tail, from == 0);
            // A file with another chain in it (a rotated file put back in the log's place) is
            // left to that chain, as an older log is.
            ours = !m_resumed || !last || last->chain == m_chain;
            m_midRow = !tail.empty() && tail.back() != '\n';
        }
        if (ours) {
            m_file = std::move(file);
            m_filePath = path;
            break;
        }
        // An older log, or not a log at all: its rows stay as they are, and the new ones go beside.
        last.reset();
        if (n == MaxSideFiles)
            throw Error(nameForUser(path) + ": kein freier Name f\xFCr ein neues Protokoll neben " +
                        nameForUser(m_path));
    }
    m_fileHasChain = last.has_value();
    if (last && !m_resumed) {
        m_nextNumber = last->number + 1;
        m_chain = last->chain;
    }
    return last;
}

void MeasurementLog::resume(std::int64_t number, std::string chain) {
    m_nextNumber = number;
    m_chain = std::move(chain);
    m_resumed = true;
}

std::string MeasurementLog::rowBody(const Row& row, std::int64_t number) const {
    auto text = [](const std::string& value) { return textField(oneLine(value)); };
    return field(localTime(m_clock())) + ';' + textField(row.port) + ';' + std::to_string(row.channel) + ';' +
           std::to_string(row.step) + ';' + textField(escapeLine(row.line)) + ';' + field(row.typed) + ';' +
           text(row.note) + ';' + text(row.window) + ';' + std::to_string(number) + ';' + text(row.station) +
           ';' + text(row.operatorName) + ';' + text(row.gauge) + ';' + text(row.part) + ';' +
           text(row.characteristic) + ';' + text(row.nominal) + ';' + text(row.lowerLimit) + ';' +
           text(row.upperLimit) + ';' + text(row.verdict) + ';';
}

void MeasurementLog::append(const Row& row) {
    if (m_file && !m_file->isAt(m_filePath)) {
        // Deleted or rotated: the rows go on under the log's name, in a file of their own.
        m_file.reset();
    }
    if (!m_file)
        open();
    std::string text = m_midRow ? "\r\n" : "";
    if (m_file->empty()) {
        text += std::string(Header) + "\r\n";
        // Emptied in its place (a rotation that copies and truncates): it starts over like a new one.
        m_fileHasChain = false;
    }
    // Where each row ends in the text, and where the numbering and the chain stand after it.
    struct Written {
        std::size_t end;
        std::int64_t nextNumber;
        std::string chain;
    };
    std::vector<Written> rows;
    auto add = [&](const Row& next) {
        const std::int64_t number = rows.empty() ? m_nextNumber : rows.back().nextNumber;
        const std::string body = rowBody(next, number);
        std::string chain = HashChain::next(rows.empty() ? m_chain : rows.back().chain, body);
        text += body + chain + "\r\n";
        rows.push_back({text.size(), number + 1, std::move(chain)});
    };
    if (!m_fileHasChain && m_chain != HashChain::StartValue) {
        Row continuation;
        continuation.note = HashChain::continuationNote(m_chain);
        continuation.station = row.station;
        continuation.operatorName = row.operatorName;
        continuation.part = row.part;
        add(continuation);
    }
    add(row);
    std::size_t written = 0;
    try {
        written = m_file->append(text);
    } catch (const Error&) {
        // Opened again at the next row: the file may have become writable meanwhile.
        m_file.reset();
        throw;
    }
    if (written > 0)
        m_midRow = text[written - 1] != '\n';
    // A row written whole is in the file and in the chain, even when the one after it is not.
    for (Written& whole : rows) {
        if (whole.end > written)
            break;
        m_nextNumber = whole.nextNumber;
        m_chain = std::move(whole.chain);
        m_fileHasChain = true;
    }
    if (written < text.size()) {
        m_file.reset();
        throw Error::fromErrno(ENOSPC);
    }
}

std::string MeasurementLog::localTime(std::chrono::system_clock::time_point time) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count() % 1000;
    std::tm local{};
    if (const std::tm* converted = std::localtime(&seconds))
        local = *converted;
    std::tm utc = local;
    if (const std::tm* converted = std::gmtime(&seconds))
        utc = *converted;
    // The offset is what local time is ahead of UTC at this moment, summer time included; the
    // C library knows it on every system, tm_gmtoff only on some.
    const long long offset = (secondsOf(local) - secondsOf(utc)) / 60;
    const int minutes = static_cast<int>((offset < 0 ? -offset : offset) % (24 * 60));
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02d:%02d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>((millis + 1000) % 1000), offset < 0 ? '-' : '+', minutes / 60,
                  minutes % 60);
    return text;
}

namespace {

std::string quoted(std::string_view prefix, const std::string& text) {
    std::string result = "\"" + std::string(prefix);
    for (char c : text) {
        if (c == '"')
            result += '"';
        result += c;
    }
    return result + '"';
}

} // namespace

std::string MeasurementLog::field(const std::string& text) {
    if (text.find_first_of(";\"\r\n") == std::string::npos)
        return text;
    return quoted("", text);
}

std::string MeasurementLog::textField(const std::string& text) {
    if (text.empty() || std::string_view("=+-@\t\r").find(text.front()) == std::string_view::npos)
        return field(text);
    return quoted("'", text);
}

std::string MeasurementLog::escapeLine(const std::string& line) {
    static const char* const Hex = "0123456789ABCDEF";
    std::string escaped;
    for (char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            escaped += "\\x";
            escaped += Hex[byte >> 4];
            escaped += Hex[byte & 0xF];
        } else if (c == '\\') {
            escaped += "\\\\";
        } else {
            escaped += c;
        }
    }
    return escaped;
}

std::string MeasurementLog::oneLine(const std::string& title) {
    std::string line = title;
    for (char& c : line)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = ' ';
    return line;
}

std::vector<std::string> MeasurementLog::splitRow(std::string_view row) {
    std::vector<std::string> fields(1);
    bool inQuotes = false;
    for (std::size_t i = 0; i < row.size(); ++i) {
        const char c = row[i];
        if (inQuotes) {
            if (c != '"')
                fields.back() += c;
            else if (i + 1 < row.size() && row[i + 1] == '"')
                fields.back() += row[++i];
            else
                inQuotes = false;
        } else if (c == ';') {
            fields.emplace_back();
        } else if (c == '"') {
            inQuotes = true;
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

} // namespace travek
