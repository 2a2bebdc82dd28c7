#include "support/TempDir.h"

#include "core/files/FileIo.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>

namespace travek::test {

TempDir::TempDir() {
    namespace fs = std::filesystem;
    std::random_device random;
    for (int attempt = 0; attempt < 100 && m_path.empty(); ++attempt) {
        const fs::path candidate = fs::temp_directory_path() / ("travek-test-" + std::to_string(random()));
        std::error_code error;
        if (fs::create_directory(candidate, error))
            m_path = candidate.generic_string();
    }
    if (m_path.empty())
        throw std::runtime_error("no temporary directory");
}

TempDir::~TempDir() {
    std::error_code ec;
    if (!m_previousCwd.empty())
        std::filesystem::current_path(m_previousCwd, ec);
    // Tests may have taken the write bit away to provoke failures.
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(m_path, ec);
}

void TempDir::write(const std::string& name, const std::string& content) const {
    std::ofstream out(file(name), std::ios::binary);
    out << content;
}

std::string TempDir::read(const std::string& name) const {
    return readWholeFile(file(name)).value_or("<missing>");
}

void TempDir::enter() {
    if (m_previousCwd.empty())
        m_previousCwd = std::filesystem::current_path().string();
    std::filesystem::current_path(m_path);
}

} // namespace travek::test
