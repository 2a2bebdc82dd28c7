#include "IoError.h"

#include <cerrno>
#include <cstring>

namespace travek {

IoError IoError::fromErrno(int errnoValue) {
    switch (errnoValue) {
    case ENOENT:
    case ENOTDIR:
        return IoError(errnoValue, "Datei nicht gefunden");
    case EACCES:
    case EPERM:
    case EROFS:
        return IoError(errnoValue, "Dateizugriff verweigert");
    default:
        return IoError(errnoValue, std::strerror(errnoValue));
    }
}

} // namespace travek
