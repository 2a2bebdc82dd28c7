#pragma once

#include <string>

namespace travek::test {

// A fresh directory in the system's temporary folder for one test, removed with everything in it at the end.
// With enter(), it is also the working directory until the end of the test.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }
    void write(const std::string& name, const std::string& content) const;
    std::string read(const std::string& name) const;
    void enter();

private:
    std::string m_path;
    std::string m_previousCwd;
};

} // namespace travek::test
