// A scratch folder for one test, removed with everything in it afterwards.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>

namespace delvaro::test {

class TempDir {
  public:
    TempDir() {
#ifdef _WIN32
        // No mkdtemp here: a random name, taken only if the folder did not
        // exist yet.
        std::random_device random;
        for (;;) {
            m_path = std::filesystem::temp_directory_path() /
                     ("delvaro-" + std::to_string(random()) + "-" + std::to_string(random()));
            if (std::filesystem::create_directory(m_path)) break;
        }
#else
        std::string pattern = (std::filesystem::temp_directory_path() / "delvaro-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        m_path = pattern;
#endif
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string Path(const std::string& name) const { return (m_path / name).string(); }

    // Writes `bytes` into `name` exactly as given (binary) and returns its path.
    std::string Write(const std::string& name, const std::string& bytes) const {
        std::string path = Path(name);
        std::ofstream out(path, std::ios::binary);
        out << bytes;
        return path;
    }

  private:
    std::filesystem::path m_path;
};

inline std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace delvaro::test
