#include "core/serial/DeviceWatch.h"

#include "platform/posix/ComPortMap.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <filesystem>

namespace travek {

namespace {

// An inotify descriptor on the device's folder, watched by the event loop.
class InotifyWatch : public EventLoop::Watch {
public:
    InotifyWatch(EventLoop& loop, int fd, std::function<void()> appeared) : m_fd(fd) {
        m_readable = loop.watchReadable(fd, [this, appeared = std::move(appeared)] {
            char events[4096];
            while (::read(m_fd, events, sizeof events) > 0) {
            }
            appeared();
        });
    }
    ~InotifyWatch() override {
        m_readable.reset();
        ::close(m_fd);
    }
    void setEnabled(bool enabled) override { m_readable->setEnabled(enabled); }

private:
    int m_fd;
    std::unique_ptr<EventLoop::Watch> m_readable;
};

} // namespace

std::unique_ptr<EventLoop::Watch> watchForDevice(EventLoop& loop, std::uint8_t comPort,
                                                 std::function<void()> appeared) {
    // udev makes the node (or the by-id link) in its folder, then sets its permissions.
    const std::filesystem::path folder = std::filesystem::path(comPortDevicePath(comPort)).parent_path();
    const int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0)
        return nullptr;
    if (::inotify_add_watch(fd, folder.empty() ? "." : folder.c_str(), IN_CREATE | IN_MOVED_TO | IN_ATTRIB) <
        0) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<InotifyWatch>(loop, fd, std::move(appeared));
}

} // namespace travek
