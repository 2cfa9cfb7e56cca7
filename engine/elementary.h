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

// The paths behind the routines above, exposed so that tests can hold
// each to its claims. The fast approximations: value = hi + lo, and
// |hi + lo - f(x)| <= bound * |hi| for every argument the fast path takes.
namespace elementary_internal {

struct DoubleDouble {
    double hi, lo;
};

constexpr double kSinCosFastBound = 0x1p-66;
constexpr double kArcTangentFastBound = 0x1p-68;

// First tries in plain double with an error bound worked out per
// argument: true, with the correctly rounded result in `rounded`, when that
// bound decides the rounding; false (undecided, or an argument they leave
// to the others) otherwise. For 2^-27 <= |x| <= 4 and 2^-27 <= |x| < 2^54.
bool QuickSine(double x, double& rounded);
bool QuickCosine(double x, double& rounded);
bool QuickArcTangent(double x, double& rounded);

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
