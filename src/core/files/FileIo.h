#pragma once

#include <optional>
#include <string>

namespace travek {

// Reads a whole file as bytes. Nothing when it cannot be opened or read.
std::optional<std::string> ReadWholeFile(const std::string& path);

// Defined by the platform layer (file replacement differs between POSIX and Windows).
// Writes content to path, which stays the same file: its owner, group, permissions and every other
// name it has are kept. A file that may not be written is refused and left untouched: one the user
// lacks the right to write, or one without any write permission at all, which holds for root too,
// as a read-only file does on Windows. A symbolic link is followed, so the file it points to is
// written and the link stays.
//
// Where nothing about the file changes by it, the bytes go to a temporary file in the same folder,
// are flushed to disk, and the temporary file is renamed over the target, so that a reader sees
// either the old file whole or the new one whole; on failure the old file is untouched and no
// temporary file is left behind. That takes a plain file with a single name, of the owner and
// group a new file gets, in a folder that takes new files. Any other file is written in place and
// flushed; the room a longer content needs is taken first, so that a full disk leaves it whole,
// but other failures and crashes while writing can leave it half written. A file that does not
// exist is created; where its folder takes no new files, that fails with the system's error.
// Throws Error.
void WriteFileAtomically(const std::string& path, const std::string& content);

bool FileExists(const std::string& path);

// The full name of a file of the working directory: the directory, a separator and the name.
std::string WorkingDirectoryPath(const std::string& fileName);

// The path with its last part as its folder (the working directory when it has none) spells it,
// looked up without regard to ASCII letter case; the path itself when no entry matches. An exact
// match wins. Files copied from Windows keep whatever case they had there, where PX5R.val and
// PX5R.VAL are one file.
std::string FindPathIgnoreCase(const std::string& path);

} // namespace travek
