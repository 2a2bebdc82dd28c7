#pragma once

#include <optional>
#include <string>

namespace travek {

// Reads a whole file as bytes. Nothing when it cannot be opened or read.
std::optional<std::string> ReadWholeFile(const std::string& path);

// Replaces path with content so that a reader sees either the old file whole or the new one
// whole: the bytes go to a temporary file in the same folder, are flushed to disk, and the
// temporary file is renamed over the target. A symbolic link is followed, so the file it points
// to is replaced and the link stays. The old file's permissions are kept. Throws IoError; on
// failure the old file is untouched and no temporary file is left behind.
void WriteFileAtomically(const std::string& path, const std::string& content);

bool FileExists(const std::string& path);

// Looks for name in folder without regard to ASCII letter case; gives the name as the folder
// holds it, or name itself when no entry matches. An exact match wins.
std::string FindFileIgnoreCase(const std::string& folder, const std::string& name);

} // namespace travek
