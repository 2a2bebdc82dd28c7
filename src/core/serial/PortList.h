#pragma once

#include <string>
#include <vector>

namespace travek {

// Defined by the platform layer. Replaces target with one line "device name=port name" for each
// serial port the system knows. An entry that cannot be read is left out, and once the others are
// in target, Error names the first such entry.
void listComPorts(std::vector<std::string>& target);

} // namespace travek
