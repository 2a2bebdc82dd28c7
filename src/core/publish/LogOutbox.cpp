#include "core/publish/LogOutbox.h"

#include "core/files/FileIo.h"
#include "core/text/TextHelpers.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <limits>
#include <string_view>
#include <system_error>

namespace travek {

namespace {

// Read at once: a few thousand rows, so that catching up after a long outage reads a file in a
// few steps and never holds the whole of a large one.
constexpr std::size_t Chunk = 512 * 1024;
// Records held ahead of the one asked for.
constexpr std::size_t HeldAhead = 2000;

// The end of the line that begins at from (just past its '\n'); npos when the line is not complete
// yet. Every row is one line (the log escapes line breaks), so a quote that never closes, as in a
// row a full disk cut off, spoils that row only.
std::size_t lineEnd(std::string_view bytes, std::size_t from) {
    const std::size_t end = bytes.find('\n', from);
    return end == std::string_view::npos ? end : end + 1;
}

std::string_view withoutLineEnd(std::string_view line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.remove_suffix(1);
    return line;
}

long long satzOf(std::string_view line, std::size_t column) {
    const std::vector<std::string> fields = LogRecord::fields(withoutLineEnd(line));
    if (column >= fields.size())
        return 0;
    long long satz = 0;
    const std::string& field = fields[column];
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), satz);
    return error == std::errc() && end == field.data() + field.size() ? satz : 0;
}

std::optional<std::size_t> satzColumn(const std::vector<std::string>& columns) {
    const auto found = std::find(columns.begin(), columns.end(), "Satz");
    if (found == columns.end())
        return std::nullopt;
    return static_cast<std::size_t>(found - columns.begin());
}

} // namespace

std::optional<LogRecord> LogOutbox::next(long long satz) {
    if (satz < m_asked) {
        // Asked again from further back (the log began anew): read it again.
        m_cursor.reset();
        m_held.clear();
    }
    m_asked = satz;
    while (!m_held.empty() && m_held.front().satz <= satz)
        m_held.pop_front();
    if (m_held.empty()) {
        if (!m_cursor || !readOn(satz))
            scan(satz);
        else if (m_held.empty() && m_cursor->atEnd && !isCurrent(m_cursor->path))
            scan(satz); // the end of a rotated file: the rows go on in a later one
    }
    if (m_held.empty())
        return std::nullopt;
    return m_held.front();
}

bool LogOutbox::readOn(long long satz) {
    Cursor& cursor = *m_cursor;
    const std::uint64_t from = cursor.offset - cursor.lastLine.size();
    const std::optional<FilePart> part = readFilePart(cursor.path, from, Chunk);
    if (!part || part->bytes.compare(0, cursor.lastLine.size(), cursor.lastLine) != 0)
        return false;
    std::string_view bytes = part->bytes;
    std::size_t at = cursor.lastLine.size();
    bool consumed = false;
    while (m_held.size() < HeldAhead) {
        const std::size_t end = lineEnd(bytes, at);
        if (end == std::string_view::npos)
            break;
        const std::string_view line = bytes.substr(at, end - at);
        if (satzOf(line, cursor.satzColumn) > satz)
            if (auto record = LogRecord::parse(cursor.columns, withoutLineEnd(line)))
                m_held.push_back(std::move(*record));
        cursor.offset += end - at;
        cursor.lastLine = std::string(line);
        at = end;
        consumed = true;
    }
    // A line longer than a whole chunk is not a row of this log: the file is not read past it.
    cursor.atEnd = from + at >= part->fileSize || !consumed;
    return true;
}

bool LogOutbox::startAt(const std::string& path) {
    const std::optional<FilePart> part = readFilePart(path, 0, Chunk);
    if (!part)
        return false;
    const std::size_t end = lineEnd(part->bytes, 0);
    if (end == std::string_view::npos)
        return false;
    const std::string header(part->bytes, 0, end);
    const std::vector<std::string> columns = LogRecord::columns(withoutLineEnd(header));
    const std::optional<std::size_t> column = satzColumn(columns);
    if (!column)
        return false;
    m_cursor = Cursor{path, columns, *column, end, header, false};
    return true;
}

void LogOutbox::scan(long long satz) {
    m_cursor.reset();
    m_held.clear();
    const std::vector<Candidate> files = candidates();
    // The last file that begins at or before the record asked for holds it, if any does.
    std::size_t first = 0;
    for (std::size_t i = 0; i < files.size(); ++i)
        if (files[i].firstSatz <= satz + 1)
            first = i;
    for (std::size_t i = first; i < files.size(); ++i) {
        if (!startAt(files[i].path))
            continue;
        while (m_held.empty() && readOn(satz) && !m_cursor->atEnd) {
        }
        if (!m_held.empty() || isCurrent(files[i].path) || i + 1 == files.size())
            return;
    }
}

std::vector<LogOutbox::Candidate> LogOutbox::candidates() const {
    const std::filesystem::path log(m_logPath);
    const std::string name = log.filename().string();
    const std::string stem = name.substr(0, name.rfind('.'));
    std::vector<Candidate> files;
    std::error_code error;
    const std::filesystem::path folder = log.has_parent_path() ? log.parent_path() : ".";
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        if (std::error_code notRegular; !it->is_regular_file(notRegular))
            continue;
        const std::string entry = it->path().filename().string();
        if (entry.size() < stem.size() ||
            !equalsIgnoreCase(std::string_view(entry).substr(0, stem.size()), stem))
            continue;
        const std::string path = log.has_parent_path() ? (folder / entry).string() : entry;
        const std::optional<FilePart> part = readFilePart(path, 0, 64 * 1024);
        if (!part)
            continue;
        const std::size_t headerEnd = lineEnd(part->bytes, 0);
        if (headerEnd == std::string_view::npos)
            continue;
        const std::optional<std::size_t> column = satzColumn(
            LogRecord::columns(withoutLineEnd(std::string_view(part->bytes).substr(0, headerEnd))));
        if (!column)
            continue;
        long long firstSatz = 0;
        for (std::size_t at = headerEnd, next;
             !firstSatz && (next = lineEnd(part->bytes, at)) != std::string::npos; at = next)
            firstSatz = satzOf(std::string_view(part->bytes).substr(at, next - at), *column);
        if (firstSatz > 0 || isCurrent(path))
            files.push_back({path, firstSatz > 0 ? firstSatz : std::numeric_limits<long long>::max()});
    }
    std::stable_sort(files.begin(), files.end(),
                     [](const Candidate& a, const Candidate& b) { return a.firstSatz < b.firstSatz; });
    return files;
}

bool LogOutbox::isCurrent(const std::string& path) const {
    return std::filesystem::path(path).filename() == std::filesystem::path(m_currentFile).filename();
}

long long LogOutbox::newest() const {
    const std::optional<FilePart> head = readFilePart(m_currentFile, 0, 64 * 1024);
    if (!head)
        return 0;
    const std::size_t headerEnd = lineEnd(head->bytes, 0);
    if (headerEnd == std::string_view::npos)
        return 0;
    const std::optional<std::size_t> column =
        satzColumn(LogRecord::columns(withoutLineEnd(std::string_view(head->bytes).substr(0, headerEnd))));
    if (!column)
        return 0;
    constexpr std::uint64_t Tail = 64 * 1024;
    const std::uint64_t from = head->fileSize > Tail ? head->fileSize - Tail : 0;
    const std::optional<FilePart> tail = from == 0 ? head : readFilePart(m_currentFile, from, Tail);
    if (!tail)
        return 0;
    // The last complete line that holds a Satz; a row that a full disk cut off has none.
    std::string_view bytes = tail->bytes;
    const std::size_t lastEnd = bytes.find_last_of('\n');
    if (lastEnd == std::string_view::npos)
        return 0;
    bytes = bytes.substr(0, lastEnd + 1);
    while (!bytes.empty()) {
        const std::size_t before =
            bytes.size() >= 2 ? bytes.find_last_of('\n', bytes.size() - 2) : std::string_view::npos;
        // The first line of a tail may be cut: it is not read.
        if (before == std::string_view::npos && from > 0)
            return 0;
        const std::size_t start = before == std::string_view::npos ? 0 : before + 1;
        if (from == 0 && start < headerEnd)
            return 0;
        if (const long long satz = satzOf(bytes.substr(start), *column); satz > 0)
            return satz;
        bytes = bytes.substr(0, start);
    }
    return 0;
}

} // namespace travek
