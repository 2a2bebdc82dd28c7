#pragma once

#include <stdexcept>
#include <string>

namespace travek {

// An input/output failure while reading or writing one of the user's files. It carries the error
// code and the text that the program shows in its error box.
class Error : public std::runtime_error {
public:
    Error(int code, const std::string& message) : std::runtime_error(message), m_code(code) {}

    // The error box text for a system error code: the familiar texts for a missing file and for
    // denied access, the system's own text otherwise.
    static Error fromErrno(int errnoValue);

    int code() const { return m_code; }

    // Code of a text that should have held a number and does not.
    static constexpr int InvalidNumericInput = 106;

private:
    int m_code;
};

} // namespace travek
