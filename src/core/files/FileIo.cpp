#include "core/files/FileIo.h"

#include "core/text/Error.h"
#include "core/text/TextHelpers.h"

#include <cerrno>

#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>

namespace travek {

namespace fs = std::filesystem;

std::string nameForUser(const std::string& path) {
    return path.rfind("./", 0) == 0 ? path.substr(2) : path;
}

void refuseNotRegular(bool isFolder) {
    throw Error(isFolder ? EISDIR : EINVAL,
                isFolder ? "ein Ordner, keine Datei" : "keine gew\xF6hnliche Datei");
}

void refuseLink() {
    // A link may point anywhere, at a file of the user's that is not TRAVEK's to replace; and a
    // dangling one would be replaced by a file of its own, leaving the place it points to as it was.
    throw Error(ELOOP, "eine Verkn\xFCpfung; TRAVEK schreibt nicht durch Verkn\xFCpfungen");
}

void refuseTooLarge(std::size_t maxBytes) {
    const bool megabytes = maxBytes >= (std::size_t{1} << 20);
    const std::string limit = megabytes ? std::to_string(static_cast<long long>(maxBytes >> 20)) + " MB"
                                        : std::to_string(static_cast<long long>(maxBytes)) + " Bytes";
    throw Error(EFBIG, "zu gro\xDF (mehr als " + limit + ")");
}

std::optional<std::string> readWholeFile(const std::string& path, std::size_t maxBytes) {
    try {
        return readFileContent(path, maxBytes);
    } catch (const Error& error) {
        throw Error(error.code(), nameForUser(path) + ": " + error.what());
    }
}

void writeFileAtomically(const std::string& path, const std::string& content) {
    try {
        replaceFileContent(path, content);
    } catch (const Error& error) {
        throw Error(error.code(), nameForUser(path) + ": " + error.what());
    }
}

void writeFileAtomicallyUnflushed(const std::string& path, const std::string& content) {
    try {
        replaceFileContent(path, content, false);
    } catch (const Error& error) {
        throw Error(error.code(), nameForUser(path) + ": " + error.what());
    }
}

bool fileExists(const std::string& path) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    return !error && fs::exists(status) && !fs::is_directory(status);
}

bool pathExists(const std::string& path) {
    std::error_code error;
    return fs::exists(fs::symlink_status(path, error));
}

namespace {

// The name as the folder holds it, or name itself when no entry matches. A file wins over a
// folder of the same name whatever the folder's order: ablauf.abl as a folder beside ABLAUF.ABL
// must not hide the file.
std::string findFileIgnoreCase(const std::string& dir, const std::string& name) {
    if (fileExists(dir + "/" + name))
        return name;
    std::error_code error;
    std::string folder;
    for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
        const std::string entry = it->path().filename().string();
        if (!equalsIgnoreCase(entry, name))
            continue;
        if (fileExists(dir + "/" + entry))
            return entry;
        if (folder.empty())
            folder = entry;
    }
    // Only folders (or nothing) by that name: the folder is named, so that it is refused as one.
    return folder.empty() ? name : folder;
}

} // namespace

std::string findPathIgnoreCase(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return findFileIgnoreCase(".", path);
    const std::string folder = slash == 0 ? "/" : path.substr(0, slash);
    return path.substr(0, slash + 1) + findFileIgnoreCase(folder, path.substr(slash + 1));
}

std::string workingDirectoryForUser() {
    std::error_code error;
    fs::path dir = fs::current_path(error);
    if (error)
        return ".";
    const std::u8string utf8 = dir.make_preferred().u8string();
    return systemTextToWin1252(std::string(utf8.begin(), utf8.end()));
}

bool folderTakesNewFiles(const std::string& folder) {
    const fs::path probe = fs::path(folder) / ("~travek-" + std::to_string(std::random_device{}()) + ".tmp");
    std::error_code error;
    if (fs::exists(probe, error))
        return true; // not ours to touch; whatever made it could write there
    const bool made = static_cast<bool>(std::ofstream(probe, std::ios::binary));
    fs::remove(probe, error);
    return made;
}

std::string workingDirectoryPath(const std::string& fileName) {
    std::error_code error;
    std::string dir = fs::current_path(error).generic_string();
    if (error || dir.empty())
        dir = ".";
    if (dir.back() != '/')
        dir += '/';
    return dir + fileName;
}

} // namespace travek
