// Searches for doubles whose sine, cosine or arctangent lies very close to
// the midpoint between two doubles: the arguments that the fast paths must
// hand to the slow ones. Random arguments are screened with the fast
// double-double approximations, and the close ones measured with MPFR at
// 300 bits. Prints the closest found per function, as C++ table rows with
// the distance to the midpoint in units in the last place. Run by hand:
//   build/bin/elementary_hard_cases [SAMPLES_PER_FUNCTION] [SEED]
#include <mpfr.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "engine/elementary.h"

namespace {

using delvaro::elementary_internal::DoubleDouble;
using MpfrFunction = int (*)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);

// Distance of the exact f(x) from the nearest midpoint between doubles, in
// units in the last place of the rounded result.
double MidpointDistance(MpfrFunction f, double x) {
    mpfr_t v, r, d;
    mpfr_inits2(300, v, r, d, static_cast<mpfr_ptr>(nullptr));
    mpfr_set_d(v, x, MPFR_RNDN);
    f(v, v, MPFR_RNDN);
    const double rounded = mpfr_get_d(v, MPFR_RNDN);
    mpfr_set_d(r, rounded, MPFR_RNDN);
    mpfr_sub(d, v, r, MPFR_RNDN);  // exact value - rounded, within half an ulp
    int exponent = 0;
    std::frexp(rounded, &exponent);
    mpfr_mul_2si(d, d, 53 - exponent, MPFR_RNDN);  // in ulps
    const double distance = 0.5 - std::fabs(mpfr_get_d(d, MPFR_RNDN));
    mpfr_clears(v, r, d, static_cast<mpfr_ptr>(nullptr));
    return distance;
}

// The same distance from the fast approximation, good to about 2^-12 ulp.
double EstimatedDistance(DoubleDouble v) {
    const double rounded = v.hi + v.lo;
    int exponent = 0;
    std::frexp(rounded, &exponent);
    return 0.5 - std::fabs(std::ldexp((v.hi - rounded) + v.lo, 53 - exponent));
}

struct Found {
    double x, distance;
};

template <class Draw>
void Search(const char* name, DoubleDouble (*fast)(double), MpfrFunction f, long samples, Draw draw,
            std::mt19937_64& random) {
    std::vector<Found> found;
    for (long i = 0; i < samples; ++i) {
        const double x = draw(random);
        if (EstimatedDistance(fast(x)) > 0x1p-10) continue;
        found.push_back({x, MidpointDistance(f, x)});
        std::sort(found.begin(), found.end(),
                  [](const Found& a, const Found& b) { return a.distance < b.distance; });
        if (found.size() > 12) found.pop_back();
    }
    std::printf("// %s: %ld samples\n", name, samples);
    for (const Found& c : found) std::printf("    {%a},  // %.3g ulp\n", c.x, c.distance);
}

}  // namespace

int main(int argc, char** argv) {
    const long samples = argc > 1 ? std::atol(argv[1]) : 100000000;
    std::mt19937_64 random(argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1);
    // Angles: uniform over [-4, 4] half the time, otherwise of every size
    // from 2^-26 up.
    auto angle = [](std::mt19937_64& r) {
        std::uniform_real_distribution<double> uniform(-4, 4), exponent(-26, 2);
        if (r() & 1) return uniform(r);
        const double x = std::ldexp(1 + std::uniform_real_distribution<double>(0, 1)(r),
                                    static_cast<int>(exponent(r)));
        return (r() & 1) ? -x : x;
    };
    auto slope = [](std::mt19937_64& r) {
        std::uniform_real_distribution<double> mantissa(1, 2), exponent(-27, 54);
        const double x = std::ldexp(mantissa(r), static_cast<int>(std::floor(exponent(r))));
        return (r() & 1) ? -x : x;
    };
    using namespace delvaro::elementary_internal;
    Search("sine", FastSine, mpfr_sin, samples, angle, random);
    Search("cosine", FastCosine, mpfr_cos, samples, angle, random);
    Search("arctangent", FastArcTangent, mpfr_atan, samples, slope, random);
    return 0;
}
