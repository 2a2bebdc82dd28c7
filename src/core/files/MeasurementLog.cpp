#include "core/files/MeasurementLog.h"

#include "core/files/FileIo.h"
#include "core/text/Error.h"
#include "core/text/TextHelpers.h"

#include <cerrno>
#include <ctime>

namespace travek {

MeasurementLog::MeasurementLog(std::string path, Clock clock) : m_path(std::move(path)), m_clock(std::move(clock)) {}

MeasurementLog::~MeasurementLog() {
    if (m_file)
        std::fclose(m_file);
}

void MeasurementLog::open() {
    m_file = OpenForAppending(m_path);
    // Appending: the position is the end, so an empty file is one that is new.
    std::fseek(m_file, 0, SEEK_END);
    if (std::ftell(m_file) == 0)
        std::fputs("Zeit;Port;Kanal;Schritt;Zeile;Getippt;Hinweis\r\n", m_file);
}

void MeasurementLog::append(const Row& row) {
    if (!m_file)
        open();
    const std::string text = field(localTime(m_clock())) + ';' + field(row.port) + ';' + IntToStr(row.channel) + ';' +
                             IntToStr(row.step) + ';' + field(escapeLine(row.line)) + ';' + field(row.typed) + ';' +
                             field(row.note) + "\r\n";
    errno = 0;
    const bool written = std::fwrite(text.data(), 1, text.size(), m_file) == text.size();
    if (!written || std::fflush(m_file) != 0) {
        const int error = errno != 0 ? errno : EIO;
        // Opened again at the next row: the file may have become writable meanwhile.
        std::fclose(m_file);
        m_file = nullptr;
        throw Error::fromErrno(error);
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
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>((millis + 1000) % 1000));
    return text;
}

std::string MeasurementLog::field(const std::string& text) {
    if (text.find_first_of(";\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
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

} // namespace travek
