// Standard error of delvaro-cli without the data checks' warnings, for
// tests about something else whose made-up files the checks rightly warn
// about (separate single baselines, feet under a metre-sized network).
#pragma once

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

}  // namespace delvaro::test
