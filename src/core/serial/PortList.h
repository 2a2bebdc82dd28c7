#pragma once

#include <string>
#include <vector>

namespace travek {

// Defined by the platform layer. Replaces target with one line "device name=port name" for each
// serial port the system knows. Throws Error when the system's list holds an entry that cannot be
// read; target is then left as it was.
void ListComPorts(std::vector<std::string>& target);

} // namespace travek
