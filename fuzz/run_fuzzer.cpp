// libFuzzer entry: arbitrary bytes as a whole run of several SKI files.
#include <cstdio>
#include <cstdlib>

#include "fuzz/fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string broken = delvaro::fuzz::CheckConversionRun(data, size);
    if (!broken.empty()) {
        std::fprintf(stderr, "run_fuzzer: %s\n", broken.c_str());
        std::abort();
    }
    return 0;
}
