// Helpers shared by all tests: the sample corpus and scratch folders.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace cx::test {

// The folder of real sample files, or an empty path when it is not present.
inline std::filesystem::path CorpusDir() {
    std::filesystem::path dir = CX_CORPUS_DIR;
    std::error_code ec;
    return std::filesystem::is_directory(dir, ec) ? dir : std::filesystem::path();
}

// Skips the current test when the corpus is absent.
#define CX_REQUIRE_CORPUS()                                              \
    do {                                                                 \
        if (::cx::test::CorpusDir().empty()) GTEST_SKIP() << "no corpus"; \
    } while (0)

// A scratch folder removed when the test ends.
class TempDir {
public:
    TempDir() {
        std::random_device rd;
        m_path = std::filesystem::temp_directory_path() /
                 ("cx-test-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(m_path);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    const std::filesystem::path& Path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

inline void WriteBytes(const std::filesystem::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}

inline std::string ReadBytes(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace cx::test
