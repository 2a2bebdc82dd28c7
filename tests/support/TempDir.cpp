#include "TempDir.h"

#include "FileIo.h"

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <unistd.h>

namespace travek::test {

TempDir::TempDir() {
    std::string templ = "/tmp/travek-test-XXXXXX";
    if (!::mkdtemp(templ.data()))
        throw std::runtime_error("mkdtemp failed");
    m_path = templ;
}

TempDir::~TempDir() {
    if (!m_previousCwd.empty())
        (void)::chdir(m_previousCwd.c_str());
    std::error_code ec;
    // Tests may have taken the write bit away to provoke failures.
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(m_path, ec);
}

void TempDir::write(const std::string& name, const std::string& content) const {
    std::ofstream out(file(name), std::ios::binary);
    out << content;
}

std::string TempDir::read(const std::string& name) const { return ReadWholeFile(file(name)).value_or("<missing>"); }

void TempDir::enter() {
    char buf[PATH_MAX];
    if (m_previousCwd.empty() && ::getcwd(buf, sizeof buf))
        m_previousCwd = buf;
    if (::chdir(m_path.c_str()) != 0)
        throw std::runtime_error("chdir failed");
}

} // namespace travek::test
