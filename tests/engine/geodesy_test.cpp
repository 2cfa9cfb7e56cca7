#include "engine/geodesy.h"

#include <gtest/gtest.h>

#ifdef DELVARO_HAVE_GEOGRAPHICLIB
#include <GeographicLib/Geocentric.hpp>
#endif
#include <charconv>
#include <cmath>
#include <random>
#include <string>

namespace delvaro {
namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kA = 6378137.0;
constexpr double kE2 = 0.0066943799901413165;

std::string Fixed(double value, int decimals) {
    char buffer[64];
    auto r =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return std::string(buffer, r.ptr);
}

TEST(Wgs84, SemiMinorAxisAndEccentricityToTheLastBit) {
    EXPECT_EQ(Wgs84SemiMinorAxis(), 6356752.314245179);
    // The quotient carried in extended precision; in plain double it would
    // be 0.00669437999014133.
    EXPECT_EQ(Wgs84EccentricitySquared(), 0.0066943799901413165);
}

TEST(QuadrantAngle, SignsOfBothArguments) {
    struct Case {
        double x, y, expected;
    } cases[] = {
        {1, 1, kPi / 4}, {-1, 1, 3 * kPi / 4}, {-1, -1, -3 * kPi / 4}, {1, -1, -kPi / 4}, {1, 0, 0},
        {0, 1, kPi / 2}, {0, -1, -kPi / 2},    {-1, 0, -kPi},          {0, 0, -kPi / 2},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(QuadrantAngle(c.x, c.y), c.expected) << c.x << "," << c.y;
    EXPECT_EQ(QuadrantAngle(-1, 0), -3.141592653589793);  // never +pi on the negative axis
}

TEST(IntegerAndFractionalPart, TruncateTowardZero) {
    EXPECT_EQ(IntegerPart(-2.75), -2.0);
    EXPECT_EQ(FractionalPart(-2.75), -0.75);
    EXPECT_EQ(IntegerPart(2.75), 2.0);
    EXPECT_EQ(FractionalPart(2.75), 0.75);
    // Outside the 32-bit range the result stays defined.
    EXPECT_EQ(IntegerPart(1e12 + 0.5), 1e12);
}

TEST(EcefToGeodetic, SurveyPointToTheLastBit) {
    double lat, lon, h;
    EcefToGeodetic(kA, kE2, 4361564.4935, 556408.2668, 4605581.9993, lat, lon, h);
    EXPECT_EQ(lat, 0.8119271680274728);
    EXPECT_EQ(lon, 0.12688543662446955);
    EXPECT_EQ(Fixed(h, 5), "511.99996");
    EXPECT_EQ(Fixed(RadiansToPackedDms(lat), 10), "46.3112000000");
    EXPECT_EQ(Fixed(RadiansToPackedDms(lon), 10), "7.1612000001");
}

TEST(EcefToGeodetic, EquatorAndAxes) {
    struct Case {
        double x, y, z;
        double lat, lon;
        const char* packedLon;
    } cases[] = {
        {kA, 0, 0, 0, 0, "0.0000000000"},
        {0, kA, 0, 0, kPi / 2, "90.0000000000"},
        {0, -kA, 0, 0, -kPi / 2, "-90.0000000000"},
        {-kA, 0, 0, 0, -kPi, "-180.0000000000"},
    };
    for (const Case& c : cases) {
        double lat, lon, h;
        EcefToGeodetic(kA, kE2, c.x, c.y, c.z, lat, lon, h);
        EXPECT_EQ(lat, c.lat);
        EXPECT_EQ(lon, c.lon);
        EXPECT_NEAR(h, 0, 1e-8) << c.x << "," << c.y;
        EXPECT_EQ(Fixed(RadiansToPackedDms(lat), 10), "0.0000000000");  // no minus sign
        EXPECT_EQ(Fixed(RadiansToPackedDms(lon), 10), c.packedLon);
    }
}

TEST(EcefToGeodetic, PolarAxisGivesTheHeightAbovePole) {
    const double b = 6356752.314245179;
    struct Case {
        double z, lat, height;
    } cases[] = {
        {b, kPi / 2, 0},
        {b + 1000, kPi / 2, 1000},
        {-b - 250.5, -kPi / 2, 250.5},
        {b - 20000, kPi / 2, -20000},
    };
    for (const Case& c : cases) {
        double lat, lon, h;
        EcefToGeodetic(kA, kE2, 0, 0, c.z, lat, lon, h);
        EXPECT_EQ(lat, c.lat);
        EXPECT_EQ(lon, -kPi / 2);
        EXPECT_NEAR(h, c.height, 1e-6) << c.z;
        EXPECT_EQ(h, std::fabs(c.z) - kA * std::sqrt(1 - kE2));
    }
}

TEST(EcefToGeodetic, StopsNearTheCentreWhereTheIterationCycles) {
    // This point never converges; the pass limit ends it with finite values.
    double lat, lon, h;
    EcefToGeodetic(kA, kE2, 42697.67, 0, -0.000001, lat, lon, h);
    EXPECT_TRUE(std::isfinite(lat));
    EXPECT_TRUE(std::isfinite(h));
    EXPECT_EQ(lon, 0);
}

TEST(RadiansToPackedDms, NothingIsCarriedOrRounded) {
    // 1.15 degrees: 1 degree, 8 minutes and (a hair below) 60 seconds.
    EXPECT_EQ(RadiansToPackedDms(0.020071286397934786), 1.0859999999999999);
    EXPECT_EQ(Fixed(RadiansToPackedDms(0.020071286397934786), 10), "1.0860000000");
    EXPECT_EQ(RadiansToPackedDms(-0.020071286397934786), -1.0859999999999999);
    EXPECT_EQ(RadiansToPackedDms(-0.5890486225480862), -33.45);
    EXPECT_EQ(Fixed(RadiansToPackedDms(-0.5890486225480862), 10), "-33.4500000000");
    EXPECT_FALSE(std::signbit(RadiansToPackedDms(0.0)));
    EXPECT_FALSE(std::signbit(RadiansToPackedDms(-0.0)));
}

#ifdef DELVARO_HAVE_GEOGRAPHICLIB
// An outside check against an independent geodesy library: points from
// 500 m below to 20 km above the ellipsoid, all over the globe.
TEST(EcefToGeodetic, AgreesWithGeographicLibToATenthOfAMillimetre) {
    const GeographicLib::Geocentric& wgs84 = GeographicLib::Geocentric::WGS84();
    std::mt19937_64 random(20261211);
    std::uniform_real_distribution<double> latitudes(-90, 90), longitudes(-180, 180),
        heights(-500, 20000);
    for (int i = 0; i < 5000; ++i) {
        double x, y, z;
        wgs84.Forward(latitudes(random), longitudes(random), heights(random), x, y, z);
        double refLat, refLon, refH;
        wgs84.Reverse(x, y, z, refLat, refLon, refH);
        double lat, lon, h;
        EcefToGeodetic(kA, kE2, x, y, z, lat, lon, h);
        const double degrees = 180 / kPi;
        const double northError = std::fabs(lat * degrees - refLat) / degrees * kA;
        double eastDelta = std::fabs(lon * degrees - refLon);
        if (eastDelta > 180) eastDelta = 360 - eastDelta;
        const double eastError = eastDelta / degrees * kA * std::cos(refLat / degrees);
        ASSERT_LT(northError, 1e-4) << x << " " << y << " " << z;
        ASSERT_LT(eastError, 1e-4) << x << " " << y << " " << z;
        ASSERT_LT(std::fabs(h - refH), 1e-4) << x << " " << y << " " << z;
    }
}
#endif

}  // namespace
}  // namespace delvaro
