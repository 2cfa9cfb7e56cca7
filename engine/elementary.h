// Sine, cosine and arctangent rounded correctly to nearest: the double
// nearest the exact value, so every platform and compiler gives the same
// bits. Only IEEE-754 double operations and integer arithmetic are used.
#pragma once

namespace delvaro {

// Correctly rounded for every double; NaN and the infinities give NaN.
double SineRoundedToNearest(double x);
double CosineRoundedToNearest(double x);
// Correctly rounded for every double; +-infinity give +-pi/2 rounded, the
// sign of zero is kept and NaN stays NaN.
double ArcTangentRoundedToNearest(double x);

// The fast approximations behind the routines above, exposed so that tests
// can hold them to their stated error bounds: value = hi + lo, and
// |hi + lo - f(x)| <= bound * |hi| for every argument the fast path takes.
namespace elementary_internal {

struct DoubleDouble {
    double hi, lo;
};

constexpr double kSinCosFastBound = 0x1p-66;
constexpr double kArcTangentFastBound = 0x1p-68;

// For 2^-27 <= |x| <= 4.
DoubleDouble FastSine(double x);
DoubleDouble FastCosine(double x);
// For 2^-27 <= |x| < 2^54.
DoubleDouble FastArcTangent(double x);

// The slow paths alone: exact to far more bits than a double holds, then
// rounded; for the same arguments as the fast paths (sine and cosine for
// every finite |x| >= 2^-27).
double AccurateSine(double x);
double AccurateCosine(double x);
double AccurateArcTangent(double x);

}  // namespace elementary_internal
}  // namespace delvaro
