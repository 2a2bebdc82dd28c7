#include "platform/posix/UsbIdentity.h"

#include "core/text/TextHelpers.h"

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace travek {

namespace {

// A sysfs attribute's first line; empty when it is missing.
std::string readAttribute(const fs::path& dir, const char* name) {
    std::ifstream in(dir / name);
    std::string line;
    std::getline(in, line);
    return std::string(trim(line));
}

} // namespace

std::string usbIdentity(const std::string& devicePath, const std::string& sysRoot) {
    std::error_code error;
    const fs::path node = fs::canonical(devicePath, error);
    if (error)
        return {};
    // /sys/class/tty/ttyUSB0/device leads into the USB tree: the port (ttyUSB0, for usb-serial
    // adapters), its interface (1-1:1.0, with bInterfaceNumber), its device (1-1, with idVendor).
    const fs::path root = fs::canonical(sysRoot, error);
    fs::path dir = fs::canonical(root / "class/tty" / node.filename() / "device", error);
    if (error)
        return {};
    auto underRoot = [&root](const fs::path& path) {
        const auto rel = path.lexically_relative(root);
        return !rel.empty() && *rel.begin() != ".." && rel != ".";
    };
    std::string interface;
    for (; underRoot(dir); dir = dir.parent_path()) {
        if (interface.empty())
            interface = readAttribute(dir, "bInterfaceNumber");
        const std::string vendor = readAttribute(dir, "idVendor");
        if (!vendor.empty())
            return vendor + ":" + readAttribute(dir, "idProduct") + ":" + readAttribute(dir, "serial") + ":" +
                   interface;
    }
    return {};
}

} // namespace travek
