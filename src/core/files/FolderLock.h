#pragma once

#include <memory>
#include <string>

namespace travek {

// One TRAVEK per working folder: two would each save their own sequence over the other's, and the
// second could not open the port anyway. The lock is the system's, so it goes with the process
// however the process ends (a crash, kill -9), and a stale one never keeps TRAVEK from starting.
class FolderLock {
public:
    // Why the working folder could not be locked although nobody else holds it (a file system
    // without locks); TRAVEK then runs without one.
    struct Unavailable {
        std::string reason;
    };

    virtual ~FolderLock() = default;

    // Defined by the platform layer: locks the working folder for as long as the result lives.
    // Nothing when another process holds the lock. Touches no file of TRAVEK's.
    static std::unique_ptr<FolderLock> lockWorkingFolder(Unavailable& unavailable);

    // What a second start says before it ends, naming the folder.
    static std::string inUseMessage();
};

} // namespace travek
