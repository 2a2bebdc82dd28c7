#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace travek {

// A file that records are appended to, such as the measurement log. Defined by the platform
// layer, which opens it so that nothing can make the program wait or write elsewhere: never
// through a link, never anything but a regular file, never blocking.
class AppendFile {
public:
    // Opens path to append to it, made when missing. Throws Error (without the name) for anything
    // but a regular file, a link, or a file that may not be written.
    static std::unique_ptr<AppendFile> open(const std::string& path);

    virtual ~AppendFile() = default;
    // True when the file holds nothing yet.
    virtual bool empty() const = 0;
    // Whether path still names this very file: false when it was deleted, or renamed and another
    // (or none) took its name, as a log rotation does.
    virtual bool isAt(const std::string& path) const = 0;
    // Appends the bytes with one write, so that a row is never mixed with another writer's.
    // Gives the number of bytes that stay in the file. When only a part of them reached it (a full
    // disk, a file-size limit), that part is cut off again, so that the file keeps whole records,
    // and the result is 0; it is the part only where the file could not be cut back (another
    // writer appended meanwhile). Throws Error when none reached the file and the system said why.
    virtual std::size_t append(std::string_view bytes) = 0;
};

} // namespace travek
