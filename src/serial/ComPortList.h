#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace travek {

// A port list that could not be read completely; what() is the message for the user.
class PortListError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Replaces target with one line "device name=port name" for each serial port the system knows.
// Throws PortListError when the system's list holds an entry that cannot be read; target is then
// left as it was.
void ListComPorts(std::vector<std::string>& target);

} // namespace travek
