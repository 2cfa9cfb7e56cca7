// Where reading stops when the output refuses a write part way through a
// file: the status, the line number, the count of baselines and the bytes
// that reached the output must be those of a reader that writes each
// baseline the moment it is complete, and stops at the first failure.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/geodesy.h"
#include "engine/ski_reader.h"
#include "support/temp_dir.h"

#ifdef __GLIBC__

namespace delvaro {
namespace {

// An output that takes `limit` bytes and refuses the rest.
struct LimitedSink {
    std::string bytes;
    size_t limit;
};

ssize_t WriteToSink(void* cookie, const char* data, size_t size) {
    auto* sink = static_cast<LimitedSink*>(cookie);
    const size_t room = sink->limit - sink->bytes.size();
    if (room == 0) {
        errno = ENOSPC;
        return -1;
    }
    const size_t taken = size < room ? size : room;
    sink->bytes.append(data, taken);
    return static_cast<ssize_t>(taken);
}

struct Outcome {
    Status status;
    int32_t lineNumber;
    int32_t baselineCount;
    std::string bytes;
};

Outcome Convert(const std::string& path, size_t limit) {
    LimitedSink sink{std::string(), limit};
    FILE* out =
        fopencookie(&sink, "w", cookie_io_functions_t{nullptr, WriteToSink, nullptr, nullptr});
    // Unbuffered: every write the writer makes meets the limit at once.
    std::setvbuf(out, nullptr, _IONBF, 0);
    Outcome outcome{-1, -1, 0, std::string()};
    ConvertSkiFile(path.c_str(), out, kWgs84A, Wgs84EccentricitySquared(), 1.0,
                   &outcome.baselineCount, &outcome.lineNumber, &outcome.status);
    std::fclose(out);
    outcome.bytes = sink.bytes;
    return outcome;
}

// K baselines of four lines each (from, to, covariance, description) after
// the two header lines; descriptions of varying length. With
// `badLastDescription` the last description record has one word: 5013 on
// the file's last line, with the last baseline still pending.
std::string SkiText(int baselines, bool badLastDescription) {
    std::string text = "@%Unit: m\n@%Coordinate type: Cartesian\n";
    for (int j = 0; j < baselines; ++j) {
        text += "@+FROM" + std::to_string(j) + std::string(11 - std::to_string(j).size(), ' ') +
                std::to_string(4361564.4935 + j * 10.25) + " 556408.2668 4605581.9993\n";
        text += "@-TO" + std::to_string(j) + std::string(13 - std::to_string(j).size(), ' ') +
                "589.2084 1622.6942 -782.4466\n";
        text += "@= 1.0 0.0000012 -0.00000034 0.00000056 0.0000021 -0.00000045 0.0000033\n";
        if (badLastDescription && j == baselines - 1)
            text += "@* lonely\n";
        else
            text += "@* OBS " + std::string(static_cast<size_t>(j % 7 + 1), 'x') + "\n";
    }
    return text;
}

TEST(ConvertSkiFile, StopsAtTheFirstWriteTheOutputRefuses) {
    // Enough baselines for the writing to be handed to a second thread and
    // for the reader to run well ahead of it.
    constexpr int kBaselines = 600;
    for (bool badLastDescription : {false, true}) {
        // A folder of its own: other test runs may share the temporary folder.
        test::TempDir dir;
        const std::filesystem::path path =
            dir.Write(badLastDescription ? "refused_b.asc" : "refused_a.asc",
                      SkiText(kBaselines, badLastDescription));
        const Status endStatus = badLastDescription ? IDS_ERR_TOO_FEW_FIELDS : kStatusOk;
        const int32_t lines = 2 + 4 * kBaselines;
        // The last read: the end of the file, or the faulty last line.
        const int32_t lastLine = badLastDescription ? lines : lines + 1;

        const Outcome full = Convert(path.string(), SIZE_MAX);
        ASSERT_EQ(full.status, endStatus);
        ASSERT_EQ(full.lineNumber, lastLine);
        ASSERT_EQ(full.baselineCount, kBaselines);
        // Where the header and each baseline's three blocks end.
        const size_t headerEnd = full.bytes.find("$GEO_COMPACT");
        std::vector<size_t> ends;
        for (size_t at = full.bytes.find("$GPS_COMPACT"); at != std::string::npos;
             at = full.bytes.find("$GPS_COMPACT", at + 1))
            ends.push_back(full.bytes.find("\r\n\r\n", at) + 4);
        ASSERT_EQ(ends.size(), static_cast<size_t>(kBaselines));
        ASSERT_EQ(ends.back(), full.bytes.size());

        std::vector<size_t> limits = {0, 1, headerEnd - 1, headerEnd, headerEnd + 1};
        for (size_t j = 0; j < ends.size(); ++j) {
            // Every boundary among the first and the last hundred, every
            // thirteenth one between them.
            if (j >= 100 && j + 100 < ends.size() && j % 13 != 0) continue;
            const size_t end = ends[j];
            limits.insert(limits.end(), {end - 100, end - 1, end, end + 1});
        }
        for (size_t limit : limits) {
            const Outcome outcome = Convert(path.string(), limit);
            EXPECT_EQ(outcome.bytes, full.bytes.substr(0, limit)) << "limit " << limit;
            if (limit >= full.bytes.size()) {
                EXPECT_EQ(outcome.status, endStatus);
                EXPECT_EQ(outcome.lineNumber, lastLine);
                EXPECT_EQ(outcome.baselineCount, kBaselines);
                continue;
            }
            EXPECT_EQ(outcome.status, IDS_ERR_WRITE) << "limit " << limit;
            if (limit < headerEnd) {
                // The units header, written after the unit record on line 1.
                EXPECT_EQ(outcome.lineNumber, 1) << "limit " << limit;
                EXPECT_EQ(outcome.baselineCount, 0) << "limit " << limit;
                continue;
            }
            // Baseline j is the first that does not fit. It is written when
            // the next from record is read (line 3 + 4 (j + 1)), the last
            // one at the end of the records.
            int j = 0;
            while (ends[static_cast<size_t>(j)] <= limit) ++j;
            const int32_t expectedLine = j + 1 < kBaselines ? 3 + 4 * (j + 1) : lastLine;
            EXPECT_EQ(outcome.lineNumber, expectedLine) << "limit " << limit;
            EXPECT_EQ(outcome.baselineCount, j + 1) << "limit " << limit;
        }
    }
}

}  // namespace
}  // namespace delvaro

#endif  // __GLIBC__
