#pragma once

#include <string>

namespace travek::test {

// A pseudo terminal standing in for a serial line: the test plays the device on the master side,
// the code under test opens slavePath() as its port.
class PtyPair {
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    const std::string& slavePath() const { return m_slavePath; }
    int masterFd() const { return m_master; }

    // Sends bytes to the port as the device would.
    void send(const std::string& bytes);
    // What the port has written, collected until count bytes are in or timeoutMs pass.
    std::string receive(std::size_t count, int timeoutMs = 2000);
    // The device vanishes: the port side hangs up.
    void closeMaster();

private:
    int m_master = -1;
    std::string m_slavePath;
};

} // namespace travek::test
