#include "core/files/AppendFile.h"

#include "core/files/FileIo.h"
#include "core/text/Error.h"
#include "platform/win32/WideText.h"

#include <windows.h>

#include <cerrno>
#include <utility>

namespace travek {

namespace {

bool sameFile(HANDLE a, HANDLE b) {
    BY_HANDLE_FILE_INFORMATION x{}, y{};
    return GetFileInformationByHandle(a, &x) && GetFileInformationByHandle(b, &y) &&
           x.dwVolumeSerialNumber == y.dwVolumeSerialNumber && x.nFileIndexHigh == y.nFileIndexHigh &&
           x.nFileIndexLow == y.nFileIndexLow;
}

class Win32AppendFile : public AppendFile {
public:
    Win32AppendFile(HANDLE file, std::string path) : m_file(file), m_path(std::move(path)) {}
    ~Win32AppendFile() override { CloseHandle(m_file); }
    Win32AppendFile(const Win32AppendFile&) = delete;
    Win32AppendFile& operator=(const Win32AppendFile&) = delete;

    bool empty() const override {
        LARGE_INTEGER size{};
        return GetFileSizeEx(m_file, &size) && size.QuadPart == 0;
    }

    bool isAt(const std::string& path) const override {
        HANDLE named =
            CreateFileW(toWide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (named == INVALID_HANDLE_VALUE)
            return false;
        const bool same = sameFile(m_file, named);
        CloseHandle(named);
        return same;
    }

    std::size_t append(std::string_view bytes) override {
        LARGE_INTEGER before{};
        const bool sized = GetFileSizeEx(m_file, &before);
        DWORD written = 0;
        if (!WriteFile(m_file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
            written == 0) {
            const DWORD error = GetLastError();
            throw Error::fromErrno(error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL ? ENOSPC
                                   : error == ERROR_ACCESS_DENIED                              ? EACCES
                                                                                               : EIO);
        }
        if (written > 0 && written < bytes.size() && sized && cutBack(before.QuadPart, written))
            return 0;
        return written;
    }

private:
    // Cuts the file back to size where the piece just written is its end. The handle may only
    // append, so a second one of the same file does it.
    bool cutBack(LONGLONG size, DWORD piece) {
        LARGE_INTEGER now{};
        if (!GetFileSizeEx(m_file, &now) || now.QuadPart != size + piece)
            return false;
        HANDLE file = CreateFileW(toWide(m_path).c_str(), GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return false;
        LARGE_INTEGER end{};
        end.QuadPart = size;
        const bool cut =
            sameFile(file, m_file) && SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
        CloseHandle(file);
        return cut;
    }

    HANDLE m_file;
    std::string m_path;
};

} // namespace

std::unique_ptr<AppendFile> AppendFile::open(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(toWide(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        refuseNotRegular(true);
    // FILE_APPEND_DATA alone: every write goes to the end, whoever else appends. Others may read,
    // and may rename or delete the log (a rotation), which isAt then notices.
    HANDLE file = CreateFileW(toWide(path).c_str(), FILE_APPEND_DATA,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        throw Error::fromErrno(error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ? EACCES
                               : error == ERROR_PATH_NOT_FOUND                                  ? ENOENT
                                                                                                : EIO);
    }
    if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        refuseNotRegular(false);
    }
    return std::make_unique<Win32AppendFile>(file, path);
}

} // namespace travek
