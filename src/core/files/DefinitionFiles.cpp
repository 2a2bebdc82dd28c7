#include "core/files/DefinitionFiles.h"

#include "core/text/TextHelpers.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace travek {

std::vector<std::string> findDefinitionFiles(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder.empty() ? "." : folder, error), end;
         !error && it != end; it.increment(error)) {
        // A folder or a FIFO named like a definition is not one.
        if (std::error_code notRegular; !it->is_regular_file(notRegular))
            continue;
        const std::string name = it->path().filename().string();
        if (name.size() >= 4 && equalsIgnoreCase(std::string_view(name).substr(name.size() - 4), ".VAL"))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return asciiUpper(a) < asciiUpper(b); });
    return names;
}

std::string definitionListEntry(const std::string& fileName) {
    std::string entry = fileName.substr(0, fileName.find('.'));
    if (entry.size() < 34)
        entry.append(34 - entry.size(), ' ');
    return entry + ' ';
}

} // namespace travek
