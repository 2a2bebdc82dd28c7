#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace travek {

// The most that a file of TRAVEK's may hold. Its own files are small; a larger one is a mistake
// (or a trap: a link to /dev/zero), and reading it would take the memory and the time that typing
// needs.
namespace FileLimit {
constexpr std::size_t Settings = std::size_t{1} << 20; // TRAVEK.INI, *.VAL, SPLITSTRING.INI, *.pst
constexpr std::size_t Sequence = std::size_t{1} << 20; // and 99 lines (GridFile)
constexpr std::size_t Token = 4096;
} // namespace FileLimit

// Reads a whole file as bytes without ever waiting for anything: a FIFO or a device in the file's
// place is not read from, a folder is not read as a file. Nothing when there is no such file or it
// may not be opened (the caller's default applies, as for a missing file; errno says which).
// Throws Error, naming the file, when the name is not a regular file, when it holds more than
// maxBytes, or when reading it fails.
std::optional<std::string> readWholeFile(const std::string& path, std::size_t maxBytes = FileLimit::Settings);

// The name of a file as the user knows it, for messages: the path without a leading "./".
std::string nameForUser(const std::string& path);

// Writes content to path, which stays the same file: its owner, group, permissions and every other
// name it has are kept. A file that may not be written is refused and left untouched: one the user
// lacks the right to write, or one without any write permission at all, which holds for root too,
// as a read-only file does on Windows. Anything but a regular file is refused as well: a folder, a
// FIFO or a device (writing to one would block or send the bytes somewhere), and a symbolic link,
// whose target may be any file of the user's: TRAVEK replaces only files that are its own.
//
// Where nothing about the file changes by it, the bytes go to a temporary file in the same folder,
// are flushed to disk, and the temporary file is renamed over the target, so that a reader sees
// either the old file whole or the new one whole; on failure the old file is untouched and no
// temporary file is left behind. That takes a file with a single name, of the owner and group a
// new file gets, in a folder that takes new files. Any other regular file is written in place and
// flushed; the room a longer content needs is taken first, so that a full disk leaves it whole,
// but other failures and crashes while writing can leave it half written. A file that does not
// exist is created; where its folder takes no new files, that fails with the system's error.
// Throws Error, naming the file.
void writeFileAtomically(const std::string& path, const std::string& content);
// The same without waiting for the disk: an end of the program at any moment leaves the old content
// or the new one whole, but an end of the system (power) may leave the old one, or on some file
// systems an empty file. For a state written too often to wait for the disk each time, whose
// older value costs no more than some work done again.
void writeFileAtomicallyUnflushed(const std::string& path, const std::string& content);

// Defined by the platform layer, which opens files its own way: readWholeFile and
// writeFileAtomically without the file's name in their errors. The refusals are the same on every
// platform.
std::optional<std::string> readFileContent(const std::string& path, std::size_t maxBytes);
void replaceFileContent(const std::string& path, const std::string& content, bool flush = true);
[[noreturn]] void refuseNotRegular(bool isFolder);
[[noreturn]] void refuseLink();
[[noreturn]] void refuseTooLarge(std::size_t maxBytes);

// Part of a file without reading the whole: at most maxBytes from offset on (fewer at its end), and
// the size of the whole file. Nothing when there is no such file or it may not be opened (errno
// says which). Throws Error (without the name) for anything but a regular file, or when reading
// fails. Defined by the platform layer; the measurement log is read this way to be published.
struct FilePart {
    std::string bytes;
    std::uint64_t fileSize = 0;
};
std::optional<FilePart> readFilePart(const std::string& path, std::uint64_t offset, std::size_t maxBytes);

// TRAVEK's own folder for what it keeps between runs that is nobody's business but its own
// ($XDG_STATE_HOME/travek or ~/.local/state/travek; %LOCALAPPDATA%\TRAVEK on Windows), made when
// missing. Throws Error when it cannot be made.
std::string stateFolder();

// What tells one version of a file from another without reading it: which file the name leads to
// (its volume and its number there), its size and the time of its last change. An editor that
// saves by renaming a new file into place changes the first, one that writes in place the others.
struct FileStamp {
    std::uint64_t volume = 0;
    std::uint64_t file = 0;
    std::uint64_t size = 0;
    std::int64_t modified = 0; // in the system's own unit
    bool operator==(const FileStamp&) const = default;
};
// Defined by the platform layer. Nothing when nothing has that name; a link is not followed.
std::optional<FileStamp> fileStamp(const std::string& path);

// True for a file, not a folder (a link counts as what it points to).
bool fileExists(const std::string& path);
// True when anything has that name: a file, a folder, a FIFO, a link even when it dangles.
bool pathExists(const std::string& path);

// The full name of a file of the working directory: the directory, a separator and the name.
std::string workingDirectoryPath(const std::string& fileName);
// The working directory as the user reads it (its separators the system's), for messages.
std::string workingDirectoryForUser();

// Whether a new file can be made in the folder: one is made and removed again.
bool folderTakesNewFiles(const std::string& folder);

// Defined by the platform layer: the folder that the installation made for TRAVEK's files (its
// Start-menu entry starts TRAVEK there), for messages; empty where there is none.
std::string installedWorkingFolder();

// The path with its last part as its folder (the working directory when it has none) spells it,
// looked up without regard to ASCII letter case; the path itself when no entry matches. An exact
// match wins, and a file wins over a folder. Files copied from Windows keep whatever case they had
// there, where PX5R.val and PX5R.VAL are one file.
std::string findPathIgnoreCase(const std::string& path);

} // namespace travek
