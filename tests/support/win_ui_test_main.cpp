// The main of the dialog tests on Windows: the window layer set up as the
// program sets it up, then the tests.
#include <gtest/gtest.h>

#include <cstdio>

#include "platform/afxwin.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (!AfxWinInit(argc, argv)) {
        std::fprintf(stderr, "cannot set up the window system\n");
        return 1;
    }
    const int result = RUN_ALL_TESTS();
    AfxWinTerm();
    return result;
}
