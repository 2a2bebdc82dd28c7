#pragma once

#include "core/files/IniFile.h"

#include <cstdint>
#include <string>

namespace travek {

// Which device a COM port number reaches on Linux. COMn is /dev/ttyS<n-1> unless the program's
// configuration file maps it: section COMPORTS, key COM<n>, value any device path, e.g.
//   [COMPORTS]
//   COM3=/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0
// so an interface box on a USB adapter keeps its COM number whatever ttyUSB number it gets.

// The configuration file of the working directory (its name matched without regard to case).
std::string comPortConfigPath();

// Device path of the port with the index (port number minus 1) by the mappings of ini; unmapped
// ports are devDir + "/ttyS<index>".
std::string comPortDevicePath(std::uint8_t comPort, const IniFile& ini, const std::string& devDir = "/dev");

// The same, read from the working directory's configuration file at the time of the call.
std::string comPortDevicePath(std::uint8_t comPort);

} // namespace travek
