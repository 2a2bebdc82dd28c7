#include "core/publish/LogRecord.h"

#include "core/text/TextHelpers.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace travek {

namespace {

// The columns that hold numbers; every other column is text. Named, not guessed from the field: a
// station called "4711" is still a text in every message.
constexpr std::array<std::string_view, 7> NumberColumns = {"Kanal", "Schritt", "Satz", "Getippt",
                                                           "Soll",  "UGW",     "OGW"};

void appendUtf8(std::string& out, char32_t codepoint) {
    if (codepoint < 0x80) {
        out += static_cast<char>(codepoint);
    } else if (codepoint < 0x800) {
        out += static_cast<char>(0xC0 | (codepoint >> 6));
        out += static_cast<char>(0x80 | (codepoint & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (codepoint >> 12));
        out += static_cast<char>(0x80 | ((codepoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codepoint & 0x3F));
    }
}

void appendJsonString(std::string& out, std::string_view text) {
    static const char* const Hex = "0123456789abcdef";
    out += '"';
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte == 0x7F) {
            out += "\\u00";
            out += Hex[byte >> 4];
            out += Hex[byte & 0xF];
        } else {
            appendUtf8(out, win1252ToUnicode(c));
        }
    }
    out += '"';
}

// A decimal number as JSON writes it, from the log's text ("-12,340", "+3", "007"); nothing for
// anything else.
std::optional<std::string> jsonNumber(std::string_view text) {
    std::string number;
    std::size_t at = 0;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) {
        if (text[at] == '-')
            number += '-';
        ++at;
    }
    const std::size_t digitsFrom = at;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9')
        ++at;
    std::string_view whole = text.substr(digitsFrom, at - digitsFrom);
    if (whole.empty())
        return std::nullopt;
    while (whole.size() > 1 && whole.front() == '0')
        whole.remove_prefix(1);
    number += whole;
    if (at < text.size() && (text[at] == ',' || text[at] == '.')) {
        const std::size_t fractionFrom = ++at;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9')
            ++at;
        if (at == fractionFrom)
            return std::nullopt;
        number += '.';
        number += text.substr(fractionFrom, at - fractionFrom);
    }
    if (at != text.size())
        return std::nullopt;
    return number;
}

} // namespace

std::vector<std::string> LogRecord::fields(std::string_view row) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < row.size(); ++i) {
        const char c = row[i];
        if (quoted) {
            if (c != '"')
                fields.back() += c;
            else if (i + 1 < row.size() && row[i + 1] == '"')
                fields.back() += row[++i];
            else
                quoted = false;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ';') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

std::vector<std::string> LogRecord::columns(std::string_view headerLine) {
    return fields(headerLine);
}

std::optional<LogRecord> LogRecord::parse(const std::vector<std::string>& columns, std::string_view row) {
    const std::vector<std::string> values = fields(row);
    LogRecord record;
    bool numbered = false;
    record.json = "{";
    for (std::size_t i = 0; i < columns.size() && i < values.size(); ++i) {
        const std::string& column = columns[i];
        const std::string& value = values[i];
        if (i > 0)
            record.json += ',';
        appendJsonString(record.json, column);
        record.json += ':';
        if (std::find(NumberColumns.begin(), NumberColumns.end(), column) == NumberColumns.end()) {
            appendJsonString(record.json, value);
        } else if (value.empty()) {
            record.json += "null";
        } else if (const auto number = jsonNumber(value)) {
            record.json += *number;
        } else {
            // Not lost for not being a number: the text as it stands.
            appendJsonString(record.json, value);
        }
        if (column == "Satz") {
            const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), record.satz);
            numbered = error == std::errc() && end == value.data() + value.size() && record.satz > 0;
        } else if (column == "Zeit") {
            record.time = value;
        }
    }
    record.json += '}';
    if (!numbered || values.size() < columns.size())
        return std::nullopt;
    return record;
}

} // namespace travek
