#include "core/files/FolderLock.h"

#include <windows.h>

#include <string>

namespace travek {

namespace {

// Windows locks no folders, so the lock is a hidden file that nobody else may open while TRAVEK
// holds it, and that the system deletes when the last handle closes: when the process ends, in
// whatever way. A second start's open fails and leaves the file as it is.
constexpr const wchar_t* LockFileName = L"TRAVEK.LCK";

class Win32FolderLock : public FolderLock {
public:
    explicit Win32FolderLock(HANDLE file) : m_file(file) {}
    ~Win32FolderLock() override {
        if (m_file != INVALID_HANDLE_VALUE)
            CloseHandle(m_file);
    }
    Win32FolderLock(const Win32FolderLock&) = delete;
    Win32FolderLock& operator=(const Win32FolderLock&) = delete;

private:
    HANDLE m_file;
};

} // namespace

std::unique_ptr<FolderLock> FolderLock::lockWorkingFolder(Unavailable& unavailable) {
    HANDLE file = CreateFileW(LockFileName, GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        return std::make_unique<Win32FolderLock>(file);
    const DWORD error = GetLastError();
    if (error == ERROR_SHARING_VIOLATION)
        return nullptr;
    // A read-only folder, or one on a share that refuses the file: TRAVEK runs, unguarded.
    unavailable.reason = "TRAVEK.LCK: Fehler " + std::to_string(error);
    return std::make_unique<Win32FolderLock>(INVALID_HANDLE_VALUE);
}

} // namespace travek
