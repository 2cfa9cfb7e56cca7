#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "engine/ski_reader.h"

namespace delvaro {
namespace {

// A temporary file holding `bytes`, positioned at its start.
FILE* FileWith(const std::string& bytes) {
    FILE* file = std::tmpfile();
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::rewind(file);
    return file;
}

// Every read of `bytes` with the reader's limit of 252 characters.
std::vector<std::string> ReadAll(const std::string& bytes, int maxChars = 252) {
    FILE* file = FileWith(bytes);
    SkiInput input(file);
    std::vector<std::string> reads;
    std::vector<char> buffer(maxChars + 1);
    while (int length = input.ReadLine(buffer.data(), maxChars)) {
        EXPECT_EQ(std::string(buffer.data()).size(), static_cast<size_t>(length));
        reads.emplace_back(buffer.data(), length);
    }
    EXPECT_TRUE(input.AtEnd());
    std::fclose(file);
    return reads;
}

// What a Windows text-mode fgets delivers, one byte at a time: CR LF is a
// line feed that takes one place, any other CR is an ordinary character; a
// NUL is read as a blank.
std::vector<std::string> ReferenceReads(const std::string& bytes, int maxChars) {
    std::vector<std::string> reads;
    size_t i = 0;
    while (i < bytes.size()) {
        std::string line;
        while (static_cast<int>(line.size()) < maxChars && i < bytes.size()) {
            char c = bytes[i++];
            if (c == '\r' && i < bytes.size() && bytes[i] == '\n') c = bytes[i++];
            if (c == '\0') c = ' ';
            line += c;
            if (c == '\n') break;
        }
        reads.push_back(line);
    }
    return reads;
}

TEST(SkiInput, ReadsLinesAsATextModeStream) {
    const std::string s252(252, 'x');
    struct Case {
        std::string bytes;
        std::vector<std::string> reads;
    };
    const Case cases[] = {
        {"", {}},
        {"a\nb\n", {"a\n", "b\n"}},
        {"a\r\nb\r\n", {"a\n", "b\n"}},
        {"last", {"last"}},
        {"a\rb\r\n", {"a\rb\n"}},
        {"a\r", {"a\r"}},
        {"\r\r\n", {"\r\n"}},
        {std::string("a\0b\n", 4), {"a b\n"}},
        {"\n\n", {"\n", "\n"}},
        // 300 characters: a read of 252, then one of the remaining 48.
        {std::string(300, 'y') + "\n", {std::string(252, 'y'), std::string(48, 'y') + "\n"}},
        // 251 characters and CR LF fit one read; 252 and CR LF do not.
        {std::string(251, 'x') + "\r\n", {std::string(251, 'x') + "\n"}},
        {s252 + "\r\n", {s252, "\n"}},
    };
    for (const Case& c : cases) EXPECT_EQ(ReadAll(c.bytes), c.reads) << c.bytes.size() << " bytes";
}

// Random text over the bytes that matter, long enough to cross several
// read blocks (CR LF pairs split at a block end included), at several limits.
TEST(SkiInput, MatchesTheByteByByteReadingOverRandomText) {
    std::mt19937 random(3);
    const char alphabet[] = {'a', 'b', ' ', '\t', '\r', '\n', '\0', '\x80', '!'};
    for (int round = 0; round < 6; ++round) {
        std::string bytes(200000 + random() % 1000, ' ');
        for (char& c : bytes) c = alphabet[random() % sizeof alphabet];
        // Long lines now and then, so that the limit is met too.
        for (int i = 0; i < 50; ++i)
            bytes.replace(random() % bytes.size(), 0, std::string(random() % 600, 'z'));
        for (int maxChars : {1, 2, 17, 252})
            ASSERT_EQ(ReadAll(bytes, maxChars), ReferenceReads(bytes, maxChars))
                << "round " << round << ", limit " << maxChars;
    }
    // A CR LF pair split exactly at the end of a 64 KiB read block.
    const std::string split = std::string(65535, 'c') + "\r\n" + "tail\n";
    EXPECT_EQ(ReadAll(split, 1 << 20), ReferenceReads(split, 1 << 20));
}

}  // namespace
}  // namespace delvaro
