#pragma once

// Helpers shared by the fuzz targets.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <unistd.h>

namespace travek::fuzz {

// Stops the run with a message; libFuzzer saves the input that led here.
[[noreturn]] inline void fail(const std::string& what) {
    std::fprintf(stderr, "\n*** invariant violated: %s\n", what.c_str());
    std::fflush(stderr);
    std::abort();
}

// A folder of its own for the process, in memory when /dev/shm is there, removed at exit. The file
// readers under test take paths, so each input goes through a real file.
class ScratchDir {
public:
    static const std::string& path() {
        static ScratchDir dir;
        return dir.m_path;
    }
    static std::string file(const std::string& name) { return path() + "/" + name; }

private:
    ScratchDir() {
        const char* base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
        std::string pattern = std::string(base) + "/travek-fuzz-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            fail("cannot create a scratch folder under " + std::string(base));
        m_path = pattern;
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    std::string m_path;
};

inline void writeFile(const std::string& path, std::string_view bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        fail("cannot write " + path);
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size())
        fail("cannot write " + path);
    std::fclose(f);
}

// The text with control characters shown as \xNN, for messages.
inline std::string printable(std::string_view text) {
    std::string out;
    for (unsigned char c : text) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        }
    }
    return out;
}

} // namespace travek::fuzz
