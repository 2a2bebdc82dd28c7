#include "platform/posix/LinuxPortList.h"

#include "core/files/IniFile.h"
#include "core/text/TextHelpers.h"
#include "platform/posix/ComPortMap.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>

namespace fs = std::filesystem;

namespace travek {

namespace {

// The path with every link resolved, so two names of one device compare equal; the plain path
// when it does not exist.
std::string resolvedPath(const std::string& path) {
    std::error_code ec;
    const fs::path resolved = fs::canonical(path, ec);
    return ec ? fs::path(path).lexically_normal().string() : resolved.string();
}

// ttyS2 before ttyS10: the trailing number compares as a number.
bool kernelNameLess(const std::string& a, const std::string& b) {
    auto split = [](const std::string& name) {
        std::size_t digits = name.size();
        while (digits > 0 && std::isdigit(static_cast<unsigned char>(name[digits - 1])))
            --digits;
        const std::string number = name.substr(digits);
        return std::make_pair(name.substr(0, digits),
                              number.empty() ? -1LL : std::stoll(number.substr(0, 18)));
    };
    return split(a) < split(b);
}

} // namespace

void listComPorts(std::vector<std::string>& target, const PortListSources& sources) {
    std::error_code ec;
    std::vector<std::string> kernelNames;
    for (const auto& entry : fs::directory_iterator(sources.ttyClassDir, ec)) {
        std::error_code linkError;
        // Virtual terminals and ptys have no device behind them.
        if (fs::exists(entry.path() / "device", linkError))
            kernelNames.push_back(entry.path().filename().string());
    }
    std::sort(kernelNames.begin(), kernelNames.end(), kernelNameLess);

    std::map<std::string, std::string> byIdNames; // resolved device path -> by-id name
    for (const auto& entry : fs::directory_iterator(sources.serialByIdDir, ec)) {
        const std::string resolved = resolvedPath(entry.path().string());
        const std::string name = entry.path().filename().string();
        auto [it, added] = byIdNames.emplace(resolved, name);
        if (!added && name < it->second)
            it->second = name;
    }

    const IniFile ini = IniFile::load(sources.configPath.empty() ? comPortConfigPath() : sources.configPath);
    std::map<std::string, int> portNumbers; // resolved device path -> lowest COM number reaching it
    for (int index = 0; index < 99; ++index)
        portNumbers.emplace(
            resolvedPath(comPortDevicePath(static_cast<std::uint8_t>(index), ini, sources.devDir)),
            index + 1);

    std::vector<std::string> lines;
    for (const std::string& kernelName : kernelNames) {
        const std::string devicePath = sources.devDir + "/" + kernelName;
        const std::string resolved = resolvedPath(devicePath);
        const auto byId = byIdNames.find(resolved);
        const auto port = portNumbers.find(resolved);
        lines.push_back((byId != byIdNames.end() ? byId->second : kernelName) + "=" +
                        (port != portNumbers.end() ? "COM" + std::to_string(port->second) : devicePath));
    }
    target = std::move(lines);
}

void listComPorts(std::vector<std::string>& target) {
    listComPorts(target, PortListSources{});
}

} // namespace travek
