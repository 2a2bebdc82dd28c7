#include "core/files/FileIo.h"

#include "platform/win32/WideText.h"

#include <windows.h>

namespace travek {

std::optional<FileStamp> fileStamp(const std::string& path) {
    // No access to the content is asked for, so a file that another program holds open is looked
    // at all the same; a folder opens only with FILE_FLAG_BACKUP_SEMANTICS.
    HANDLE file = CreateFileW(toWide(path).c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool ok = GetFileInformationByHandle(file, &info);
    CloseHandle(file);
    if (!ok)
        return std::nullopt;
    auto join = [](DWORD high, DWORD low) { return (static_cast<std::uint64_t>(high) << 32) | low; };
    return FileStamp{info.dwVolumeSerialNumber, join(info.nFileIndexHigh, info.nFileIndexLow),
                     join(info.nFileSizeHigh, info.nFileSizeLow),
                     static_cast<std::int64_t>(
                         join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime))};
}

} // namespace travek
