// Sine, Cosine and ArcTangent against MPFR: every result bit for bit the
// double nearest the exact value (53 bits, round to nearest, the double
// exponent range with subnormals), over random arguments, special ones, and
// arguments whose exact result lies very close to a rounding boundary.
#include <gtest/gtest.h>
#include <mpfr.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "engine/elementary.h"
#include "engine/geodesy.h"

namespace delvaro {
namespace {

using elementary_internal::DoubleDouble;
using MpfrFunction = int (*)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);

// The double MPFR gives for f(x): exact value rounded to 53 bits, then to
// the subnormal grid where it is that small.
double Mpfr(MpfrFunction f, double x) {
    mpfr_set_emin(-1073);  // 2^-1074 = 0.1b * 2^-1073
    mpfr_set_emax(1024);
    mpfr_t v;
    mpfr_init2(v, 53);
    mpfr_set_d(v, x, MPFR_RNDN);
    const int inexact = f(v, v, MPFR_RNDN);
    mpfr_subnormalize(v, inexact, MPFR_RNDN);
    const double result = mpfr_get_d(v, MPFR_RNDN);
    mpfr_clear(v);
    mpfr_set_emin(mpfr_get_emin_min());
    mpfr_set_emax(mpfr_get_emax_max());
    return result;
}

uint64_t Bits(double x) {
    uint64_t bits = 0;
    std::memcpy(&bits, &x, sizeof bits);
    return bits;
}

double FromBits(uint64_t bits) {
    double x = 0;
    std::memcpy(&x, &bits, sizeof x);
    return x;
}

struct Routine {
    const char* name;
    double (*ours)(double);
    MpfrFunction mpfr;
};
const Routine kSine = {"Sine", SineRoundedToNearest, mpfr_sin};
const Routine kCosine = {"Cosine", CosineRoundedToNearest, mpfr_cos};
const Routine kArcTangent = {"ArcTangent", ArcTangentRoundedToNearest, mpfr_atan};

// Counts and reports (the first few) arguments where the routine and MPFR
// differ in any bit; NaN matches NaN.
class Comparison {
  public:
    explicit Comparison(const Routine& routine) : routine_(routine) {}
    void Check(double x) {
        const double ours = routine_.ours(x);
        const double expected = Mpfr(routine_.mpfr, x);
        if (std::isnan(ours) && std::isnan(expected)) return;
        if (Bits(ours) == Bits(expected)) return;
        if (++failures_ <= 10)
            ADD_FAILURE() << routine_.name << "(" << std::hexfloat << x << ") = " << ours
                          << ", MPFR: " << expected;
    }
    ~Comparison() { EXPECT_EQ(failures_, 0) << routine_.name; }

  private:
    const Routine& routine_;
    long failures_ = 0;
};

// Angles: uniform over [-4, 4], and of every size from 2^-30 up to 4.
double RandomAngle(std::mt19937_64& random) {
    if (random() % 5 < 3) return std::uniform_real_distribution<double>(-4, 4)(random);
    const double magnitude = std::exp2(std::uniform_real_distribution<double>(-30, 2)(random));
    return (random() & 1) != 0 ? -magnitude : magnitude;
}

// Arctangent arguments: of every exponent (subnormals included), near the
// interval the engine uses most, and raw bit patterns (infinities, NaN).
double RandomSlope(std::mt19937_64& random) {
    switch (random() % 4) {
        case 0:
            return std::uniform_real_distribution<double>(-4, 4)(random);
        case 1:
            return FromBits(random());
        default: {
            const int exponent = static_cast<int>(random() % 2098) - 1074;
            const double magnitude =
                std::ldexp(std::uniform_real_distribution<double>(1, 2)(random), exponent);
            return (random() & 1) != 0 ? -magnitude : magnitude;
        }
    }
}

TEST(CorrectlyRounded, SineAndCosineOfAMillionRandomAnglesEach) {
    std::mt19937_64 random(20261211);
    for (const Routine* routine : {&kSine, &kCosine}) {
        Comparison comparison(*routine);
        for (int i = 0; i < 1000000; ++i) comparison.Check(RandomAngle(random));
    }
}

TEST(CorrectlyRounded, ArcTangentOfAMillionRandomArgumentsOfEverySize) {
    std::mt19937_64 random(20261212);
    Comparison comparison(kArcTangent);
    for (int i = 0; i < 1000000; ++i) comparison.Check(RandomSlope(random));
}

TEST(CorrectlyRounded, SineAndCosineBeyondFourToo) {
    // Not used by the engine, but every finite double still rounds right.
    std::mt19937_64 random(20261213);
    for (const Routine* routine : {&kSine, &kCosine}) {
        Comparison comparison(*routine);
        for (int i = 0; i < 20000; ++i) {
            const double x = FromBits(random() & ~(uint64_t{1} << 62));  // |x| < 2
            const double big = std::ldexp(x, static_cast<int>(random() % 1024));
            if (std::isfinite(big)) comparison.Check(big);
        }
    }
}

TEST(CorrectlyRounded, SpecialArguments) {
    const double pi = 3.141592653589793, halfPi = 1.5707963267948966;
    const double common[] = {
        0.0,
        -0.0,
        4.9e-324,
        -4.9e-324,
        DBL_MIN,
        std::nextafter(DBL_MIN, 0),
        0x1p-27,
        std::nextafter(0x1p-27, 0),
        0x1p-26,
        std::nextafter(0x1p-26, 0),
        -0x1p-26,
        1e-8,
        0.5,
        1.0,
        -1.0,
        std::nextafter(1.0, 0),
        std::nextafter(1.0, 2),
        halfPi,
        -halfPi,
        std::nextafter(halfPi, 0),
        std::nextafter(halfPi, 2),
        pi,
        -pi,
        std::nextafter(pi, 0),
        std::nextafter(pi, 4),
        4.0,
        -4.0,
        std::nextafter(4.0, 5),
        std::nextafter(4.0, 0),
        0x1p54,
        std::nextafter(0x1p54, 0),
        0x1p53,
        1e22,
        0x1.6ac5b262ca1ffp+849,  // very close to a multiple of pi/2
        6381956970095103.0 * 0x1p797,
        DBL_MAX,
        -DBL_MAX,
        INFINITY,
        -INFINITY,
        NAN,
    };
    for (const Routine* routine : {&kSine, &kCosine, &kArcTangent}) {
        Comparison comparison(*routine);
        for (double x : common) comparison.Check(x);
    }
    // The sign of zero is kept; infinities give NaN or +-pi/2 rounded.
    EXPECT_TRUE(std::signbit(SineRoundedToNearest(-0.0)));
    EXPECT_TRUE(std::signbit(ArcTangentRoundedToNearest(-0.0)));
    EXPECT_FALSE(std::signbit(ArcTangentRoundedToNearest(0.0)));
    EXPECT_EQ(CosineRoundedToNearest(-0.0), 1.0);
    EXPECT_TRUE(std::isnan(SineRoundedToNearest(INFINITY)));
    EXPECT_TRUE(std::isnan(CosineRoundedToNearest(-INFINITY)));
    EXPECT_EQ(ArcTangentRoundedToNearest(INFINITY), halfPi);
    EXPECT_EQ(ArcTangentRoundedToNearest(-INFINITY), -halfPi);
    EXPECT_TRUE(std::isnan(ArcTangentRoundedToNearest(NAN)));
}

// Arguments whose exact result lies within a few billionths of an ulp of
// the midpoint between two doubles (the distance after each), the closest
// of 3 * 10^8 random arguments per routine searched with
// tests/engine/tools/elementary_hard_cases: the fast paths cannot decide
// them, so they test the slow paths' results through the public routines.
TEST(CorrectlyRounded, ArgumentsClosestToARoundingBoundary) {
    struct Case {
        const Routine& routine;
        double x;
    };
    const Case cases[] = {
        {kSine, 0x1.e517f86740764p+0},          // 3.7e-10 ulp
        {kSine, -0x1.5488c68d59f7p-2},          // 9.68e-10 ulp
        {kSine, 0x1.5d6cbb2ec16ep-22},          // 1.66e-09 ulp
        {kSine, 0x1.90abdcacb9814p+0},          // 2.42e-09 ulp
        {kSine, 0x1.819d40026f71ap-1},          // 3.27e-09 ulp
        {kSine, -0x1.ed5bebc043b4p+0},          // 4.06e-09 ulp
        {kSine, 0x1.8bcd55281cf6dp-4},          // 7.47e-09 ulp
        {kSine, 0x1.d2c47781b4f1ap-21},         // 8.19e-09 ulp
        {kSine, 0x1.0a94fe88bf802p+1},          // 1.29e-08 ulp
        {kSine, 0x1.ff652684d49e6p-21},         // 1.67e-08 ulp
        {kSine, 0x1.9ac83a9229198p-15},         // 1.77e-08 ulp
        {kSine, 0x1.71f09bbe19e8p-2},           // 1.92e-08 ulp
        {kCosine, 0x1.9a103cb93c7c7p-5},        // 1.19e-09 ulp
        {kCosine, 0x1.c1f914c9cb8p-1},          // 3.15e-09 ulp
        {kCosine, -0x1.74318916c8861p-21},      // 4.83e-09 ulp
        {kCosine, -0x1.ffb4a2e6d2c9ap+1},       // 5.07e-09 ulp
        {kCosine, 0x1.c071619be32e6p+1},        // 5.66e-09 ulp
        {kCosine, -0x1.db8f6ebde768dp+1},       // 8.26e-09 ulp
        {kCosine, -0x1.6a6faae325c9fp-21},      // 9.16e-09 ulp
        {kCosine, -0x1.e5bb80f7a0d35p-21},      // 1.32e-08 ulp
        {kCosine, 0x1.613cf6e217b2p-1},         // 1.32e-08 ulp
        {kCosine, 0x1.8ca62c2cb964ap-14},       // 1.62e-08 ulp
        {kCosine, 0x1.f4ee67cb37c5ap+1},        // 1.92e-08 ulp
        {kCosine, -0x1.5b0a3ebfca62dp-9},       // 2.36e-08 ulp
        {kArcTangent, -0x1.e82aad698ccc6p+20},  // 8.15e-10 ulp
        {kArcTangent, 0x1.edafbdff77f66p-8},    // 1.48e-09 ulp
        {kArcTangent, 0x1.79a13be694ac2p-9},    // 2.07e-09 ulp
        {kArcTangent, -0x1.43aee620c41dfp-16},  // 4.51e-09 ulp
        {kArcTangent, -0x1.cc562acab186cp-19},  // 4.9e-09 ulp
        {kArcTangent, 0x1.70e83d2f3a0ap+50},    // 9.43e-09 ulp
        {kArcTangent, -0x1.2bd400e0b8e58p+11},  // 1.08e-08 ulp
        {kArcTangent, -0x1.b9a3d03e9869ep+1},   // 1.12e-08 ulp
        {kArcTangent, 0x1.402bd8c98c66dp-10},   // 1.27e-08 ulp
        {kArcTangent, -0x1.e36462b2bf0b7p+20},  // 1.46e-08 ulp
        {kArcTangent, -0x1.a1316ad80aac2p+18},  // 1.48e-08 ulp
        {kArcTangent, -0x1.d85b51bb70f3ep-19},  // 1.65e-08 ulp
    };
    // Twice over: the second round gets the results the slow paths
    // remembered, where x and -x share a place in the table.
    for (int round = 0; round < 2; ++round) {
        for (const Case& c : cases) {
            Comparison comparison(c.routine);
            comparison.Check(c.x);
            comparison.Check(-c.x);
        }
    }
}

// The fast approximations stay within the bounds their rounding tests
// assume; a bound that were too tight would let a wrong rounding through
// only rarely, so the approximation itself is held to it, against MPFR at
// 200 bits.
TEST(FastPaths, StayWithinTheirStatedErrorBounds) {
    struct Fast {
        DoubleDouble (*approximate)(double);
        MpfrFunction mpfr;
        double bound;
        bool arcTangent;
    };
    const Fast fasts[] = {
        {elementary_internal::FastSine, mpfr_sin, elementary_internal::kSinCosFastBound, false},
        {elementary_internal::FastCosine, mpfr_cos, elementary_internal::kSinCosFastBound, false},
        {elementary_internal::FastArcTangent, mpfr_atan, elementary_internal::kArcTangentFastBound,
         true},
    };
    std::mt19937_64 random(20261214);
    mpfr_t exact, approximation, error;
    mpfr_inits2(200, exact, approximation, error, static_cast<mpfr_ptr>(nullptr));
    for (const Fast& fast : fasts) {
        double worst = 0;
        for (int i = 0; i < 200000; ++i) {
            double x = 0;
            if (fast.arcTangent) {
                x = std::exp2(std::uniform_real_distribution<double>(-27, 54)(random));
            } else {
                x = RandomAngle(random);
                if (std::fabs(x) < 0x1p-27) continue;
            }
            if ((random() & 1) != 0) x = -x;
            const DoubleDouble v = fast.approximate(x);
            mpfr_set_d(exact, x, MPFR_RNDN);
            fast.mpfr(exact, exact, MPFR_RNDN);
            mpfr_set_d(approximation, v.hi, MPFR_RNDN);
            mpfr_add_d(approximation, approximation, v.lo, MPFR_RNDN);
            mpfr_sub(error, approximation, exact, MPFR_RNDN);
            mpfr_div_d(error, error, std::fabs(v.hi), MPFR_RNDN);
            const double relative = std::fabs(mpfr_get_d(error, MPFR_RNDN));
            if (relative > worst) worst = relative;
            if (relative > fast.bound) {
                ADD_FAILURE() << std::hexfloat << x << ": error " << relative << " > "
                              << fast.bound;
                break;
            }
        }
        RecordProperty(fast.arcTangent ? "worst_arctangent" : "worst_sine_or_cosine",
                       std::log2(worst));
    }
    mpfr_clears(exact, approximation, error, static_cast<mpfr_ptr>(nullptr));
}

// The quick first tries: whatever they decide is the correctly rounded
// result, the arguments closest to a rounding boundary are never decided
// there, and most ordinary arguments are (otherwise the slower paths would
// carry every call).
TEST(QuickPaths, DecideOnlyWhatTheyDecideRight) {
    struct Quick {
        const char* name;
        bool (*decide)(double, double&);
        MpfrFunction mpfr;
        bool arcTangent;
    };
    const Quick quicks[] = {
        {"QuickSine", elementary_internal::QuickSine, mpfr_sin, false},
        {"QuickCosine", elementary_internal::QuickCosine, mpfr_cos, false},
        {"QuickArcTangent", elementary_internal::QuickArcTangent, mpfr_atan, true},
    };
    std::mt19937_64 random(20261216);
    for (const Quick& quick : quicks) {
        long decided = 0, wrong = 0;
        const int count = 200000;
        for (int i = 0; i < count; ++i) {
            // The engine's arguments: angles, and slopes of every angle.
            const double angle = std::uniform_real_distribution<double>(-3, 3)(random);
            double x = quick.arcTangent ? std::tan(angle / 2) : angle;
            double rounded = 0;
            if (std::fabs(x) < 0x1p-27 || !quick.decide(x, rounded)) continue;
            ++decided;
            if (Bits(rounded) != Bits(Mpfr(quick.mpfr, x)) && ++wrong <= 10)
                ADD_FAILURE() << quick.name << "(" << std::hexfloat << x << ") = " << rounded;
        }
        EXPECT_EQ(wrong, 0) << quick.name;
        EXPECT_GT(decided, count * 8 / 10) << quick.name;
    }
    double rounded = 0;
    EXPECT_FALSE(elementary_internal::QuickSine(0x1.e517f86740764p+0, rounded));
    EXPECT_FALSE(elementary_internal::QuickSine(-0x1.5488c68d59f7p-2, rounded));
    EXPECT_FALSE(elementary_internal::QuickCosine(0x1.c1f914c9cb8p-1, rounded));
    EXPECT_FALSE(elementary_internal::QuickArcTangent(-0x1.e82aad698ccc6p+20, rounded));
    EXPECT_FALSE(elementary_internal::QuickArcTangent(0x1.edafbdff77f66p-8, rounded));
}

// The slow paths on their own, over arguments the fast paths would settle
// too: without this, only the rare rejected arguments would reach them.
TEST(SlowPaths, MatchMpfrOnTheirOwn) {
    std::mt19937_64 random(20261215);
    const Routine slow[] = {
        {"AccurateSine", elementary_internal::AccurateSine, mpfr_sin},
        {"AccurateCosine", elementary_internal::AccurateCosine, mpfr_cos},
        {"AccurateArcTangent", elementary_internal::AccurateArcTangent, mpfr_atan},
    };
    for (const Routine& routine : slow) {
        Comparison comparison(routine);
        const bool arcTangent = routine.mpfr == mpfr_atan;
        for (int i = 0; i < 10000; ++i) {
            double x = arcTangent
                           ? std::exp2(std::uniform_real_distribution<double>(-27, 53.99)(random))
                           : std::exp2(std::uniform_real_distribution<double>(-27, 1020)(random));
            if (!arcTangent && i % 2 == 0)
                x = std::uniform_real_distribution<double>(-4, 4)(random);
            if (std::fabs(x) < 0x1p-27) continue;
            comparison.Check((random() & 1) != 0 ? -x : x);
        }
    }
}

// The engine's own names are these routines.
TEST(CorrectlyRounded, GeodesyUsesThem) {
    const double x = 0x1.7b37f1a5ebcdcp+1;
    EXPECT_EQ(Bits(Sine(x)), Bits(Mpfr(mpfr_sin, x)));
    EXPECT_EQ(Bits(Cosine(x)), Bits(Mpfr(mpfr_cos, x)));
    EXPECT_EQ(Bits(ArcTangent(x)), Bits(Mpfr(mpfr_atan, x)));
}

}  // namespace
}  // namespace delvaro
