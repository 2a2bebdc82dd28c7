#include "DefinitionFiles.h"

#include "TextHelpers.h"

#include <algorithm>
#include <dirent.h>

namespace travek {

std::vector<std::string> FindDefinitionFiles(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() >= 4 && EqualsIgnoreCase(std::string_view(name).substr(name.size() - 4), ".VAL"))
            names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return AsciiUpper(a) < AsciiUpper(b); });
    return names;
}

std::string DefinitionListEntry(const std::string& fileName) {
    std::string entry = fileName.substr(0, fileName.find('.'));
    if (entry.size() < 34)
        entry.append(34 - entry.size(), ' ');
    return entry + ' ';
}

} // namespace travek
