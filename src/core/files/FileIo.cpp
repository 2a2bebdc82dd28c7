#include "core/files/FileIo.h"

#include "core/text/TextHelpers.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace travek {

namespace fs = std::filesystem;

std::optional<std::string> ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        return std::nullopt;
    return content;
}

bool FileExists(const std::string& path) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    return !error && fs::exists(status) && !fs::is_directory(status);
}

namespace {

// The name as the folder holds it, or name itself when no entry matches.
std::string FindFileIgnoreCase(const std::string& dir, const std::string& name) {
    if (FileExists(dir + "/" + name))
        return name;
    std::error_code error;
    for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
        const std::string entry = it->path().filename().string();
        if (EqualsIgnoreCase(entry, name))
            return entry;
    }
    return name;
}

} // namespace

std::string FindPathIgnoreCase(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return FindFileIgnoreCase(".", path);
    const std::string folder = slash == 0 ? "/" : path.substr(0, slash);
    return path.substr(0, slash + 1) + FindFileIgnoreCase(folder, path.substr(slash + 1));
}

std::string WorkingDirectoryPath(const std::string& fileName) {
    std::error_code error;
    std::string dir = fs::current_path(error).generic_string();
    if (error || dir.empty())
        dir = ".";
    if (dir.back() != '/')
        dir += '/';
    return dir + fileName;
}

} // namespace travek
