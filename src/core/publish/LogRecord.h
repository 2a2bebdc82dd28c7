#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace travek {

// One record of the measurement log as it is published: its Satz, its time, and the message, a
// JSON object with the row's fields named as the log's columns. Numbers are JSON numbers (the
// decimal comma of "Getippt" becomes a point, the digits stay as written), texts are UTF-8 strings,
// an empty number is null.
struct LogRecord {
    long long satz = 0;
    std::string time; // "Zeit", as written
    std::string json;

    // The log's header line split into its column names.
    static std::vector<std::string> columns(std::string_view headerLine);
    // The record of one row (a line of the file without its line end) under those columns; nothing
    // for a row without a Satz (one from before the record number, or a row a full disk cut off).
    static std::optional<LogRecord> parse(const std::vector<std::string>& columns, std::string_view row);

    // The fields of a row: separated by ";", a quoted field with its quotes taken off and doubled
    // quotes made single.
    static std::vector<std::string> fields(std::string_view row);
};

} // namespace travek
