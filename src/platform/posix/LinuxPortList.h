#pragma once

#include "core/serial/PortList.h"

#include <string>
#include <vector>

namespace travek {

// Where the Linux port list is read from; the defaults are the system's places.
struct PortListSources {
    std::string ttyClassDir = "/sys/class/tty";      // one entry per tty; serial ones have "device"
    std::string serialByIdDir = "/dev/serial/by-id"; // stable names of USB adapters
    std::string devDir = "/dev";                     // where the tty device files are
    std::string configPath;                          // COMPORTS mappings; empty: the working directory's
};

// The serial devices (ttys backed by hardware, virtual consoles left out) in the order of their
// kernel names, each as "name=port": the name is the adapter's /dev/serial/by-id name where it
// has one, else the kernel name (ttyUSB0); the port is the COMn that reaches the device (by the
// configuration file's mappings or the default COMn = ttyS<n-1>), else the device path.
void listComPorts(std::vector<std::string>& target, const PortListSources& sources);

} // namespace travek
