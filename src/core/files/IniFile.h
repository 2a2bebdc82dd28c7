#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace travek {

// A configuration file in the Windows profile format, read and updated by the rules that the
// files written on Windows rely on: section and key names match without regard to letter case; a
// value is the text after the first "=" with surrounding blanks removed and one pair of enclosing
// quotes (the same mark at both ends) taken off; the first occurrence of a key in its section
// counts. An update replaces the key's line in place and keeps every other byte of the file.
class IniFile {
public:
    IniFile() = default;
    explicit IniFile(std::string content);

    // A file that does not exist or cannot be read reads as a file without keys.
    static IniFile load(const std::string& path);

    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    std::string readString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    // The value as an integer (see parseInteger); defaultValue when missing or not a number.
    std::int32_t readInteger(std::string_view section, std::string_view key, std::int32_t defaultValue) const;

    // Sets key in section: replaces the key's line in place, or adds the key at the end of its
    // section, or adds the section at the end of the file.
    void setValue(std::string_view section, std::string_view key, std::string_view value);

    const std::string& content() const { return m_content; }

    // Sets one key in the file at path and replaces the file atomically (a missing file is
    // created). Throws Error when the file cannot be written.
    static void writeValue(const std::string& path, std::string_view section, std::string_view key,
                           std::string_view value);

private:
    struct Line {
        std::size_t begin; // offset of the line's first byte
        std::size_t end;   // offset just past its text (before the line end)
        std::size_t next;  // offset of the next line
    };
    std::vector<Line> lines() const;
    std::string_view text(const Line& line) const {
        return {m_content.data() + line.begin, line.end - line.begin};
    }
    static std::optional<std::string_view> sectionName(std::string_view line);
    std::string lineEnd() const;
    void buildIndex() const;

    std::string m_content;
    // Section and key (upper case, joined by a NUL) to the first value; made on the first look-up,
    // since a definition file is asked for some 200 keys, and dropped by every update.
    mutable std::unordered_map<std::string, std::string> m_index;
    mutable bool m_indexed = false;
};

} // namespace travek
