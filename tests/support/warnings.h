// Standard error of delvaro-cli without the data checks' warnings, for
// tests about something else whose made-up files the checks rightly warn
// about (separate single baselines, feet under a metre-sized network).
#pragma once

#include <cstring>
#include <string>

namespace delvaro::test {

inline std::string WithoutWarnings(const std::string& err) {
    std::string kept;
    size_t start = 0;
    while (start < err.size()) {
        size_t end = err.find('\n', start);
        end = end == std::string::npos ? err.size() : end + 1;
        const std::string line = err.substr(start, end - start);
        if (line.find(": warning: ") == std::string::npos) kept += line;
        start = end;
    }
    return kept;
}

// The same, but only the data checks' warnings: those the conversion
// itself gives (a line break in a name, say) stay.
inline std::string WithoutCheckWarnings(const std::string& err) {
    static const char* const kChecks[] = {"unknown unit code ",
                                          "station ",
                                          "covariance matrix not positive definite",
                                          "the file's last line",
                                          "line longer than ",
                                          "repeated baseline ",
                                          "loop ",
                                          "the network falls into "};
    std::string kept;
    size_t start = 0;
    while (start < err.size()) {
        size_t end = err.find('\n', start);
        end = end == std::string::npos ? err.size() : end + 1;
        const std::string line = err.substr(start, end - start);
        const size_t at = line.find(": warning: ");
        bool check = false;
        for (const char* prefix : kChecks)
            check = check || (at != std::string::npos &&
                              line.compare(at + 11, std::strlen(prefix), prefix) == 0);
        if (!check) kept += line;
        start = end;
    }
    return kept;
}

}  // namespace delvaro::test
