#include "core/files/IniFile.h"

#include "core/files/FileIo.h"
#include "core/text/Error.h"

#include "core/text/TextHelpers.h"
#include <cerrno>

namespace travek {

IniFile::IniFile(std::string content) : m_content(std::move(content)) {}

IniFile IniFile::load(const std::string& path) {
    return IniFile(readWholeFile(path).value_or(std::string()));
}

std::vector<IniFile::Line> IniFile::lines() const {
    std::vector<Line> result;
    std::size_t pos = 0;
    while (pos < m_content.size()) {
        std::size_t end = m_content.find_first_of("\r\n", pos);
        std::size_t next;
        if (end == std::string::npos) {
            end = next = m_content.size();
        } else {
            next = end + 1;
            if (m_content[end] == '\r' && next < m_content.size() && m_content[next] == '\n')
                ++next;
        }
        result.push_back({pos, end, next});
        pos = next;
    }
    return result;
}

std::optional<std::string_view> IniFile::sectionName(std::string_view line) {
    line = trim(line);
    if (line.empty() || line.front() != '[')
        return std::nullopt;
    const auto close = line.find(']');
    return trim(line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
}

void IniFile::buildIndex() const {
    m_index.clear();
    std::string section;
    bool inSection = false;
    std::unordered_map<std::string, bool> seen;
    for (const Line& line : lines()) {
        const std::string_view t = text(line);
        if (auto name = sectionName(t)) {
            // Only the first occurrence of a section is read, as on Windows.
            section = asciiUpper(*name);
            inSection = seen.try_emplace(section, true).second;
            continue;
        }
        const auto eq = t.find('=');
        if (!inSection || eq == std::string_view::npos)
            continue;
        std::string_view v = trim(t.substr(eq + 1));
        if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
            v = v.substr(1, v.size() - 2);
        // The first occurrence of a key counts.
        m_index.try_emplace(section + '\0' + asciiUpper(trim(t.substr(0, eq))), v);
    }
    m_indexed = true;
}

std::optional<std::string> IniFile::value(std::string_view section, std::string_view key) const {
    if (!m_indexed)
        buildIndex();
    const auto it = m_index.find(asciiUpper(section) + '\0' + asciiUpper(key));
    if (it == m_index.end())
        return std::nullopt;
    return it->second;
}

std::string IniFile::readString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
    auto v = value(section, key);
    return v ? *v : std::string(defaultValue);
}

std::int32_t IniFile::readInteger(std::string_view section, std::string_view key,
                                  std::int32_t defaultValue) const {
    auto v = value(section, key);
    if (!v)
        return defaultValue;
    return parseInteger(*v).value_or(defaultValue);
}

std::string IniFile::lineEnd() const {
    const auto lf = m_content.find('\n');
    if (lf != std::string::npos && (lf == 0 || m_content[lf - 1] != '\r'))
        return "\n";
    return "\r\n";
}

void IniFile::setValue(std::string_view section, std::string_view key, std::string_view value) {
    m_indexed = false;
    const std::string eol = lineEnd();
    const std::vector<Line> all = lines();
    bool inSection = false;
    std::optional<std::size_t> insertAt; // just past the last non-blank line of the section
    for (const Line& line : all) {
        const std::string_view t = text(line);
        if (auto name = sectionName(t)) {
            if (inSection)
                break;
            inSection = equalsIgnoreCase(*name, section);
            if (inSection)
                insertAt = line.next;
            continue;
        }
        if (!inSection)
            continue;
        if (!trim(t).empty())
            insertAt = line.next;
        const auto eq = t.find('=');
        if (eq != std::string_view::npos && equalsIgnoreCase(trim(t.substr(0, eq)), key)) {
            // Keep the key as the file spells it; only the value changes.
            std::string replacement(trim(t.substr(0, eq)));
            replacement += '=';
            replacement += value;
            m_content.replace(line.begin, line.end - line.begin, replacement);
            return;
        }
    }
    std::string addition;
    if (insertAt) {
        // The section's last line may be the file's last line without a line end.
        if (*insertAt == m_content.size() && !m_content.empty() && m_content.back() != '\n' &&
            m_content.back() != '\r')
            addition += eol;
        addition += std::string(key) + "=" + std::string(value) + eol;
        m_content.insert(*insertAt, addition);
        return;
    }
    if (!m_content.empty() && m_content.back() != '\n' && m_content.back() != '\r')
        addition += eol;
    addition += "[" + std::string(section) + "]" + eol + std::string(key) + "=" + std::string(value) + eol;
    m_content += addition;
}

void IniFile::writeValue(const std::string& path, std::string_view section, std::string_view key,
                         std::string_view value) {
    auto existing = readWholeFile(path);
    if (!existing && fileExists(path))
        throw Error(EACCES,
                    "Kann nicht nach " + path + " schreiben"); // never replace a file we could not read
    IniFile file(existing.value_or(std::string()));
    file.setValue(section, key, value);
    writeFileAtomically(path, file.content());
}

} // namespace travek
