// Prints the constants and tables of engine/elementary.cpp, computed with
// MPFR at 2200 bits and rounded to nearest: each table entry is a pair
// (hi, lo) with hi the double nearest the value and lo the double nearest
// what remains. Run by hand after changing a table's size:
//   build/bin/elementary_constants
#include <mpfr.h>

#include <cstdio>

namespace {

constexpr mpfr_prec_t kPrecision = 2200;

// Rounds `value` to `bits` significant bits (to nearest) and subtracts that
// part from it, returning the part.
double TakeBits(mpfr_t value, int bits) {
    mpfr_t part;
    mpfr_init2(part, bits);
    mpfr_set(part, value, MPFR_RNDN);
    const double d = mpfr_get_d(part, MPFR_RNDN);
    mpfr_sub(value, value, part, MPFR_RNDN);
    mpfr_clear(part);
    return d;
}

void PrintPair(mpfr_t value) {
    mpfr_t rest;
    mpfr_init2(rest, kPrecision);
    mpfr_set(rest, value, MPFR_RNDN);
    const double hi = TakeBits(rest, 53);
    const double lo = TakeBits(rest, 53);
    std::printf("    {%a, %a},\n", hi, lo);
    mpfr_clear(rest);
}

// Prints the first `count` 32-bit limbs of the fraction of `value`
// (truncated), most significant first, eight to a line.
void PrintLimbs(const mpfr_t value, int count) {
    mpfr_t rest;
    mpfr_init2(rest, kPrecision);
    mpfr_frac(rest, value, MPFR_RNDZ);
    for (int i = 0; i < count; ++i) {
        mpfr_mul_2ui(rest, rest, 32, MPFR_RNDN);
        const unsigned long limb = mpfr_get_ui(rest, MPFR_RNDZ);
        mpfr_sub_ui(rest, rest, limb, MPFR_RNDN);
        std::printf("%s0x%08lx,%s", i % 8 == 0 ? "    " : " ", limb, i % 8 == 7 ? "\n" : "");
    }
    if (count % 8 != 0) std::printf("\n");
    mpfr_clear(rest);
}

}  // namespace

int main() {
    mpfr_t pi, v;
    mpfr_inits2(kPrecision, pi, v, static_cast<mpfr_ptr>(nullptr));
    mpfr_const_pi(pi, MPFR_RNDN);

    // pi/256 in three parts: the first two with 44 bits each, so that their
    // products with any |j| < 512 are exact, the third a full double.
    mpfr_div_ui(v, pi, 256, MPFR_RNDN);
    const double c1 = TakeBits(v, 44);
    const double c2 = TakeBits(v, 44);
    const double c3 = TakeBits(v, 53);
    std::printf("pi/256 = %a + %a + %a, rest %.3e\n", c1, c2, c3, mpfr_get_d(v, MPFR_RNDN));
    mpfr_ui_div(v, 256, pi, MPFR_RNDN);
    std::printf("256/pi = %a\n", mpfr_get_d(v, MPFR_RNDN));
    std::printf("pi/2 = ");
    mpfr_div_ui(v, pi, 2, MPFR_RNDN);
    PrintPair(v);

    std::printf("sin(m pi/256), m = 0..128:\n");
    for (int m = 0; m <= 128; ++m) {
        mpfr_mul_ui(v, pi, m, MPFR_RNDN);
        mpfr_div_ui(v, v, 256, MPFR_RNDN);
        mpfr_sin(v, v, MPFR_RNDN);
        PrintPair(v);
    }
    std::printf("sin(j/64) and cos(j/64), j = 0..192:\n");
    for (int j = 0; j <= 192; ++j) {
        mpfr_t c;
        mpfr_init2(c, kPrecision);
        mpfr_set_ui(v, j, MPFR_RNDN);
        mpfr_div_ui(v, v, 64, MPFR_RNDN);
        mpfr_sin_cos(v, c, v, MPFR_RNDN);
        mpfr_t rest;
        mpfr_init2(rest, kPrecision);
        mpfr_set(rest, v, MPFR_RNDN);
        const double sh = TakeBits(rest, 53), sl = TakeBits(rest, 53);
        mpfr_set(rest, c, MPFR_RNDN);
        const double ch = TakeBits(rest, 53), cl = TakeBits(rest, 53);
        std::printf("    {{%a, %a}, {%a, %a}},\n", sh, sl, ch, cl);
        mpfr_clears(c, rest, static_cast<mpfr_ptr>(nullptr));
    }
    std::printf("atan(j/256), j = 0..256:\n");
    for (int j = 0; j <= 256; ++j) {
        mpfr_set_ui(v, j, MPFR_RNDN);
        mpfr_div_ui(v, v, 256, MPFR_RNDN);
        mpfr_atan(v, v, MPFR_RNDN);
        PrintPair(v);
    }

    // The long constants of the accurate paths, as fraction limbs.
    std::printf("2/pi, 56 limbs:\n");
    mpfr_ui_div(v, 2, pi, MPFR_RNDN);
    PrintLimbs(v, 56);
    std::printf("pi/2, 24 limbs after the integer 1:\n");
    mpfr_div_ui(v, pi, 2, MPFR_RNDN);
    PrintLimbs(v, 24);
    for (int k = 1; k <= 8; ++k) {
        std::printf("atan(%d/8), 24 limbs:\n", k);
        mpfr_set_ui(v, k, MPFR_RNDN);
        mpfr_div_ui(v, v, 8, MPFR_RNDN);
        mpfr_atan(v, v, MPFR_RNDN);
        PrintLimbs(v, 24);
    }
    mpfr_clears(pi, v, static_cast<mpfr_ptr>(nullptr));
    return 0;
}
