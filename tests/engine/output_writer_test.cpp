#include "engine/output_writer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/temp_dir.h"

namespace delvaro {
namespace {

constexpr EllipsoidParams kWgs84{6378137.0, 0.0066943799901413165};

Baseline SurveyBaseline() {
    Baseline b;
    std::snprintf(b.stationNames[0], sizeof b.stationNames[0], "PT100");
    std::snprintf(b.stationNames[1], sizeof b.stationNames[1], "PT200");
    const double xyz[2][3] = {{4361564.4935, 556408.2668, 4605581.9993},
                              {4362153.7019, 558030.961, 4604799.5527}};
    for (int s = 0; s < 2; ++s)
        for (int i = 0; i < 3; ++i) b.stationXyz[s][i] = xyz[s][i];
    const double vector[3] = {589.2084, 1622.6942, -782.4466};
    for (int i = 0; i < 3; ++i) b.vector[i] = vector[i];
    const double cov[6] = {0.0000012, -0.00000034, 0.00000056, 0.0000021, -0.00000045, 0.0000033};
    for (int i = 0; i < 6; ++i) b.covariance[i] = cov[i];
    b.description = "OBS 17";
    return b;
}

// Runs `write` against a fresh file and returns the bytes it holds.
template <typename Write>
std::string Written(Write write) {
    test::TempDir dir;
    std::string path = dir.Path("out.txt");
    FILE* out = std::fopen(path.c_str(), "wb");
    write(out);
    std::fclose(out);
    return test::ReadFileBytes(path);
}

TEST(OutputWriter, UnitsHeaderAndOneBaselineByteForByte) {
    const std::string expected =
        "\r\n$UNITS\r\nM\r\nD\r\n1\r\n\r\n$NETTYP\r\n3\r\n\r\n"
        "$GEO_COMPACT; PT100; 46.3112000000; 0.0000001; 7.1612000001; 0.0000001; 511.99996; "
        "0.0000001; 0.00000; 0.0000001; 511.99996; 0.0000001; 0.0000; 0.0000; 0.0000; 0.0000\r\n"
        "$STA_DESC; PT100; site1.asc\r\n\r\n"
        "$GEO_COMPACT; PT200; 46.3036000001; 0.0000001; 7.1724000001; 0.0000001; 488.00001; "
        "0.0000001; 0.00000; 0.0000001; 488.00001; 0.0000001; 0.0000; 0.0000; 0.0000; 0.0000\r\n"
        "$STA_DESC; PT200; site1.asc\r\n\r\n"
        "$OBS_DESC; OBS 17\r\n"
        "$GPS_COMPACT; PT100; PT200; 589.20840; 1622.69420; -782.44660; 0.000001200000; "
        "-0.000000340000; 0.000002100000; 0.000000560000; -0.000000450000; 0.000003300000\r\n"
        "\r\n";
    Status headerStatus = -1, status = 0;
    std::string bytes = Written([&](FILE* out) {
        WriteUnitsHeader(out, &headerStatus);
        WriteBaseline(SurveyBaseline(), kWgs84, "site1.asc", out, &status);
    });
    EXPECT_EQ(headerStatus, 0);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(bytes.size(), 615u);
    EXPECT_EQ(bytes, expected);
}

TEST(OutputWriter, TextsAreWrittenUnchangedAndEmptyDescriptionEndsInBlank) {
    std::string bytes = Written([&](FILE* out) {
        Status status = 0;
        const double v[3] = {0, 0, 0}, cov[6] = {-4e-13, 4e-13, 0, 0, 0, 0};
        WriteGpsObservation("A; B", "C D", v, cov, "", out, &status);
    });
    EXPECT_EQ(bytes,
              "$OBS_DESC; \r\n$GPS_COMPACT; A; B; C D; 0.00000; 0.00000; 0.00000; "
              "-0.000000000000; 0.000000000000; 0.000000000000; 0.000000000000; "
              "0.000000000000; 0.000000000000\r\n\r\n");
}

TEST(OutputWriter, SouthWestAndBelowTheEllipsoidCarryAMinusSign) {
    std::string bytes = Written([&](FILE* out) {
        Status status = 0;
        const double heights[3] = {-12.345678, 0.0, -12.345678}, trailing[4] = {0, 0, 0, 0};
        WriteStationRecord("S1", -0.5890486225480862, -0.020071286397934786, heights, trailing,
                           "x.asc", out, &status);
    });
    EXPECT_EQ(bytes,
              "$GEO_COMPACT; S1; -33.4500000000; 0.0000001; -1.0860000000; 0.0000001; -12.34568; "
              "0.0000001; 0.00000; 0.0000001; -12.34568; 0.0000001; 0.0000; 0.0000; 0.0000; "
              "0.0000\r\n$STA_DESC; S1; x.asc\r\n\r\n");
}

TEST(OutputWriter, FailedWritesGive5020AndKeepEarlierFaults) {
    // A stream that cannot be written: every write sets its error indicator.
    FILE* out = std::fopen("/dev/null", "rb");
    ASSERT_NE(out, nullptr);
    Status status = 0;
    WriteUnitsHeader(out, &status);
    EXPECT_EQ(status, IDS_ERR_WRITE);
    status = IDS_ERR_BAD_BASELINE;
    WriteBaseline(SurveyBaseline(), kWgs84, "a.asc", out, &status);
    EXPECT_EQ(status, IDS_ERR_WRITE);
    std::fclose(out);

    // A good write leaves an earlier fault in place.
    std::string bytes = Written([&](FILE* good) {
        status = IDS_ERR_BAD_BASELINE;
        WriteBaseline(SurveyBaseline(), kWgs84, "a.asc", good, &status);
    });
    EXPECT_EQ(status, IDS_ERR_BAD_BASELINE);
    EXPECT_FALSE(bytes.empty());
}

TEST(OutputWriter, FullDeviceGives5020) {
    FILE* out = std::fopen("/dev/full", "wb");
    if (out == nullptr) GTEST_SKIP() << "no /dev/full";
    std::setvbuf(out, nullptr, _IONBF, 0);
    Status status = 0;
    WriteUnitsHeader(out, &status);
    EXPECT_EQ(status, IDS_ERR_WRITE);
    std::fclose(out);
}

}  // namespace
}  // namespace delvaro
