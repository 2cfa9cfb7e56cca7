#include "engine/geodesy.h"

#include <cassert>
#include <cmath>
#include <cstdint>

#include "engine/elementary.h"

namespace delvaro {

namespace {
constexpr double kPi = 3.141592653589793;
constexpr double kHalfPi = 1.5707963267948966;
constexpr double kDegreesPerRadian = 57.29577951308232;
// About a ten-millionth of an arc second.
constexpr double kLatitudeTolerance = 4.848e-13;
}  // namespace

// Rounded correctly, so that every platform gives the same bits: the
// latitude loop's stopping point and far stations' printed digits depend on
// the last bit of these.
double Cosine(double x) { return CosineRoundedToNearest(x); }
double Sine(double x) { return SineRoundedToNearest(x); }
double ArcTangent(double x) { return ArcTangentRoundedToNearest(x); }
double Absolute(double x) { return std::fabs(x); }
double SquareRoot(double x) { return std::sqrt(x); }
double Square(double x) { return x * x; }

double IntegerPart(double x) {
    // Inside the 32-bit range this is the integer conversion itself; outside
    // it (never reached by angles) truncation keeps the result defined.
    if (x > -2147483649.0 && x < 2147483648.0) return static_cast<double>(static_cast<int32_t>(x));
    return std::trunc(x);
}

double FractionalPart(double x) { return x - IntegerPart(x); }

double QuadrantAngle(double x, double y) {
    double r = x == 0 ? kHalfPi : Absolute(ArcTangent(y / x));
    if (y > 0) {
        if (x > 0) return r;
        if (x == 0) return kHalfPi;
        return kPi - r;
    }
    if (y == 0) {
        if (x > 0) return 0;
        if (x == 0) return -kHalfPi;
        return -kPi;
    }
    if (x > 0) return -r;
    if (x == 0) return -kHalfPi;
    return r - kPi;
}

void EcefToGeodetic(double a, double e2, double x, double y, double z, double& latitude,
                    double& longitude, double& height) {
    double p = SquareRoot(Square(x) + Square(y));  // distance from the polar axis
    double phi = QuadrantAngle(p, z);
    double n = 0;
    // Fixed-point iteration on the latitude. Near the surface it settles in
    // a few passes; deep inside the Earth it can cycle, hence the cap.
    for (int pass = 0; pass < kMaxLatitudePasses; ++pass) {
        // One sine serves both uses: the same argument gives the same value.
        double s = Sine(phi);
        n = a / SquareRoot(1 - (s * s) * e2);  // prime-vertical radius at phi
        double t = (s * n) * e2 + z;
        double next = QuadrantAngle(p, t);
        double change = Absolute(phi - next);
        phi = next;
        if (!(change > kLatitudeTolerance)) break;  // a NaN change ends it too
    }
    latitude = phi;
    longitude = QuadrantAngle(x, y);
    if (x == 0 && y == 0) {
        // On the axis both height forms multiply zero by 1/cos(+-pi/2); the
        // height there is the distance past the pole, b = a * sqrt(1 - e2).
        height = Absolute(z) - a * SquareRoot(1 - e2);
    } else if (Absolute(y) > Absolute(x)) {
        height = ((1 / Sine(longitude)) * (1 / Cosine(latitude))) * y - n;
    } else {
        height = ((1 / Cosine(longitude)) * (1 / Cosine(latitude))) * x - n;
    }
}

double RadiansToPackedDms(double angle) {
    double d = angle * kDegreesPerRadian;
    double m = FractionalPart(d) * 60.0;
    // Seconds / 10000 plus minutes / 100. Nothing is rounded or carried, so
    // seconds a hair below 60 stay in their minute.
    return IntegerPart(d) + (FractionalPart(m) * 0.006 + IntegerPart(m) * 0.01);
}

double Wgs84SemiMinorAxis() {
    const double a = kWgs84A;
    const double f = kWgs84InverseFlattening;
    return (a * f - a) / f;
}

namespace {

// Rounds the integer value `v` to `bits` significant bits, ties to even;
// `scale` receives the power of two that the result is to be multiplied by.
uint64_t RoundToBits(uint64_t v, int bits, bool sticky, int& scale) {
    int width = 64;
    while (width > 0 && (v >> (width - 1)) == 0) --width;
    scale = 0;
    if (width <= bits) return v;
    int drop = width - bits;
    uint64_t kept = v >> drop;
    uint64_t rest = v & ((uint64_t{1} << drop) - 1);
    uint64_t half = uint64_t{1} << (drop - 1);
    if (rest > half || (rest == half && (sticky || (kept & 1) != 0))) ++kept;
    scale = drop;
    return kept;
}

}  // namespace

double Wgs84EccentricitySquared() {
    const double a = kWgs84A;
    const double b = Wgs84SemiMinorAxis();
    // e2 = 1 - (b*b)/(a*a), with b*b and a*a rounded to double, the quotient
    // rounded to a 64-bit significand, the difference formed exactly and
    // rounded to double once: the x87 extended-precision result, reproduced
    // in integers so that every platform and compiler gives the same bits.
    // Both squares are integers here: a is, and b*b is far above 2^53.
    int exponent = 0;
    const double fraction = std::frexp(b * b, &exponent);
    const uint64_t numerator = static_cast<uint64_t>(std::ldexp(fraction, 53));
    const uint64_t denominator = static_cast<uint64_t>(a * a);
    // Long division: quotient bits until the quotient has 64 of them, then
    // one guard bit, and the remainder as sticky bit, to round to 64 bits.
    uint64_t q64 = numerator / denominator;
    uint64_t remainder = numerator % denominator;
    int quotientScale = exponent - 53;
    auto nextBit = [&]() {
        remainder <<= 1;  // stays below 2^47: the denominator is below 2^46
        --quotientScale;
        if (remainder < denominator) return uint64_t{0};
        remainder -= denominator;
        return uint64_t{1};
    };
    while ((q64 >> 63) == 0) q64 = (q64 << 1) | nextBit();
    const uint64_t guard = nextBit();
    ++quotientScale;  // the guard bit is not part of the quotient
    if (guard != 0 && (remainder != 0 || (q64 & 1) != 0)) ++q64;
    // The quotient lies in [1/2, 1): q64 * 2^-64, so 1 - q = (2^64 - q64) * 2^-64.
    assert(quotientScale == -64 && q64 != 0);
    const uint64_t difference = uint64_t{0} - q64;
    int scale = 0;
    const uint64_t rounded = RoundToBits(difference, 53, false, scale);
    return std::ldexp(static_cast<double>(rounded), scale + quotientScale);
}

}  // namespace delvaro
