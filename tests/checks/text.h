// Standard error is text: on Windows its lines end in CR LF, compared here
// as LF.
#pragma once

#include <string>

namespace delvaro::test {

inline std::string AsText(std::string text) {
#ifdef _WIN32
    std::string lf;
    for (size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) lf += text[i];
    text = lf;
#endif
    return text;
}

}  // namespace delvaro::test
