#include "core/files/FolderLock.h"

#include "core/files/FileIo.h"
#include "core/text/TextHelpers.h"

namespace travek {

std::string FolderLock::inUseMessage() {
    std::string folder = systemTextToWin1252(workingDirectoryPath(""));
    if (folder.size() > 1)
        folder.pop_back(); // the separator workingDirectoryPath puts before a name
    return "TRAVEK l\xE4uft in diesem Ordner schon: " + folder;
}

} // namespace travek
