#include "core/text/Error.h"

#include <cerrno>
#include <cstring>

namespace travek {

Error Error::fromErrno(int errnoValue) {
    switch (errnoValue) {
    case ENOENT:
    case ENOTDIR:
        return Error(errnoValue, "Datei nicht gefunden");
    case EACCES:
    case EPERM:
    case EROFS:
        return Error(errnoValue, "Dateizugriff verweigert");
    default:
        return Error(errnoValue, std::strerror(errnoValue));
    }
}

} // namespace travek
