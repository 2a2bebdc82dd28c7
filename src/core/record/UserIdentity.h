#pragma once

#include <string>

namespace travek {

// Who and where, as the system says it, for the measurement record: the computer's name and the
// name of the user who is logged in, as program texts. Defined by the platform layer; empty when
// the system does not say.
std::string computerName();
std::string loginName();

} // namespace travek
