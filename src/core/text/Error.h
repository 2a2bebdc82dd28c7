#pragma once

#include <stdexcept>
#include <string>

namespace travek {

// The one way TRAVEK reports a failure: a file that cannot be read or written, a port that does
// not open, a port list or keyboard that is not available. what() is the text for the user (a
// program text, Windows-1252, or a system text that systemTextToWin1252 makes one); code() is the
// system's error code where there is one, 0 otherwise. Whoever serves the user's action catches
// it and shows it; nothing below that shows anything itself.
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : Error(0, message) {}
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
