// A very large SKI file, made while it is read and never stored: the test
// writes it into a FIFO, delvaro-cli writes the TREVADEL file to a pipe that
// the test checks as it comes. Every baseline must arrive, byte for byte, and
// the converter's peak memory must not grow with the file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <thread>

#include "tests/faults/fault_support.h"

namespace delvaro::faults {
namespace {

constexpr char kHeader[] = "@%Unit: M\r\n@%Coordinate type: Cartesian\r\n";
constexpr char kBaseline[] =
    "@+PT100          4361564.4935 556408.2668 4605581.9993\r\n"
    "@-PT200          589.2084 1622.6942 -782.4466\r\n"
    "@= 1.0 0.0000012 -0.00000034 0.00000056 0.0000021 -0.00000045 0.0000033\r\n"
    "@* OBS 17\r\n";

struct StreamResult {
    int exitStatus = -1;
    std::string standardError;
    long maxRssKb = 0;
    uint64_t outputBytes = 0;
    bool outputMatches = false;
};

// Streams a file of `baselines` copies of kBaseline through delvaro-cli.
// `expectedHeader` and `expectedBlock` are what the output must repeat.
StreamResult StreamThrough(uint64_t baselines, const std::string& expectedHeader,
                           const std::string& expectedBlock) {
    TempDir dir;
    const std::string fifo = dir / "stream.asc";
    EXPECT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    // Held open for writing before the child starts, so it never meets an
    // end of file before the last byte.
    const int writer = open(fifo.c_str(), O_RDWR | O_CLOEXEC);
    int output[2];
    EXPECT_EQ(pipe2(output, O_CLOEXEC), 0);

    CliProcess cli({"-q", "-o", "-", fifo}, CliOptions{.stdoutFd = output[1]});
    close(output[1]);

    std::thread generator([&] {
        std::string chunk;
        const uint64_t perChunk = (1 << 20) / (sizeof kBaseline - 1);
        for (uint64_t i = 0; i < perChunk; ++i) chunk += kBaseline;
        auto put = [&](const char* data, size_t size) {
            while (size > 0) {
                ssize_t n = write(writer, data, size);
                if (n <= 0) return false;
                data += n;
                size -= static_cast<size_t>(n);
            }
            return true;
        };
        bool ok = put(kHeader, sizeof kHeader - 1);
        for (uint64_t done = 0; ok && done < baselines; done += perChunk) {
            const uint64_t count = std::min(perChunk, baselines - done);
            ok = put(chunk.data(), count * (sizeof kBaseline - 1));
        }
        close(writer);
    });

    StreamResult result;
    // Checked as it arrives: the header once, then the same block again and
    // again, and nothing after the last one.
    const std::string expected = expectedHeader;
    const uint64_t total = expectedHeader.size() + baselines * expectedBlock.size();
    bool matches = true;
    std::vector<char> buffer(1 << 20);
    ssize_t n;
    while ((n = read(output[0], buffer.data(), buffer.size())) > 0) {
        for (ssize_t i = 0; i < n && matches;) {
            const uint64_t at = result.outputBytes + static_cast<uint64_t>(i);
            if (at >= total) {
                matches = false;
                break;
            }
            const std::string& part = at < expected.size() ? expected : expectedBlock;
            const uint64_t offset =
                at < expected.size() ? at : (at - expected.size()) % expectedBlock.size();
            const size_t length = std::min<uint64_t>(part.size() - offset, n - i);
            matches = std::memcmp(buffer.data() + i, part.data() + offset, length) == 0;
            i += static_cast<ssize_t>(length);
        }
        result.outputBytes += static_cast<uint64_t>(n);
    }
    close(output[0]);
    generator.join();
    cli.Wait(1800);
    result.outputMatches = matches && result.outputBytes == total;
    result.exitStatus = cli.exitStatus;
    result.standardError = cli.standardError;
    result.maxRssKb = cli.maxRssKb;
    return result;
}

TEST(Stream, AVeryLargeFileConvertsWithFlatMemory) {
    // The output of one file of one baseline gives the header and the block.
    TempDir dir;
    WriteFile(dir / "stream.asc", std::string(kHeader) + kBaseline);
    const std::string one = EngineOutput({dir / "stream.asc"});
    const std::string header = one.substr(0, one.find("$GEO_COMPACT"));
    const std::string block = one.substr(header.size());

    const uint64_t bytes = uint64_t{DELVARO_STREAM_MIB} << 20;
    const uint64_t baselines = bytes / (sizeof kBaseline - 1) + 1;
    const StreamResult small = StreamThrough(20000, header, block);
    ASSERT_EQ(small.exitStatus, 0) << small.standardError;
    ASSERT_TRUE(small.outputMatches);

    const StreamResult large = StreamThrough(baselines, header, block);
    EXPECT_EQ(large.exitStatus, 0);
    EXPECT_EQ(large.standardError, "");
    EXPECT_TRUE(large.outputMatches) << large.outputBytes << " bytes of output";
    // The same working set for 3.7 MB and for gigabytes: a few pages of slack.
    EXPECT_LE(large.maxRssKb, small.maxRssKb + 1024)
        << "peak memory " << small.maxRssKb << " KiB for 20,000 baselines, " << large.maxRssKb
        << " KiB for " << baselines;
    std::printf("%llu MiB streamed, %llu baselines; peak memory %ld KiB (%ld KiB for 20,000)\n",
                static_cast<unsigned long long>(DELVARO_STREAM_MIB),
                static_cast<unsigned long long>(baselines), large.maxRssKb, small.maxRssKb);
}

}  // namespace
}  // namespace delvaro::faults
