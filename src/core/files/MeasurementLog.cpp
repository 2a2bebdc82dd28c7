#include "core/files/MeasurementLog.h"

#include "core/files/FileIo.h"
#include "core/text/Error.h"
#include "core/text/TextHelpers.h"

#include <cerrno>
#include <ctime>
#include <string_view>

namespace travek {

MeasurementLog::MeasurementLog(std::string path, Clock clock)
    : m_path(std::move(path)), m_clock(std::move(clock)) {}

MeasurementLog::~MeasurementLog() = default;

void MeasurementLog::append(const Row& row) {
    if (m_file && !m_file->isAt(m_path)) {
        // Deleted or rotated: the rows go on under the log's name, in a file of their own.
        m_file.reset();
        m_midRow = false;
    }
    if (!m_file)
        m_file = AppendFile::open(m_path);
    std::string text = m_midRow ? "\r\n" : "";
    if (m_file->empty())
        text += "Zeit;Port;Kanal;Schritt;Zeile;Getippt;Hinweis;Fenster\r\n";
    text += field(localTime(m_clock())) + ';' + textField(row.port) + ';' + std::to_string(row.channel) +
            ';' + std::to_string(row.step) + ';' + textField(escapeLine(row.line)) + ';' + field(row.typed) +
            ';' + textField(row.note) + ';' + textField(oneLine(row.window)) + "\r\n";
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
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>((millis + 1000) % 1000));
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

} // namespace travek
