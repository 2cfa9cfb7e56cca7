// libFuzzer entry: arbitrary bytes as one SKI file.
#include <cstdio>
#include <cstdlib>

#include "fuzz/fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string broken = delvaro::fuzz::CheckSkiFileConversion(data, size);
    if (!broken.empty()) {
        std::fprintf(stderr, "ski_file_fuzzer: %s\n", broken.c_str());
        std::abort();
    }
    return 0;
}
