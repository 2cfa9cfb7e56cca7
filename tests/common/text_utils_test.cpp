#include "common/text_utils.h"

#include <gtest/gtest.h>

#include <string>

namespace delvaro {
namespace {

TEST(StripBlanks, RemovesControlSpaceAndHighBytesAtBothEnds) {
    struct Case {
        std::string in, leading, trailing, both;
    } cases[] = {
        {"", "", "", ""},
        {"  a b  ", "a b  ", "  a b", "a b"},
        {"\t\r\n x\r\n", "x\r\n", "\t\r\n x", "x"},
        // Bytes from 0x80 up count as blanks: they are negative as signed chars.
        {"\xe9x\xff", "x\xff", "\xe9x", "x"},
        {"\x1f!\x7f", "!\x7f", "\x1f!\x7f", "!\x7f"},  // 0x7F is above 32: kept
        {"   ", "", "", ""},
    };
    for (const Case& c : cases) {
        std::string a = c.in, b = c.in, d = c.in;
        EXPECT_EQ(StripLeadingBlanks(a.data()), c.leading) << c.in;
        EXPECT_EQ(StripTrailingBlanks(b.data()), c.trailing) << c.in;
        EXPECT_EQ(StripBlanks(d.data()), c.both) << c.in;
        std::string s = c.in;
        EXPECT_EQ(StripBlanks(s), c.both) << c.in;
    }
}

TEST(StripTrailingChar, RemovesOnlyTrailingCopies) {
    std::string text = "1.2500000";
    EXPECT_STREQ(StripTrailingChar(text.data(), '0'), "1.25");
    text = "10.";
    EXPECT_STREQ(StripTrailingChar(text.data(), '0'), "10.");
    std::string dir = "/data//";
    EXPECT_EQ(StripTrailingChar(dir, '/'), "/data");
}

#ifndef _WIN32
TEST(PathHelpers, SplitAtSlash) {
    struct Case {
        const char* path;
        const char* name;
        const char* stem;
        const char* directory;
    } cases[] = {
        {"/data/site1.asc", "site1.asc", "site1", "/data/"},
        {"site1.asc", "site1.asc", "site1", ""},
        {"/data/archive.v2/site", "site", "site", "/data/archive.v2/"},
        {"/data/", "", "", "/data/"},
        {"  /data/a.b.asc  ", "a.b.asc  ", "a.b", "/data/"},
        {"C:\\data\\a.asc", "C:\\data\\a.asc", "C:\\data\\a", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FileNameFromPath(c.path, false), c.name) << c.path;
        EXPECT_EQ(FileNameFromPath(c.path, true), c.stem) << c.path;
        EXPECT_EQ(DirectoryFromPath(c.path), c.directory) << c.path;
    }
}

TEST(PathHelpers, ProgramDirectoryHoldsThisTest) {
    std::string dir = GetProgramDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '/');
    EXPECT_EQ(dir.front(), '/');
}
#else
TEST(PathHelpers, SplitAtBackslashColonAndSlash) {
    struct Case {
        const char* path;
        const char* name;
        const char* stem;
        const char* directory;
    } cases[] = {
        {"C:\\data\\site1.asc", "site1.asc", "site1", "C:\\data\\"},
        {"C:/data/a.asc", "a.asc", "a", "C:/data/"},
        {"data/sub\\b.v2.asc", "b.v2.asc", "b.v2", "data/sub\\"},
        {"C:a.asc", "a.asc", "a", "C:\\"},
        {"C:", "", "", "C:\\"},
        {"site1.asc", "site1.asc", "site1", ""},
        {"\\\\server\\share\\x.asc", "x.asc", "x", "\\\\server\\share\\"},
        {"\\\\?\\C:\\data\\a.asc", "a.asc", "a", "\\\\?\\C:\\data\\"},
        {"  C:\\d\\a.b.asc  ", "a.b.asc  ", "a.b", "C:\\d\\"},
        // UTF-8 names: no byte of a multi-byte character is a separator.
        {"Z:\\\xd0\xb4\xd0\xb0\\\xe7\xab\x99.asc", "\xe7\xab\x99.asc", "\xe7\xab\x99",
         "Z:\\\xd0\xb4\xd0\xb0\\"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FileNameFromPath(c.path, false), c.name) << c.path;
        EXPECT_EQ(FileNameFromPath(c.path, true), c.stem) << c.path;
        EXPECT_EQ(DirectoryFromPath(c.path), c.directory) << c.path;
    }
}

TEST(PathHelpers, ProgramDirectoryHoldsThisTest) {
    std::string dir = GetProgramDirectory();
    ASSERT_GE(dir.size(), 3u);
    EXPECT_EQ(dir.back(), '\\');
    EXPECT_EQ(dir.substr(1, 2), ":\\");
}
#endif

}  // namespace
}  // namespace delvaro
