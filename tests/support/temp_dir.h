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
        // No mkdtemp: a random name, taken only when the folder is new.
        std::random_device random;
        for (int attempt = 0; m_path.empty(); ++attempt) {
            if (attempt == 100) throw std::runtime_error("no scratch folder could be made");
            std::filesystem::path candidate =
                std::filesystem::temp_directory_path() / ("delvaro-" + std::to_string(random()));
            if (std::filesystem::create_directory(candidate)) m_path = candidate;
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
