#pragma once

#include <string>

namespace travek {

// The hardware identity of the USB adapter behind a tty node: its vendor, product and serial
// number and the interface the port is on, as sysfs (sysRoot) tells them. Empty for a device that
// has none: a pseudo terminal, a built-in port, a node that is gone.
std::string usbIdentity(const std::string& devicePath, const std::string& sysRoot = "/sys");

} // namespace travek
