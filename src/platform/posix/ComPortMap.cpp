#include "platform/posix/ComPortMap.h"

#include "core/files/FileIo.h"
#include "core/text/TextHelpers.h"

namespace travek {

std::string comPortConfigPath() {
    return findPathIgnoreCase("./TRAVEK.INI");
}

std::string comPortDevicePath(std::uint8_t comPort, const IniFile& ini, const std::string& devDir) {
    const int number = comPort + 1;
    const std::string mapped =
        std::string(trim(ini.readString("COMPORTS", "COM" + std::to_string(number), "")));
    if (!mapped.empty())
        return mapped;
    return devDir + "/ttyS" + std::to_string(comPort);
}

std::string comPortDevicePath(std::uint8_t comPort) {
    return comPortDevicePath(comPort, IniFile::load(comPortConfigPath()));
}

} // namespace travek
