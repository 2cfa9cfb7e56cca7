#include "engine/elementary.h"

#include <bit>
#include <cassert>
#include <cmath>
#include <cstdint>

// Each routine tries up to three evaluations, each with a proven bound on
// its error: when the interval of that width around the value holds no
// rounding boundary, both its ends round to the same double, and that
// double is the correctly rounded result. The quick one sums the leading
// terms in plain double and works out its bound for the argument at hand;
// the fast one evaluates in double-double arithmetic (a value carried as an
// unevaluated sum hi + lo of two doubles) with a fixed relative bound; the
// slow one computes in fixed point with hundreds of bits, for the rare
// arguments whose result lies too close to a rounding boundary.
//
// Every operation is a basic IEEE-754 double operation (rounded to nearest,
// never fused: the project builds with -ffp-contract=off) or an integer
// operation, so every conforming compiler and platform gives the same bits.
// Products are made exact by Dekker's splitting rather than by an fma.

namespace delvaro {
namespace elementary_internal {
namespace {

// The building blocks below are inlined wherever they are used: a call
// would cost as much as the few operations inside.
#if defined(__GNUC__)
#define DELVARO_INLINE inline __attribute__((always_inline))
#else
#define DELVARO_INLINE inline
#endif

// Double-double building blocks (Knuth, Dekker). u = 2^-53 below is the
// unit roundoff of a double.

// a + b = s + e exactly, for any a and b.
DELVARO_INLINE DoubleDouble TwoSum(double a, double b) {
    const double s = a + b;
    const double bb = s - a;
    return {s, (a - (s - bb)) + (b - bb)};
}

// a + b = s + e exactly, when |a| >= |b| or a = 0.
DELVARO_INLINE DoubleDouble FastTwoSum(double a, double b) {
    const double s = a + b;
    return {s, b - (s - a)};
}

// a = hi + lo exactly with each part of at most 26 significant bits; the
// factor 2^27 + 1 splits a double's 53 bits. No overflow below 2^996.
DELVARO_INLINE void Split(double a, double& hi, double& lo) {
    const double c = 134217729.0 * a;
    hi = c - (c - a);
    lo = a - hi;
}

// a * b = p + e exactly (no underflow or overflow in this file's ranges).
DELVARO_INLINE DoubleDouble TwoProduct(double a, double b) {
    const double p = a * b;
    double ah, al, bh, bl;
    Split(a, ah, al);
    Split(b, bh, bl);
    return {p, ((ah * bh - p) + ah * bl + al * bh) + al * bl};
}

// TwoProduct for a first factor of at most 26 significant bits, which is
// its own high part (the low part is zero): the same exact result with
// half the work.
DELVARO_INLINE DoubleDouble TwoProductOfShort(double shortFactor, double b) {
    const double p = shortFactor * b;
    double bh, bl;
    Split(b, bh, bl);
    return {p, (shortFactor * bh - p) + shortFactor * bl};
}

// Adding 1.5 * 2^52 to a double below 2^51 in magnitude rounds it to an
// integer (ties to even); subtracting it again leaves that integer.
constexpr double kRoundToInteger = 0x1.8p52;

// pi/256 = kC1 + kC2 + kC3 + delta with |delta| < 1.4e-46: kC1 and kC2 have
// 44 significant bits each, so their products with an integer below 2^9 in
// magnitude are exact. Printed by tests/engine/tools/elementary_constants
// from MPFR's pi (each part the rounding of what the previous left).
constexpr double kPiOver256Part1 = 0x1.921fb54442ep-7;
constexpr double kPiOver256Part2 = -0x1.cf72cece676p-52;
constexpr double kPiOver256Part3 = 0x1.701b839a25205p-99;
// 256/pi rounded to nearest.
constexpr double k256OverPi = 0x1.45f306dc9c883p+6;
// pi/2 = kHalfPiHi + kHalfPiLo + delta, |delta| < 2^-108.
constexpr double kHalfPiHi = 0x1.921fb54442d18p+0;
constexpr double kHalfPiLo = 0x1.1a62633145c07p-54;

// The tables below and the limbs of the slow path were printed by
// tests/engine/tools/elementary_constants from MPFR values at 2200 bits:
// each pair is (hi, lo) with hi the double nearest the value and lo the
// double nearest the remainder, so |hi + lo - value| <= 2^-106 |value|.

// sin(m pi/256) for m = 0..128.
constexpr DoubleDouble kSinTable[129] = {
    {0x0p+0, 0x0p+0},
    {0x1.921d1fcdec784p-7, 0x1.9878ebe836d9dp-61},
    {0x1.92155f7a3667ep-6, -0x1.b1d63091a013p-64},
    {0x1.2d865759455cdp-5, 0x1.686f65ba93acp-61},
    {0x1.91f65f10dd814p-5, -0x1.912bd0d569a9p-61},
    {0x1.f656e79f820ep-5, -0x1.2e1ebe392bffep-61},
    {0x1.2d52092ce19f6p-4, -0x1.9a088a8bf6b2cp-59},
    {0x1.5f6d00a9aa419p-4, -0x1.f4022d03f6c9ap-59},
    {0x1.917a6bc29b42cp-4, -0x1.e2718d26ed688p-60},
    {0x1.c3785c79ec2d5p-4, -0x1.4f39df133fb21p-61},
    {0x1.f564e56a9730ep-4, 0x1.a2704729ae56dp-59},
    {0x1.139f0cedaf577p-3, -0x1.523434d1b3cfap-57},
    {0x1.2c8106e8e613ap-3, 0x1.13000a89a11ep-58},
    {0x1.45576b1293e5ap-3, -0x1.285a24119f7b1p-58},
    {0x1.5e214448b3fc6p-3, 0x1.531ff779ddac6p-57},
    {0x1.76dd9de50bf31p-3, 0x1.1d5eeec501b2fp-57},
    {0x1.8f8b83c69a60bp-3, -0x1.26d19b9ff8d82p-57},
    {0x1.a82a025b00451p-3, -0x1.87905ffd084adp-57},
    {0x1.c0b826a7e4f63p-3, -0x1.af1439e521935p-62},
    {0x1.d934fe5454311p-3, 0x1.75b92277107adp-57},
    {0x1.f19f97b215f1bp-3, -0x1.42deef11da2c4p-57},
    {0x1.04fb80e37fdaep-2, -0x1.412cdb72583ccp-63},
    {0x1.111d262b1f677p-2, 0x1.824c20ab7aa9ap-56},
    {0x1.1d3443f4cdb3ep-2, -0x1.720d41c13519ep-57},
    {0x1.294062ed59f06p-2, -0x1.5d28da2c4612dp-56},
    {0x1.35410c2e18152p-2, -0x1.3cb002f96e062p-56},
    {0x1.4135c94176601p-2, 0x1.0c97c4afa2518p-56},
    {0x1.4d1e24278e76ap-2, 0x1.2417218792858p-57},
    {0x1.58f9a75ab1fddp-2, -0x1.efdc0d58cf62p-62},
    {0x1.64c7ddd3f27c6p-2, 0x1.10d2b4a664121p-58},
    {0x1.7088530fa459fp-2, -0x1.44b19e0864c5dp-56},
    {0x1.7c3a9311dcce7p-2, 0x1.9a3f21ef3e8d9p-62},
    {0x1.87de2a6aea963p-2, -0x1.72cedd3d5a61p-57},
    {0x1.9372a63bc93d7p-2, 0x1.684319e5ad5b1p-57},
    {0x1.9ef7943a8ed8ap-2, 0x1.6da81290bdbabp-57},
    {0x1.aa6c82b6d3fcap-2, -0x1.d5f106ee5ccf7p-56},
    {0x1.b5d1009e15ccp-2, 0x1.5b362cb974183p-57},
    {0x1.c1249d8011ee7p-2, -0x1.813aabb515206p-56},
    {0x1.cc66e9931c45ep-2, 0x1.6850e59c37f8fp-58},
    {0x1.d79775b86e389p-2, 0x1.550ec87bc0575p-56},
    {0x1.e2b5d3806f63bp-2, 0x1.e0d891d3c6841p-58},
    {0x1.edc1952ef78d6p-2, -0x1.dd0f7c33edee6p-56},
    {0x1.f8ba4dbf89abap-2, -0x1.2ec1fc1b776b8p-60},
    {0x1.01cfc874c3eb7p-1, -0x1.34a35e7c2368cp-56},
    {0x1.073879922ffeep-1, -0x1.a5a014347406cp-55},
    {0x1.0c9704d5d898fp-1, -0x1.8d3d7de6ee9b2p-55},
    {0x1.11eb3541b4b23p-1, -0x1.ef23b69abe4f1p-55},
    {0x1.1734d63dedb49p-1, -0x1.7eef2ccc50575p-55},
    {0x1.1c73b39ae68c8p-1, 0x1.b25dd267f66p-55},
    {0x1.21a799933eb59p-1, -0x1.3a7b177c68fb2p-55},
    {0x1.26d054cdd12dfp-1, -0x1.5da743ef3770cp-55},
    {0x1.2bedb25faf3eap-1, -0x1.14981c796ee46p-58},
    {0x1.30ff7fce17035p-1, -0x1.efcc626f74a6fp-57},
    {0x1.36058b10659f3p-1, -0x1.1fcb3a35857e7p-55},
    {0x1.3affa292050b9p-1, 0x1.e3e25e3954964p-56},
    {0x1.3fed9534556d4p-1, 0x1.36916608c5061p-55},
    {0x1.44cf325091dd6p-1, 0x1.8076a2cfdc6b3p-57},
    {0x1.49a449b9b0939p-1, -0x1.27ee16d719b94p-55},
    {0x1.4e6cabbe3e5e9p-1, 0x1.3c293edceb327p-57},
    {0x1.5328292a35596p-1, -0x1.a12eb89da0257p-56},
    {0x1.57d69348cecap-1, -0x1.75720992bfbb2p-55},
    {0x1.5c77bbe65018cp-1, 0x1.069ea9c0bc32ap-55},
    {0x1.610b7551d2cdfp-1, -0x1.251b352ff2a37p-56},
    {0x1.6591925f0783dp-1, 0x1.c3d64fbf5de23p-55},
    {0x1.6a09e667f3bcdp-1, -0x1.bdd3413b26456p-55},
    {0x1.6e74454eaa8afp-1, -0x1.dbc03c84e226ep-55},
    {0x1.72d0837efff96p-1, 0x1.0d4ef0f1d915cp-55},
    {0x1.771e75f037261p-1, 0x1.5cfce8d84068fp-56},
    {0x1.7b5df226aafafp-1, -0x1.0f537acdf0ad7p-56},
    {0x1.7f8ece3571771p-1, -0x1.9c8d8ce93c917p-55},
    {0x1.83b0e0bff976ep-1, -0x1.6f420f8ea3475p-56},
    {0x1.87c400fba2ebfp-1, -0x1.2dabc0c3f64cdp-55},
    {0x1.8bc806b151741p-1, -0x1.2c5e12ed1336dp-55},
    {0x1.8fbcca3ef940dp-1, -0x1.6dfa99c86f2f1p-57},
    {0x1.93a22499263fbp-1, 0x1.3d419a920df0bp-55},
    {0x1.9777ef4c7d742p-1, -0x1.15479a240665ep-55},
    {0x1.9b3e047f38741p-1, -0x1.30ee286712474p-55},
    {0x1.9ef43ef29af94p-1, 0x1.b1dfcb60445c2p-56},
    {0x1.a29a7a0462782p-1, -0x1.128bb015df175p-56},
    {0x1.a63091b02fae2p-1, -0x1.e911152248d1p-56},
    {0x1.a9b66290ea1a3p-1, 0x1.9f630e8b6dac8p-60},
    {0x1.ad2bc9e21d511p-1, -0x1.47fbe07bea548p-55},
    {0x1.b090a581502p-1, -0x1.926da300ffccep-55},
    {0x1.b3e4d3ef55712p-1, -0x1.eb6b8bf11a493p-55},
    {0x1.b728345196e3ep-1, -0x1.bc69f324e6d61p-55},
    {0x1.ba5aa673590d2p-1, 0x1.7ea4e370753b6p-55},
    {0x1.bd7c0ac6f952ap-1, -0x1.825a732ac700ap-55},
    {0x1.c08c426725549p-1, 0x1.b157fd80e2946p-58},
    {0x1.c38b2f180bdb1p-1, -0x1.6e0b1757c8d07p-56},
    {0x1.c678b3488739bp-1, 0x1.d86cac7c5ff5bp-57},
    {0x1.c954b213411f5p-1, -0x1.2fb761e946603p-58},
    {0x1.cc1f0f3fcfc5cp-1, 0x1.e57613b68f6abp-56},
    {0x1.ced7af43cc773p-1, -0x1.e7b6bb5ab58aep-58},
    {0x1.d17e7743e35dcp-1, -0x1.101da3540130ap-58},
    {0x1.d4134d14dc93ap-1, -0x1.4ef5295d25af2p-55},
    {0x1.d696173c9e68bp-1, -0x1.e8c61c6393d55p-56},
    {0x1.d906bcf328d46p-1, 0x1.457e610231ac2p-56},
    {0x1.db6526238a09bp-1, -0x1.adee7eae6946p-56},
    {0x1.ddb13b6ccc23cp-1, 0x1.83c37c6107db3p-55},
    {0x1.dfeae622dbe2bp-1, -0x1.514ea88425567p-55},
    {0x1.e212104f686e5p-1, -0x1.014c76c126527p-55},
    {0x1.e426a4b2bc17ep-1, 0x1.a873889744882p-55},
    {0x1.e6288ec48e112p-1, -0x1.16b56f2847754p-57},
    {0x1.e817bab4cd10dp-1, -0x1.d0afe686b5e0ap-56},
    {0x1.e9f4156c62ddap-1, 0x1.760b1e2e3f81ep-55},
    {0x1.ebbd8c8df0b74p-1, 0x1.c6c8c615e7277p-56},
    {0x1.ed740e7684963p-1, 0x1.e82c791f59cc2p-56},
    {0x1.ef178a3e473c2p-1, 0x1.6310a67fe774fp-55},
    {0x1.f0a7efb9230d7p-1, 0x1.52c7adc6b4989p-56},
    {0x1.f2252f7763adap-1, -0x1.20cb81c8d94abp-55},
    {0x1.f38f3ac64e589p-1, -0x1.d7bafb51f72e6p-56},
    {0x1.f4e603b0b2f2dp-1, -0x1.8ee01e695ac05p-56},
    {0x1.f6297cff75cbp-1, 0x1.562172a361fd3p-56},
    {0x1.f7599a3a12077p-1, 0x1.84f31d743195cp-55},
    {0x1.f8764fa714ba9p-1, 0x1.ab256778ffcb6p-56},
    {0x1.f97f924c9099bp-1, -0x1.e2ae0eea5963bp-55},
    {0x1.fa7557f08a517p-1, -0x1.7a0a8ca13571fp-55},
    {0x1.fb5797195d741p-1, 0x1.1bfac7397cc08p-56},
    {0x1.fc26470e19fd3p-1, 0x1.1ec8668ecaceep-55},
    {0x1.fce15fd6da67bp-1, -0x1.5dd6f830d4c09p-56},
    {0x1.fd88da3d12526p-1, -0x1.87df6378811c7p-55},
    {0x1.fe1cafcbd5b09p-1, 0x1.a23e3202a884ep-57},
    {0x1.fe9cdad01883ap-1, 0x1.521ecd0c67e35p-57},
    {0x1.ff095658e71adp-1, 0x1.01a8ce18a4b9ep-55},
    {0x1.ff621e3796d7ep-1, -0x1.c57bc2e24aa15p-57},
    {0x1.ffa72effef75dp-1, -0x1.8b4cdcdb25956p-55},
    {0x1.ffd886084cd0dp-1, -0x1.1354d4556e4cbp-55},
    {0x1.fff62169b92dbp-1, 0x1.5dda3c81fbd0dp-55},
    {0x1p+0, 0x0p+0},
};

// sin(j/64) and cos(j/64) for j = 0..192.
struct SineAndCosine {
    DoubleDouble sine, cosine;
};
constexpr SineAndCosine kSinCosSixtyFourths[193] = {
    {{0x0p+0, 0x0p+0}, {0x1p+0, 0x0p+0}},
    {{0x1.fffaaaaeeeed5p-7, -0x1.2ab639a9f0776p-63}, {0x1.fff000155549fp-1, 0x1.28a28a03a5ef3p-55}},
    {{0x1.ffeaaaeeee86fp-6, -0x1.cd406fb224ae2p-60},
     {0x1.ffc00155527d3p-1, -0x1.3b54492d89b5bp-55}},
    {{0x1.7fdc01032fba9p-5, -0x1.599bdf46e997ap-59},
     {0x1.ff7006bfdf99fp-1, -0x1.8b3b560648d5fp-56}},
    {{0x1.ffaaaeeed4edbp-5, -0x1.2d16d32684b69p-59}, {0x1.ff0015549f4d3p-1, 0x1.328387b99426fp-55}},
    {{0x1.3facb12d1755bp-4, -0x1.921915299468bp-58},
     {0x1.fe7034129ef6fp-1, -0x1.cbf4337c96f97p-57}},
    {{0x1.7f701032550e4p-4, 0x1.afc2d1800501ap-60}, {0x1.fdc06bf7e6b9bp-1, 0x1.31902b535f8dbp-55}},
    {{0x1.bf1b78568391dp-4, 0x1.e91841dea4cc8p-58}, {0x1.fcf0c800e99b1p-1, 0x1.ea3d786d186acp-57}},
    {{0x1.feaaeee86ee36p-4, -0x1.afcb2bcc6f03bp-59}, {0x1.fc015527d5bd3p-1, 0x1.b68f35094efb8p-55}},
    {{0x1.1f0d3d7afceafp-3, -0x1.6ef95099769a5p-57},
     {0x1.faf22263c4bd3p-1, -0x1.52ace133a2769p-58}},
    {{0x1.3eb312c5d66cbp-3, 0x1.47d666b66cb91p-57}, {0x1.f9c340a7cc428p-1, 0x1.c5b6b063b7462p-55}},
    {{0x1.5e44fcfa126f3p-3, -0x1.6f443063f89b6p-57},
     {0x1.f874c2e1eecf6p-1, -0x1.c6514e1332b16p-55}},
    {{0x1.7dc102fbaf2b5p-3, 0x1.5ab50e23c97c3p-59}, {0x1.f706bdf9ece1cp-1, -0x1.698c80c36dcb4p-55}},
    {{0x1.9d252d0cec312p-3, 0x1.9c43d80b1137dp-58}, {0x1.f57948cff6797p-1, 0x1.e3a0d3e03b1d4p-57}},
    {{0x1.bc6f84edc6199p-3, 0x1.9c1a56a7b0cabp-57}, {0x1.f3cc7c3b3d16ep-1, -0x1.21a3ad28a3494p-57}},
    {{0x1.db9e15fb5a5dp-3, -0x1.32e20d6cc6fc2p-57}, {0x1.f20073086649fp-1, 0x1.b940416c1984bp-56}},
    {{0x1.faaeed4f31577p-3, -0x1.15d88508e32b8p-57}, {0x1.f01549f7deea1p-1, 0x1.d3c1e99e5cafdp-55}},
    {{0x1.0cd00cef36436p-2, -0x1.9fb0a0c93e2b4p-56},
     {0x1.ee0b1fbc0f11cp-1, -0x1.bfd2380bbc3b1p-59}},
    {{0x1.1c37d64c6b876p-2, 0x1.46076fe0dcff4p-56}, {0x1.ebe214f76efa8p-1, -0x1.02f9f12ba543ep-55}},
    {{0x1.2b8ddc43eb49fp-2, 0x1.1553899f2d807p-57}, {0x1.e99a4c3a7cd83p-1, -0x1.2264b1bc53ce8p-55}},
    {{0x1.3ad129769d3d8p-2, 0x1.03d550487839ap-63}, {0x1.e733ea0193d4p-1, -0x1.6428b3546ce13p-55}},
    {{0x1.4a00c9b0f3d2p-2, 0x1.823ba6bb08eadp-56}, {0x1.e4af14b2a449cp-1, -0x1.68ca02e8a6833p-55}},
    {{0x1.591bc9fa2f597p-2, 0x1.7c74bac3fe0cbp-57}, {0x1.e20bf49acd6c1p-1, -0x1.660aec7ef636bp-58}},
    {{0x1.682138a38d7f7p-2, -0x1.d889202444aadp-56},
     {0x1.df4ab3ebd875ep-1, -0x1.e2d8a7e6736c4p-55}},
    {{0x1.7710255764214p-2, -0x1.6ead7314bb6cep-57}, {0x1.dc6b7eb995912p-1, 0x1.4b364776dcd35p-58}},
    {{0x1.85e7a12826949p-2, 0x1.8a40e9b5facep-56}, {0x1.d96e82f71a9dcp-1, 0x1.ff61bd5d2039dp-55}},
    {{0x1.94a6be9f546c5p-2, -0x1.69ce13e683f58p-56}, {0x1.d653f073e404p-1, -0x1.76236434bec37p-55}},
    {{0x1.a34c91cc50ccap-2, -0x1.a310e3b50cecdp-58}, {0x1.d31bf8d8d7c06p-1, 0x1.e60dd3089cbddp-56}},
    {{0x1.b1d8305321617p-2, -0x1.ae242cb99f519p-56}, {0x1.cfc6cfa52ad9fp-1, 0x1.8b5b5508f2a0dp-55}},
    {{0x1.c048b17b140a3p-2, 0x1.19fe6757e9fa7p-57}, {0x1.cc54aa2b2972ep-1, 0x1.4ee162ba83a98p-57}},
    {{0x1.ce9d2e3d4a51fp-2, -0x1.2fc8a12dae298p-57}, {0x1.c8c5bf8ce1a84p-1, 0x1.ab3d1a1590123p-56}},
    {{0x1.dcd4c15329c9ap-2, 0x1.0d4c6e171fd9ap-56}, {0x1.c51a48b8b175ep-1, -0x1.1bbb43b9aa88p-57}},
    {{0x1.eaee8744b05fp-2, -0x1.789b43c9b027dp-58}, {0x1.c1528065b7d5p-1, -0x1.892111312e828p-55}},
    {{0x1.f8e99e76abc97p-2, 0x1.9d950af2d00a3p-58}, {0x1.bd6ea310294f5p-1, 0x1.31bbcc88c109dp-56}},
    {{0x1.0362939c69955p-1, -0x1.2d8cd78397b01p-55}, {0x1.b96eeef58840ep-1, 0x1.45a3cc78fadep-58}},
    {{0x1.0a4021e9e1001p-1, -0x1.6f643a13914f6p-55}, {0x1.b553a410c104ep-1, 0x1.8ff7947027a15p-58}},
    {{0x1.110d0c4b69c3bp-1, 0x1.d918998809981p-55}, {0x1.b11d04162a4c6p-1, 0x1.1dd561efbc0c2p-56}},
    {{0x1.17c8e5f2eedbp-1, 0x1.35e57102e2488p-57}, {0x1.accb526f69de5p-1, 0x1.8fb6a8dd6b6ccp-55}},
    {{0x1.1e7343236574cp-1, 0x1.22a3fa4f41d5ap-56}, {0x1.a85ed4373e02dp-1, 0x1.9be06385ec792p-57}},
    {{0x1.250bb93788bbbp-1, 0x1.ea3d02457bccep-56}, {0x1.a3d7d0352bdcfp-1, -0x1.68dbaeca19669p-55}},
    {{0x1.2b91dea88421ep-1, -0x1.fa371db216abp-55}, {0x1.9f368ed912f85p-1, -0x1.1d200c5791606p-55}},
    {{0x1.32054b148bc4fp-1, 0x1.f6b42095a135bp-55}, {0x1.9a7b5a36a6514p-1, 0x1.722cfcc9fa7a9p-55}},
    {{0x1.386597456282bp-1, -0x1.10fada93b07a8p-56},
     {0x1.95a67e00cb1fdp-1, -0x1.0befda21f862dp-55}},
    {{0x1.3eb25d36cd53ap-1, -0x1.be570e1570fcp-58}, {0x1.90b84784ddaf7p-1, -0x1.0feb10ab93b87p-56}},
    {{0x1.44eb381cf386bp-1, -0x1.3ed6c1e6a5505p-55}, {0x1.8bb105a5dc9p-1, 0x1.863e03e9474c1p-55}},
    {{0x1.4b0fc46aab761p-1, 0x1.0da05738cc59cp-61}, {0x1.869108d77a6c6p-1, 0x1.338ffe2bfe9ddp-56}},
    {{0x1.511f9fd7b351cp-1, -0x1.5c0e861c48831p-55},
     {0x1.8158a31916d5dp-1, -0x1.de8b90b8228dep-57}},
    {{0x1.571a6966d59b3p-1, 0x1.c843b4d0fb197p-58}, {0x1.7c0827f09e54fp-1, -0x1.c73d6d72aee68p-57}},
    {{0x1.5cffc16bf8f0dp-1, 0x1.96cb370eb578ap-55}, {0x1.769fec655211fp-1, -0x1.827d5cf8c68c5p-57}},
    {{0x1.62cf49921ac79p-1, -0x1.edd9855b6241ap-55}, {0x1.712046fa77678p-1, 0x1.425b0a5029c81p-55}},
    {{0x1.6888a4e134b2fp-1, -0x1.6b7d37644d5e6p-55}, {0x1.6b898fa9efb5dp-1, 0x1.15ac786ccf4b2p-56}},
    {{0x1.6e2b77c40bde1p-1, -0x1.0e729857fad53p-56},
     {0x1.65dc1fdeb8cbap-1, -0x1.97c1b47337c77p-58}},
    {{0x1.73b7680dea578p-1, -0x1.2248306dc12a2p-56}, {0x1.6018526f563dfp-1, 0x1.46ca5e0e432dp-55}},
    {{0x1.792c1d0041d52p-1, -0x1.abf05eeb354ebp-55}, {0x1.5a3e839824077p-1, 0x1.428aa2759be62p-55}},
    {{0x1.7e893f5037959p-1, 0x1.0eefbaa650c4cp-55}, {0x1.544f10f592ca5p-1, -0x1.e7ae8e6c7a62fp-55}},
    {{0x1.83ce792c1906ep-1, -0x1.f3899682b4a7dp-56}, {0x1.4e4a597e4e10ep-1, 0x1.ccd992849f6c8p-56}},
    {{0x1.88fb7640b8da2p-1, -0x1.49987c11efaa3p-55}, {0x1.4830bd7d4ceb3p-1, 0x1.df77ff20d5448p-55}},
    {{0x1.8e0fe3beb42f8p-1, 0x1.324c55de9ed0bp-55}, {0x1.42029e8bcd474p-1, 0x1.995705e2a2526p-55}},
    {{0x1.930b705f9f85ap-1, -0x1.09ae60f413f4p-61}, {0x1.3bc05f8b3a656p-1, 0x1.dab7124aa8c6dp-55}},
    {{0x1.97edcc6b1b193p-1, 0x1.93523ce2c8213p-55}, {0x1.356a649efec9dp-1, -0x1.500caf33eb802p-60}},
    {{0x1.9cb6a9bbce64bp-1, -0x1.4f3e7a32f8d0cp-56}, {0x1.2f011326420e4p-1, 0x1.8e30efe9e96c2p-56}},
    {{0x1.a165bbc44a6f1p-1, -0x1.25d120e45579ap-55},
     {0x1.2884d1b592f81p-1, -0x1.099bbe3a4f76bp-55}},
    {{0x1.a5fab793d29c8p-1, 0x1.7482b1e8e6d85p-55}, {0x1.21f608107e37ap-1, -0x1.0a3f22ad6358p-55}},
    {{0x1.aa7553db0bb41p-1, -0x1.ddb562ca148f2p-56}, {0x1.1b551f2312386p-1, 0x1.a85cdf15867a6p-55}},
    {{0x1.aed548f090ceep-1, 0x1.06374f484e288p-59}, {0x1.14a280fb5068cp-1, -0x1.b71edcc9344bcp-55}},
    {{0x1.b31a50d56de8fp-1, -0x1.4d46c15ba8ea7p-55},
     {0x1.0dde98c28c628p-1, -0x1.b0e8e5bebb55bp-55}},
    {{0x1.b74427397fca2p-1, 0x1.da351af253ee4p-55}, {0x1.0709d2b6b95eep-1, -0x1.71cc4ee678c32p-55}},
    {{0x1.bb52897fb9032p-1, 0x1.953ad2e7b7f06p-55}, {0x1.00249c23a6603p-1, -0x1.9b0cfbef87821p-57}},
    {{0x1.bf4536c24bb85p-1, 0x1.97632053703fp-55}, {0x1.f25ec6b852fc2p-2, 0x1.445cbca9a80a8p-56}},
    {{0x1.c31befd6b7f98p-1, -0x1.767b85f1a5287p-55},
     {0x1.e4552f6675828p-2, -0x1.027885c508dc9p-56}},
    {{0x1.c6d67751be646p-1, 0x1.d163b7b4fe389p-56}, {0x1.d62d52e9fdfa9p-2, 0x1.f6eae4ae67d35p-58}},
    {{0x1.ca74918b36d3dp-1, -0x1.01b062b75945ep-55}, {0x1.c7e813bf862f7p-2, 0x1.909f60366377fp-56}},
    {{0x1.cdf604a1cadcep-1, -0x1.6b50757f2fa4p-56}, {0x1.b9865639d0596p-2, -0x1.931bd06786cb9p-56}},
    {{0x1.d15a987e93dfcp-1, 0x1.7d89c8d349c8p-55}, {0x1.ab09007382047p-2, 0x1.14a41d3d11354p-57}},
    {{0x1.d4a216d89c717p-1, 0x1.d4810b29c8736p-55}, {0x1.9c70fa40c279dp-2, -0x1.6346cef9b5fa7p-58}},
    {{0x1.d7cc4b3844e67p-1, 0x1.3f6e971be3f02p-55}, {0x1.8dbf2d20bd903p-2, 0x1.0ce77f57be8cbp-56}},
    {{0x1.dad902fa8ac87p-1, 0x1.ea5e370875907p-58}, {0x1.7ef4842f0bccdp-2, 0x1.83529407722f1p-56}},
    {{0x1.ddc80d5433024p-1, -0x1.5a6ac4bf29104p-55}, {0x1.7011ec1500bd6p-2, 0x1.21c45557ddc22p-56}},
    {{0x1.e0993b54d68f6p-1, -0x1.f26cc0d6a7cecp-58},
     {0x1.611852fae0769p-2, -0x1.71272938d7ae8p-57}},
    {{0x1.e34c5fe9d17ebp-1, 0x1.f2ef95683b7d1p-61}, {0x1.5208a878fd239p-2, 0x1.c83eff91c5e12p-58}},
    {{0x1.e5e14fe11418cp-1, 0x1.f26492c1c25ap-57}, {0x1.42e3dd88bd952p-2, -0x1.353a9f74bf255p-57}},
    {{0x1.e857e1ebd5fd5p-1, -0x1.9d8e945823d2ap-56},
     {0x1.33aae4758dbefp-2, -0x1.d058881847909p-57}},
    {{0x1.eaafeea12b0c4p-1, 0x1.d7af5fa4a5c74p-57}, {0x1.245eb0cdba154p-2, -0x1.c4555428fdfb4p-57}},
    {{0x1.ece9508079f14p-1, 0x1.2b2c513ff0cf6p-55}, {0x1.1500375336bc5p-2, 0x1.9a39da062c982p-57}},
    {{0x1.ef03e3f3d42a2p-1, 0x1.0572b0573c404p-59}, {0x1.05906dec537dap-2, 0x1.12c3f77448473p-61}},
    {{0x1.f0ff87522f62cp-1, -0x1.fd676d1225f8cp-55},
     {0x1.ec209728baee8p-3, -0x1.c4601d778aa03p-58}},
    {{0x1.f2dc1ae18002ep-1, -0x1.be7521dc7c74p-58}, {0x1.cd0190985ef77p-3, -0x1.11be2ffbeed45p-58}},
    {{0x1.f49980d8b4cc7p-1, -0x1.881ca7411b5f8p-56}, {0x1.adc5ba156432p-3, -0x1.6c8ed88c3e7a8p-60}},
    {{0x1.f6379d619369dp-1, 0x1.6b296ac1928abp-55}, {0x1.8e6f075a987d6p-3, 0x1.a57e7fd1918d8p-62}},
    {{0x1.f7b6569a75cf8p-1, -0x1.14cbbb7799b36p-56},
     {0x1.6eff6dd08af8dp-3, -0x1.1bb80ce3b15c7p-57}},
    {{0x1.f9159497e853fp-1, 0x1.66c77a4219a37p-56}, {0x1.4f78e46e35a46p-3, -0x1.82bbe6c49f2bp-59}},
    {{0x1.fa55416628652p-1, 0x1.c8aa2f23a4669p-55}, {0x1.2fdd63998e1b6p-3, 0x1.09edc7d2bed7dp-58}},
    {{0x1.fb75490a83c2cp-1, 0x1.d9fbeed39ae46p-55}, {0x1.102ee507ff5fp-3, -0x1.77ec7eee89a9bp-57}},
    {{0x1.fc7599849827bp-1, 0x1.feee53c5da7cfp-56}, {0x1.e0dec73d9d533p-4, 0x1.698b2d527d376p-59}},
    {{0x1.fd5622cf734eap-1, 0x1.576f5c33de713p-55}, {0x1.a141b6a6da89dp-4, 0x1.dd0de04944ab6p-58}},
    {{0x1.fe16d6e2934p-1, -0x1.53fdcb5496323p-55}, {0x1.618a921772ba3p-4, -0x1.2e89936f086fap-58}},
    {{0x1.feb7a9b2c6d8bp-1, -0x1.0c8f40129a886p-56}, {0x1.21bd54fc5f9a7p-4, 0x1.0fcb936b1ce7ep-58}},
    {{0x1.ff389132ee7c6p-1, 0x1.400f472356ae9p-55}, {0x1.c3bbf8484388ap-5, -0x1.52bb3d8120de5p-59}},
    {{0x1.ff9985549ce69p-1, 0x1.57aa6cfbfc93dp-55}, {0x1.43e10afde8436p-5, -0x1.fc499d21a932p-60}},
    {{0x1.ffda80089810bp-1, -0x1.e60e93f33d826p-56}, {0x1.87e3bf7bb4f99p-6, 0x1.4aa5c3ca7c944p-61}},
    {{0x1.fffb7d3f3a253p-1, -0x1.2d4934e6c1f3dp-56},
     {0x1.0fd9d5c093df5p-7, -0x1.50076d7383a18p-64}},
    {{0x1.fffc7ae8b279cp-1, -0x1.1fa8b32bcbba5p-55}, {-0x1.e049a1f9ed9acp-8, 0x1.3baca337c3dfp-63}},
    {{0x1.ffdd78f5268bfp-1, 0x1.f41fc70ae37ddp-56}, {-0x1.780a3ac0ba58bp-6, 0x1.d5e43e408abb2p-63}},
    {{0x1.ff9e7954b2ff2p-1, -0x1.f7be6f7dd590cp-55},
     {-0x1.3bf5463f51aefp-5, -0x1.68c52354db1f8p-61}},
    {{0x1.ff3f7ff74c9a7p-1, -0x1.10dae3aca52fep-55},
     {-0x1.bbd1afe4369efp-5, 0x1.50fbc01ce6562p-59}},
    {{0x1.fec092cc814a4p-1, -0x1.efcb3d6b8a0c5p-56},
     {-0x1.1dc92e498cadep-4, 0x1.d73fca65fcbf7p-61}},
    {{0x1.fe21b9c319278p-1, 0x1.8ac14da77e504p-59},
     {-0x1.5d97a825ea2aap-4, -0x1.72c8c2a1b0d92p-58}},
    {{0x1.fd62fec8978cp-1, 0x1.eb95c7f30ae82p-58}, {-0x1.9d5048a4e731fp-4, 0x1.e634c167d09d4p-60}},
    {{0x1.fc846dc89c3afp-1, 0x1.75931f07e378ap-55},
     {-0x1.dcef1441cb33cp-4, -0x1.f2bc7445c5208p-58}},
    {{0x1.fb8614ac24a81p-1, -0x1.d6ef61a51c077p-55},
     {-0x1.0e38088a94cd6p-3, -0x1.4e962c086eb87p-60}},
    {{0x1.fa680358ad68ap-1, 0x1.89f16c1748c9ap-55}, {-0x1.2de7a38a3ff6fp-3, 0x1.054bfdacd158ep-59}},
    {{0x1.f92a4baf33dd9p-1, -0x1.f9b3f511adfccp-55},
     {-0x1.4d846028db121p-3, 0x1.bba49b9aa9e48p-57}},
    {{0x1.f7cd018b18246p-1, -0x1.c06b85582fc39p-56},
     {-0x1.6d0c449d3e98ap-3, -0x1.623c28c417034p-58}},
    {{0x1.f6503ac0df637p-1, -0x1.23f19cce4f093p-55}, {-0x1.8c7d586bc3eb8p-3, 0x1.0351f98860fp-57}},
    {{0x1.f4b40f1cd6831p-1, 0x1.98c5d3c1c9353p-55},
     {-0x1.abd5a485cce28p-3, -0x1.ebfb11995e71ep-62}},
    {{0x1.f2f89861956bp-1, 0x1.562428f40371ep-55}, {-0x1.cb133369348ccp-3, 0x1.21294243d461p-58}},
    {{0x1.f11df24662dadp-1, -0x1.09b7c1ab8f94bp-56},
     {-0x1.ea34113fa728fp-3, 0x1.abd498353e0e9p-57}},
    {{0x1.ef243a7578f7dp-1, 0x1.a85ba2a25daap-55}, {-0x1.049b25feefb08p-2, 0x1.8dc8aaa7afd48p-56}},
    {{0x1.ed0b908a2aac3p-1, -0x1.4ece5211b2c6ap-56},
     {-0x1.140bf9c1636a7p-2, 0x1.4fbce747bfd47p-58}},
    {{0x1.ead4160ee9f4p-1, -0x1.35f5475b34ef5p-55},
     {-0x1.236b8cdb3c016p-2, -0x1.78012a53d1d1dp-57}},
    {{0x1.e87dee7b2f393p-1, -0x1.06241f0ee831p-59}, {-0x1.32b8e9548fce1p-2, 0x1.3fc0930cc38b6p-56}},
    {{0x1.e6093f3141defp-1, -0x1.ea15dc328832dp-60},
     {-0x1.41f31a58ddacep-2, 0x1.2414526a710bbp-56}},
    {{0x1.e3762f7be2204p-1, -0x1.0272412ab7375p-55},
     {-0x1.51192c465a31bp-2, -0x1.053ee416dfe5ap-56}},
    {{0x1.e0c4e88bd4673p-1, 0x1.e362a8ab5cb05p-56}, {-0x1.602a2cbd29b05p-2, 0x1.a624307d847bap-56}},
    {{0x1.ddf595754e444p-1, -0x1.4ce8990cb150ep-56},
     {-0x1.6f252aae8625bp-2, 0x1.ae75f52c15a19p-57}},
    {{0x1.db08632d452e4p-1, 0x1.e3245f0df08dbp-56},
     {-0x1.7e09366bd0109p-2, -0x1.5ca59e31b748cp-56}},
    {{0x1.d7fd80869f372p-1, -0x1.c342d6d256f85p-57},
     {-0x1.8cd561b589476p-2, -0x1.acf78510604dap-59}},
    {{0x1.d4d51e2f45e11p-1, 0x1.93008cb0963e1p-55}, {-0x1.9b88bfca38dc2p-2, 0x1.b57bf56b8c1cdp-56}},
    {{0x1.d18f6ead1b446p-1, -0x1.02a3dbf3bffb2p-56},
     {-0x1.aa22657537205p-2, 0x1.6f3341d4d1235p-56}},
    {{0x1.ce2ca65ad1b52p-1, 0x1.08488e52e3a3ap-55},
     {-0x1.b8a1691d60dbep-2, -0x1.55b4b2c2c830fp-57}},
    {{0x1.caacfb64a61cdp-1, -0x1.fbf52442206c4p-56},
     {-0x1.c704e2d3b0cbfp-2, 0x1.0908c2140ecf5p-60}},
    {{0x1.c710a5c4fd3aap-1, 0x1.400e4401e60c2p-56}, {-0x1.d54bec61be7fap-2, 0x1.0570febee5e12p-57}},
    {{0x1.c357df40e4024p-1, -0x1.f162bd32468fep-56},
     {-0x1.e375a15821ab9p-2, -0x1.a0e030d758208p-59}},
    {{0x1.bf82e364734f7p-1, 0x1.99b483567bccap-55}, {-0x1.f1811f1cb90d6p-2, 0x1.b62f5511819bp-58}},
    {{0x1.bb91ef7f1729ep-1, 0x1.ba36b4a8034e5p-59},
     {-0x1.ff6d84f8d3facp-2, -0x1.b3aa6bb754ef4p-59}},
    {{0x1.b785429fb9d31p-1, 0x1.921830b39e23ap-55},
     {-0x1.069cfa139edcfp-1, -0x1.083a630b6a799p-55}},
    {{0x1.b35d1d90d2dd6p-1, -0x1.d3d716afba31dp-57},
     {-0x1.0d72c7f114e12p-1, 0x1.6788abb417645p-55}},
    {{0x1.af19c2d45a899p-1, 0x1.60c2b52b9c0aep-55}, {-0x1.1437beb880035p-1, 0x1.86ca2237fa71ep-56}},
    {{0x1.aabb769fa1ad3p-1, 0x1.ead5c74acefc3p-55},
     {-0x1.1aeb721b04367p-1, -0x1.4ee940f7119e4p-56}},
    {{0x1.a6427ed70e63p-1, -0x1.1887a640bb982p-59}, {-0x1.218d76ddfa4bap-1, 0x1.a102e501f4a94p-55}},
    {{0x1.a1af2309bdca6p-1, -0x1.8b169e843eaf8p-55},
     {-0x1.281d62e1a3938p-1, 0x1.6a2cae7608016p-55}},
    {{0x1.9d01ac6d0b1b8p-1, 0x1.f2eeb0bef7324p-55}, {-0x1.2e9acd27cbd19p-1, 0x1.151c7b81e0595p-55}},
    {{0x1.983a65d7fc58p-1, 0x1.d8dba65860c9p-55}, {-0x1.35054dda59168p-1, -0x1.664c0a672acb8p-55}},
    {{0x1.93599bbe94e07p-1, -0x1.3b04d8ad394fbp-57},
     {-0x1.3b5c7e51c9196p-1, 0x1.9390d314ba7d8p-55}},
    {{0x1.8e5f9c2d0e3a9p-1, 0x1.5dc0da4ffdf4ep-55}, {-0x1.419ff91b9ba6dp-1, 0x1.9a10a4b5cbe7ep-55}},
    {{0x1.894cb6c2f7548p-1, -0x1.7fc9054f34dd9p-56},
     {-0x1.47cf5a00a9c0fp-1, -0x1.8072c8e7868e8p-55}},
    {{0x1.84213cae3a92p-1, 0x1.298047b6629bap-55}, {-0x1.4dea3e0b69097p-1, -0x1.2bc301ec35804p-55}},
    {{0x1.7edd80a60af5p-1, 0x1.bf16d63b1e42ep-55}, {-0x1.53f0438e1b11bp-1, -0x1.cc581d55534abp-55}},
    {{0x1.7981d6e5b8b11p-1, -0x1.9fcdb3acf5b7p-57}, {-0x1.59e10a28e82edp-1, 0x1.f53d598593a6cp-57}},
    {{0x1.740e95276d7d5p-1, 0x1.aad213ce02d9ep-55}, {-0x1.5fbc32cfe56eep-1, 0x1.27071ec2ab553p-55}},
    {{0x1.6e84129ed0f95p-1, 0x1.a56bab25774afp-55},
     {-0x1.65815fd1054fdp-1, -0x1.a156030f696b6p-55}},
    {{0x1.68e2a7f395799p-1, -0x1.7de384322eb53p-55},
     {-0x1.6b3034d9f2d89p-1, -0x1.4976528b6de57p-55}},
    {{0x1.632aaf3bed93bp-1, 0x1.0637f900540a7p-60}, {-0x1.70c856fdd6b67p-1, 0x1.a18459c4d6abdp-55}},
    {{0x1.5d5c83f6eac32p-1, 0x1.d4d266b5f1f4dp-56}, {-0x1.76496cbb0603p-1, -0x1.d31c5172470c2p-56}},
    {{0x1.57788306c57f6p-1, 0x1.a7131e3be9006p-56}, {-0x1.7bb31e009a57bp-1, 0x1.541fc31d208bdp-55}},
    {{0x1.517f0aab0f204p-1, 0x1.e88ccffd8faccp-55}, {-0x1.81051433f2d45p-1, 0x1.e9d51e1b37489p-56}},
    {{0x1.4b707a7acdecdp-1, -0x1.ef71ae7061d34p-55},
     {-0x1.863efa361dc25p-1, -0x1.5e50f57769cbap-56}},
    {{0x1.454d335e83b29p-1, -0x1.60083d3cc57a6p-57},
     {-0x1.8b607c692a7cbp-1, 0x1.9caba1946aa6bp-55}},
    {{0x1.3f15978a1f45fp-1, -0x1.be1f86c7149adp-56},
     {-0x1.906948b56347dp-1, 0x1.26b777679a478p-57}},
    {{0x1.38ca0a76d94b2p-1, -0x1.1f3725a47b143p-56},
     {-0x1.95590e8e6ec66p-1, 0x1.ea7fd9264db9ap-55}},
    {{0x1.326af0dcfcab1p-1, -0x1.fd42734161659p-55},
     {-0x1.9a2f7ef858b7dp-1, -0x1.587cfaa17e973p-56}},
    {{0x1.2bf8b0ad9b16fp-1, 0x1.0d1d8efec1985p-57},
     {-0x1.9eec4c8c81b17p-1, -0x1.36dc15e9706a8p-58}},
    {{0x1.2573b10c2dffep-1, 0x1.0cb85186507c5p-56}, {-0x1.a38f2b7e75819p-1, 0x1.bd5e7c6d218f8p-57}},
    {{0x1.1edc5a482467bp-1, -0x1.a95e73d87132ap-55},
     {-0x1.a817d1a0a7f0ap-1, -0x1.b1e8809618e03p-56}},
    {{0x1.183315d65df2ap-1, -0x1.41089cbc8c0afp-55}, {-0x1.ac85f6691793ep-1, 0x1.eb962bc7b74ap-55}},
    {{0x1.11784e4a93a26p-1, 0x1.3a73806f9a38ep-58},
     {-0x1.b0d952f5d6671p-1, -0x1.24d3580cdeb25p-57}},
    {{0x1.0aac6f50aea35p-1, -0x1.49fd3bc15c939p-55},
     {-0x1.b511a21177e5ep-1, -0x1.75f0809e1e829p-55}},
    {{0x1.03cfe5a60d96bp-1, 0x1.dced598e82886p-55},
     {-0x1.b92ea037645cap-1, -0x1.871f160fb76d5p-55}},
    {{0x1.f9c63e25718c7p-2, -0x1.da7d3b28b8de6p-58},
     {-0x1.bd300b98112c3p-1, -0x1.0e2cbb26ca4edp-55}},
    {{0x1.ebcd14c50b586p-2, -0x1.6a5e08f0f3d1ep-57},
     {-0x1.c115a41d1dbd3p-1, -0x1.82272e3cff5e9p-56}},
    {{0x1.ddb52ebc547f7p-2, 0x1.8b4ca4f49f731p-56}, {-0x1.c4df2b6d54e0cp-1, 0x1.f42713219f479p-55}},
    {{0x1.cf7f6d8880e54p-2, 0x1.9661e7be18f19p-56}, {-0x1.c88c64f0925e7p-1, 0x1.73128dfd7171p-56}},
    {{0x1.c12cb48474a24p-2, -0x1.7eea8e847d17dp-56},
     {-0x1.cc1d15d38c71cp-1, -0x1.6b76b64db6c33p-55}},
    {{0x1.b2bde8da8e685p-2, -0x1.55d4e4dcf3d44p-57},
     {-0x1.cf91050b80f9bp-1, -0x1.6e95eff8e86b2p-55}},
    {{0x1.a433f17654f04p-2, -0x1.8273ee47f959dp-56},
     {-0x1.d2e7fb59c6201p-1, -0x1.106e2c45a122ep-56}},
    {{0x1.958fb6f608545p-2, -0x1.8b8aa6ddd3724p-56},
     {-0x1.d621c34f3e3f9p-1, -0x1.d6449fe59bafp-56}},
    {{0x1.86d2239c183fbp-2, 0x1.f838db9ee6256p-56}, {-0x1.d93e294faed14p-1, 0x1.421d74d654ed8p-56}},
    {{0x1.77fc23407fdb4p-2, -0x1.41897d78a2857p-56},
     {-0x1.dc3cfb94fa2bcp-1, 0x1.e4a2b15c6cc7cp-55}},
    {{0x1.690ea3420861p-2, -0x1.5c3804d08d097p-56}, {-0x1.df1e0a323be1p-1, -0x1.f8360382131eep-55}},
    {{0x1.5a0a92777343cp-2, 0x1.740c939349151p-57},
     {-0x1.e1e12716c788dp-1, -0x1.1788e4f8016f1p-56}},
    {{0x1.4af0e1208cd6dp-2, 0x1.4923b3ae7090ap-56},
     {-0x1.e486261109c75p-1, -0x1.e72962145517bp-59}},
    {{0x1.3bc280d728652p-2, 0x1.d3bd9cde30145p-56},
     {-0x1.e70cdcd14b62dp-1, -0x1.675299ded7ca8p-55}},
    {{0x1.2c80648006a85p-2, 0x1.c9458401665b5p-58}, {-0x1.e97522ec563bcp-1, 0x1.35dac6006c32ap-55}},
    {{0x1.1d2b803ba790cp-2, 0x1.6359bc8b30a84p-58},
     {-0x1.ebbed1ddfbfc6p-1, -0x1.4545d6c401d2ep-55}},
    {{0x1.0dc4c95708521p-2, 0x1.4fefad09e5717p-60},
     {-0x1.ede9c50b7e58fp-1, -0x1.739952d0f281fp-57}},
    {{0x1.fc9a6c789d4f5p-3, -0x1.fb486893c8aedp-57},
     {-0x1.eff5d9c5d8b81p-1, -0x1.1b2b893536e48p-59}},
    {{0x1.dd8b7cc6c48dbp-3, 0x1.20505b9f3773bp-57}, {-0x1.f1e2ef4beb207p-1, 0x1.b44f6d483c9bcp-55}},
    {{0x1.be5eb484eaea6p-3, -0x1.84324664ac3bap-57},
     {-0x1.f3b0e6cc8647ep-1, -0x1.ea644e18db8d5p-60}},
    {{0x1.9f16067cfb738p-3, 0x1.4786db3b8ead4p-57}, {-0x1.f55fa36858a4p-1, 0x1.b5642982a1298p-55}},
    {{0x1.7fb367373b45cp-3, -0x1.24b38c4fec5f4p-57},
     {-0x1.f6ef0a33bc5c9p-1, 0x1.fd000031aacf7p-55}},
    {{0x1.6038ccdb01312p-3, -0x1.fe5f02cef39abp-60},
     {-0x1.f85f02386603dp-1, -0x1.178460cf1ed29p-58}},
    {{0x1.40a82f0f536dep-3, -0x1.6e602d92ac7adp-57},
     {-0x1.f9af7476f3f93p-1, 0x1.f07fe9b2ae611p-55}},
    {{0x1.210386db6d55bp-3, 0x1.3c7205d08d063p-57},
     {-0x1.fae04be85e5d2p-1, -0x1.83effc17efb54p-55}},
};

// atan(k/256) for k = 0..256.
constexpr DoubleDouble kArcTangentTable[257] = {
    {0x0p+0, 0x0p+0},
    {0x1.ffff5555bbbb7p-9, 0x1.4bb12afb6b6d5p-64},
    {0x1.fffd555bbba97p-8, 0x1.68062351fbbe6p-63},
    {0x1.7ffb80184c30ap-7, -0x1.725017508234bp-61},
    {0x1.fff555bbb729bp-7, -0x1.220c39d4dff5p-61},
    {0x1.3ff595f18a7p-6, -0x1.213eac36cfb2cp-60},
    {0x1.7fee0184a5c36p-6, -0x1.43189fc0a354bp-60},
    {0x1.bfe36df291712p-6, -0x1.e1bec7756100ep-61},
    {0x1.ffd55bba97625p-6, -0x1.5ec431444912cp-60},
    {0x1.1fe1a5c2ec497p-5, 0x1.886091e8fc4cbp-59},
    {0x1.3fd65f169c9d9p-5, 0x1.7230a716461b5p-61},
    {0x1.5fc89a5fa3b2dp-5, 0x1.2bb73bf4e7f99p-59},
    {0x1.7fb818430da2ap-5, -0x1.86ef8f794f105p-63},
    {0x1.9fa49986984dfp-5, 0x1.322907af0abc2p-59},
    {0x1.bf8ddf139c444p-5, -0x1.89fe34b2a7fa8p-59},
    {0x1.df73a9f9f1882p-5, -0x1.251b5c410bcb4p-62},
    {0x1.ff55bb72cfdeap-5, -0x1.c934d86d23f1dp-60},
    {0x1.0f99ea71d52a7p-4, -0x1.2069feec3624fp-61},
    {0x1.1f86dbf082d59p-4, -0x1.095dc7732ef81p-59},
    {0x1.2f719318a4a9ap-4, 0x1.3fd1779b9801fp-63},
    {0x1.3f59f0e7c559dp-4, 0x1.ac4ce285df847p-58},
    {0x1.4f3fd677292fbp-4, 0x1.008d36264979ep-59},
    {0x1.5f2324fd2d7b2p-4, 0x1.8a8da4401318ep-58},
    {0x1.6f03bdcea4b0dp-4, -0x1.3f00e512fa17dp-60},
    {0x1.7ee182602f10fp-4, -0x1.cfb654c0c3d98p-58},
    {0x1.8ebc54478fb28p-4, 0x1.732880cad24ccp-59},
    {0x1.9e94153cfdcf1p-4, 0x1.a332e1d69c47ep-58},
    {0x1.ae68a71c722b8p-4, 0x1.c014e6910b9dbp-59},
    {0x1.be39ebe6f07c3p-4, 0x1.f7b8f29a05987p-58},
    {0x1.ce07c5c3cca32p-4, 0x1.138e6425918a7p-59},
    {0x1.ddd21701eba6ep-4, 0x1.94effcd76fe58p-58},
    {0x1.ed98c2190043bp-4, -0x1.3a598592c7b13p-61},
    {0x1.fd5ba9aac2f6ep-4, -0x1.cd37686760c17p-59},
    {0x1.068d584212b3ep-3, -0x1.9e2d283019bfdp-57},
    {0x1.0e6adccf40882p-3, -0x1.d71a31bb98d0dp-57},
    {0x1.164654106085p-3, 0x1.6bcee8ae7ea92p-57},
    {0x1.1e1fafb043727p-3, -0x1.b485914dacf8cp-59},
    {0x1.25f6e171a535cp-3, 0x1.7c6d7bde1a31p-57},
    {0x1.2dcbdb2fba1ffp-3, 0x1.8f28705561534p-58},
    {0x1.359e8edeb99a4p-3, -0x1.a5fd74e4604c6p-57},
    {0x1.3d6eee8c6626cp-3, 0x1.61a3b0ce9281bp-57},
    {0x1.453cec6092a9ep-3, 0x1.1f653b3a5a78bp-57},
    {0x1.4d087a9da4f17p-3, 0x1.1f323f1adf158p-57},
    {0x1.54d18ba11570ap-3, 0x1.18282f2884073p-57},
    {0x1.5c9811e3ec26ap-3, -0x1.054ab2c010f3dp-58},
    {0x1.645bfffb3aa74p-3, -0x1.f536b677c2cb4p-60},
    {0x1.6c1d4898933d9p-3, -0x1.2954a7603c427p-58},
    {0x1.73dbde8a7d202p-3, -0x1.5ad0f6d4a665dp-58},
    {0x1.7b97b4bce5b02p-3, 0x1.347b0b4f881cap-58},
    {0x1.8350be398ebc8p-3, -0x1.5a91332b9c90dp-58},
    {0x1.8b06ee2879c29p-3, -0x1.118cd30308c4fp-57},
    {0x1.92ba37d050272p-3, -0x1.0d3ded0ff4764p-57},
    {0x1.9a6a8e96c8626p-3, 0x1.cf601e7b4348ep-59},
    {0x1.a217e601081a6p-3, -0x1.0def8a60af374p-57},
    {0x1.a9c231b403279p-3, 0x1.0e8bbe89cca85p-57},
    {0x1.b1696574d780cp-3, -0x1.85ab8fc15a673p-58},
    {0x1.b90d7529260a2p-3, 0x1.17b10d2e0e5abp-61},
    {0x1.c0ae54d768467p-3, -0x1.04cdbf55f26dcp-57},
    {0x1.c84bf8a742e6ep-3, -0x1.95bdd0682ea26p-58},
    {0x1.cfe654e1d5395p-3, 0x1.47b9a3f71eafbp-57},
    {0x1.d77d5df205736p-3, 0x1.c648d1534597ep-57},
    {0x1.df110864c9d9ep-3, -0x1.5818b53bf4781p-60},
    {0x1.e6a148e96ec4dp-3, 0x1.866b22029f765p-57},
    {0x1.ee2e1451d980dp-3, -0x1.9a7708c46ba91p-58},
    {0x1.f5b75f92c80ddp-3, 0x1.8ab6e3cf7afbdp-57},
    {0x1.fd3d1fc40dbe4p-3, 0x1.37146f3a1c5eap-59},
    {0x1.025fa510665b6p-2, -0x1.672df6832fa48p-56},
    {0x1.061eea03d6291p-2, -0x1.5f760db154301p-59},
    {0x1.09dc597d86362p-2, 0x1.62e47390cb865p-56},
    {0x1.0d97ee509acb3p-2, 0x1.47c317bd5a3ebp-56},
    {0x1.1151a362431cap-2, -0x1.4dc8dc9077b9fp-56},
    {0x1.150973a9ce547p-2, -0x1.796ba7f9ca328p-56},
    {0x1.18bf5a30bf178p-2, 0x1.30ca4748b1bf9p-57},
    {0x1.1c735212dd884p-2, -0x1.7d9ac78cb2f2ep-57},
    {0x1.2025567e47c96p-2, -0x1.1832328f4290ep-57},
    {0x1.23d562b381042p-2, -0x1.c531716200088p-58},
    {0x1.278372057ef46p-2, -0x1.077cdd36dfc81p-56},
    {0x1.2b2f7fd9b5fe2p-2, 0x1.423cfc1c2d443p-61},
    {0x1.2ed987a823cfep-2, 0x1.b91258ea012cap-57},
    {0x1.328184fb58952p-2, -0x1.a95f0a9939f2fp-56},
    {0x1.362773707ebccp-2, -0x1.963a544b672d8p-57},
    {0x1.39cb4eb76157cp-2, -0x1.2f4da5a214713p-56},
    {0x1.3d6d129271134p-2, 0x1.137ca41cc958ap-56},
    {0x1.410cbad6c7d33p-2, -0x1.b0c8bae13b512p-56},
    {0x1.44aa436c2af0ap-2, -0x1.5d5e43c55b3bap-56},
    {0x1.4845a84d0c21bp-2, 0x1.1e28a7563c6a6p-56},
    {0x1.4bdee586890e7p-2, -0x1.e4dc77c22a757p-57},
    {0x1.4f75f73869979p-2, -0x1.95a1cf7ff1108p-58},
    {0x1.530ad9951cd4ap-2, -0x1.2566480884082p-57},
    {0x1.569d88e1b4cd8p-2, -0x1.fec61e713cfe2p-57},
    {0x1.5a2e0175e0f4ep-2, 0x1.13b7a8f82e457p-56},
    {0x1.5dbc3fbbe768dp-2, 0x1.ea0ec1b76f7dap-57},
    {0x1.614840309cfe2p-2, -0x1.a725715711fp-56},
    {0x1.64d1ff635c1c6p-2, -0x1.fa403e7c0fdbep-56},
    {0x1.685979f5fa6fep-2, -0x1.257814d1ada9cp-59},
    {0x1.6bdeac9cbd76dp-2, -0x1.a5c563e6de828p-58},
    {0x1.6f61941e4def1p-2, -0x1.c63aae6f6e918p-56},
    {0x1.72e22d53aa2aap-2, -0x1.d9c934e79f27cp-56},
    {0x1.7660752817502p-2, -0x1.dd11791cc76p-59},
    {0x1.79dc6899118d1p-2, 0x1.b7413a0ef606dp-61},
    {0x1.7d5604b63b3f7p-2, 0x1.69c885c2b249ap-56},
    {0x1.80cd46a14b1d1p-2, -0x1.e79f99684fa19p-56},
    {0x1.84422b8df95d7p-2, 0x1.d76a0299b41b6p-56},
    {0x1.87b4b0c1ebedcp-2, -0x1.6dcfaa2fa470fp-56},
    {0x1.8b24d394a1b25p-2, 0x1.b6d0ba3748fa8p-56},
    {0x1.8e92916f5cde8p-2, 0x1.4c0a7e12bfafbp-56},
    {0x1.91fde7cd0c662p-2, 0x1.1074188054b53p-56},
    {0x1.9566d43a34907p-2, 0x1.9b01537e0af2bp-57},
    {0x1.98cd5454d6b18p-2, 0x1.9e6c988fd0a77p-56},
    {0x1.9c3165cc58107p-2, 0x1.b669602250cfbp-59},
    {0x1.9f93066168002p-2, -0x1.c827047c9439ap-56},
    {0x1.a2f233e5e530bp-2, 0x1.814d5f797086bp-58},
    {0x1.a64eec3cc23fdp-2, -0x1.24dec1b50b7ffp-56},
    {0x1.a9a92d59e98cfp-2, 0x1.2e42dff75d817p-59},
    {0x1.ad00f5422058bp-2, 0x1.fc4c33891d2e8p-56},
    {0x1.b056420ae9344p-2, -0x1.9313946363455p-56},
    {0x1.b3a911da65c6cp-2, 0x1.ae187b1ca504p-56},
    {0x1.b6f962e737efcp-2, -0x1.ca53464981e71p-58},
    {0x1.ba473378624a5p-2, 0x1.519a1b46e4affp-56},
    {0x1.bd9281e528192p-2, -0x1.4b15439af6b66p-56},
    {0x1.c0db4c94ec9fp-2, -0x1.cc1ce70934c34p-56},
    {0x1.c42191ff11eb7p-2, -0x1.b17df434b3eeep-56},
    {0x1.c76550aad71f9p-2, -0x1.74b8bff7043e4p-56},
    {0x1.caa6872f3631bp-2, 0x1.9506781636f48p-61},
    {0x1.cde53432c1351p-2, -0x1.a2cfa4418f1adp-56},
    {0x1.d121566b7f2adp-2, 0x1.be67835886c3p-56},
    {0x1.d45aec9ec862bp-2, 0x1.89421163ef92dp-57},
    {0x1.d791f5a1226f5p-2, -0x1.4017ea5b64a76p-57},
    {0x1.dac670561bb4fp-2, 0x1.a2b7f222f65e2p-56},
    {0x1.ddf85bb026974p-2, 0x1.43bbb0c0a1226p-57},
    {0x1.e127b6b0744bp-2, -0x1.2b0986398d4abp-58},
    {0x1.e4548066cf51ap-2, 0x1.3a3aa12ce98f2p-59},
    {0x1.e77eb7f175a34p-2, 0x1.0e53dc1bf3435p-56},
    {0x1.eaa65c7cf28c4p-2, 0x1.2fb2ceca3bf05p-57},
    {0x1.edcb6d43f8435p-2, -0x1.fc976330884e4p-58},
    {0x1.f0ede98f393dp-2, -0x1.2f40a87cb1894p-56},
    {0x1.f40dd0b541418p-2, -0x1.a3992dc382a23p-57},
    {0x1.f72b221a4e495p-2, 0x1.489c20f7eb74p-58},
    {0x1.fa45dd3029259p-2, -0x1.ca563dc28d8b5p-56},
    {0x1.fd5e0175fdf83p-2, 0x1.3a87b1ec49b15p-57},
    {0x1.0039c73c1a40cp-1, -0x1.b32c949c9d593p-55},
    {0x1.01c341e82422dp-1, 0x1.3db44fcca90eep-55},
    {0x1.034b709250488p-1, 0x1.8f9b38d85541p-56},
    {0x1.04d25314342e6p-1, -0x1.1c8636442c767p-55},
    {0x1.0657e94db30dp-1, -0x1.d5b495f6349e6p-56},
    {0x1.07dc3324e9b38p-1, 0x1.b70c9e04450acp-56},
    {0x1.095f30861a59p-1, -0x1.121b20a15a9f3p-56},
    {0x1.0ae0e1639866cp-1, 0x1.075abf2de445ap-56},
    {0x1.0c6145b5b43dap-1, 0x1.974fa13b5404fp-58},
    {0x1.0de05d7aa6f7dp-1, -0x1.83684b1c529abp-56},
    {0x1.0f5e28b67e295p-1, 0x1.311b17ec990dp-65},
    {0x1.10daa77307a0dp-1, 0x1.69c33d44c7b05p-55},
    {0x1.1255d9bfbd2a9p-1, -0x1.2bdaee1c0ee35p-58},
    {0x1.13cfbfb1b056ep-1, 0x1.3110e6fc3ed38p-55},
    {0x1.154859637646ap-1, -0x1.4ba7c548bf3c3p-55},
    {0x1.16bfa6f5137e1p-1, 0x1.9606fe141bd35p-56},
    {0x1.1835a88be7c13p-1, 0x1.c621cec00c301p-55},
    {0x1.19aa5e5299f9ap-1, -0x1.a606c2c58f835p-55},
    {0x1.1b1dc87904285p-1, -0x1.21e8c8aef8f29p-57},
    {0x1.1c8fe7341f64fp-1, 0x1.28bbc9d5e792ap-56},
    {0x1.1e00babdefeb4p-1, -0x1.928df287a668fp-58},
    {0x1.1f7043557138ap-1, 0x1.6c659f6d7dd47p-56},
    {0x1.20de813e823b2p-1, -0x1.791d753ebb744p-55},
    {0x1.224b74c1d192ap-1, 0x1.d6d3df88a60c4p-55},
    {0x1.23b71e2cc9e6ap-1, 0x1.c421c9f38224ep-57},
    {0x1.25217dd17e501p-1, 0x1.56aa88c1b679cp-55},
    {0x1.268a940696da6p-1, 0x1.d1348a04c73ccp-58},
    {0x1.27f261273d1b3p-1, 0x1.43bf36151dd9fp-55},
    {0x1.2958e59308e31p-1, -0x1.09e73b0c6c087p-56},
    {0x1.2abe21aded073p-1, 0x1.c28c001ad022ep-55},
    {0x1.2c2215e024466p-1, -0x1.4b810da3a4be1p-59},
    {0x1.2d84c2961e48cp-1, -0x1.f25420a36e506p-56},
    {0x1.2ee628406cbcap-1, 0x1.c5d5e9ff0cf8dp-55},
    {0x1.30464753b090bp-1, -0x1.3e71261da18f3p-56},
    {0x1.31a52048874bep-1, 0x1.40cab87a7ac24p-55},
    {0x1.3302b39b78856p-1, 0x1.5dd2ed87ba82bp-55},
    {0x1.345f01cce37bbp-1, 0x1.1021137c71102p-55},
    {0x1.35ba0b60ecccep-1, 0x1.e3ba19b9368b9p-55},
    {0x1.3713d0df6c504p-1, -0x1.4f789e031606dp-58},
    {0x1.386c52d3db11fp-1, -0x1.b78e1cbebe6ap-55},
    {0x1.39c391cd4171ap-1, -0x1.2304331d8bf46p-55},
    {0x1.3b198e5e2564bp-1, -0x1.2f9221f0752acp-56},
    {0x1.3c6e491c78dc5p-1, -0x1.e145094fd0ba7p-55},
    {0x1.3dc1c2a188504p-1, 0x1.2ce6370f4e971p-55},
    {0x1.3f13fb89e96f4p-1, 0x1.ecf8b492644fp-56},
    {0x1.4064f47569f49p-1, -0x1.aad88f91bf2b2p-55},
    {0x1.41b4ae06fea41p-1, 0x1.3d60a53277652p-57},
    {0x1.430328e4b26d6p-1, -0x1.131591070b99fp-55},
    {0x1.445065b795b56p-1, -0x1.f76d0163f79c8p-56},
    {0x1.459c652badc7fp-1, 0x1.199698e8e135cp-55},
    {0x1.46e727efe4716p-1, -0x1.39b9b1b844cc9p-57},
    {0x1.4830aeb5f7bfep-1, -0x1.a265666764a73p-58},
    {0x1.4978fa3269ee1p-1, 0x1.2419a87f2a458p-56},
    {0x1.4ac00b1c71762p-1, 0x1.b20e72382b9p-55},
    {0x1.4c05e22de94e5p-1, -0x1.c0ac1f09f2edfp-55},
    {0x1.4d4a8023414e8p-1, 0x1.e3a891daa88bp-57},
    {0x1.4e8de5bb6ec04p-1, 0x1.4a33dbeb3796cp-55},
    {0x1.4fd013b7dd17ep-1, 0x1.d513f3e7c24b5p-56},
    {0x1.51110adc5ed81p-1, 0x1.23dcd6832a63ep-56},
    {0x1.5250cbef1e9fbp-1, -0x1.539b7a322887p-58},
    {0x1.538f57b89061fp-1, -0x1.1bb74abda520cp-55},
    {0x1.54ccaf0362c8fp-1, 0x1.8a3247f8f43c1p-55},
    {0x1.5608d29c70c34p-1, 0x1.9939cf0de8088p-55},
    {0x1.5743c352b33bap-1, -0x1.ea00d34c87ea6p-55},
    {0x1.587d81f732fbbp-1, -0x1.5e5c9d8c5a95p-56},
    {0x1.59b60f5cfab9ep-1, -0x1.1b04c41026bc5p-55},
    {0x1.5aed6c5909517p-1, 0x1.7312f714a9436p-55},
    {0x1.5c2399c244261p-1, -0x1.31bd4e9e56b35p-55},
    {0x1.5d58987169b18p-1, 0x1.0028e4bc5e7cap-57},
    {0x1.5e8c6941043dp-1, -0x1.0bf75be451e7p-56},
    {0x1.5fbf0d0d5cc4ap-1, -0x1.b4cfd000b7158p-58},
    {0x1.60f084b46e05fp-1, -0x1.dbb8699945193p-55},
    {0x1.6220d115d7b8ep-1, -0x1.2b785350ee8c1p-57},
    {0x1.634ff312d1f3bp-1, 0x1.9d2f315f2b598p-55},
    {0x1.647deb8e20b9p-1, -0x1.eca04023a51cfp-58},
    {0x1.65aabb6c07b03p-1, -0x1.7939b3af32729p-57},
    {0x1.66d663923e087p-1, -0x1.6ea6febe8bbbap-56},
    {0x1.6800e4e7e2858p-1, -0x1.8ea6a1b3e90fp-58},
    {0x1.692a40556fb6ap-1, 0x1.d94b95a8ea2ccp-55},
    {0x1.6a5276c4b0576p-1, -0x1.f6b659c46a69ep-55},
    {0x1.6b798920b3d99p-1, -0x1.a80386188c50ep-55},
    {0x1.6c9f7855c3198p-1, 0x1.c09de29bd280dp-56},
    {0x1.6dc44551553afp-1, -0x1.bf8863573828ep-58},
    {0x1.6ee7f10204aefp-1, 0x1.692eea3066272p-55},
    {0x1.700a7c5784634p-1, -0x1.8c34d25aadef6p-56},
    {0x1.712be84295198p-1, 0x1.5cd90337d8881p-55},
    {0x1.724c35b4fae7bp-1, 0x1.948b32db3499bp-58},
    {0x1.736b65a172dffp-1, 0x1.775fd06a892d1p-56},
    {0x1.748978fba8e0fp-1, 0x1.7b2a6165884a1p-59},
    {0x1.75a670b82d8d8p-1, 0x1.ee4ac4c729087p-55},
    {0x1.76c24dcc6c6cp-1, 0x1.1952551adc83dp-55},
    {0x1.77dd112ea22c7p-1, 0x1.732608fc10d3dp-55},
    {0x1.78f6bbd5d315ep-1, 0x1.406a08980374p-55},
    {0x1.7a0f4eb9c19a2p-1, 0x1.13c67cd815f57p-57},
    {0x1.7b26cad2e50fep-1, -0x1.ce80df30411fbp-55},
    {0x1.7c3d311a6092bp-1, 0x1.bb3cb2d303288p-55},
    {0x1.7d528289fa093p-1, 0x1.560821e2f3aa9p-55},
    {0x1.7e66c01c114fep-1, -0x1.c82b88b760b8dp-55},
    {0x1.7f79eacb97898p-1, 0x1.fd5ca80ead221p-55},
    {0x1.808c03940694bp-1, -0x1.00f327715f6a5p-55},
    {0x1.819d0b7158a4dp-1, -0x1.bf76229d3b917p-56},
    {0x1.82ad036000005p-1, 0x1.4592fce924d24p-56},
    {0x1.83bbec5cdee22p-1, 0x1.3107104ffc6c3p-57},
    {0x1.84c9c7653f7ebp-1, -0x1.83611fe0a3e8fp-60},
    {0x1.85d69576cc2c5p-1, 0x1.6b66e7fc8b8c3p-57},
    {0x1.86e2578f87ae5p-1, 0x1.022b1375cfe34p-55},
    {0x1.87ed0eadc5a2ap-1, 0x1.0af5ad957f4bcp-56},
    {0x1.88f6bbd023119p-1, -0x1.32d1d25aba66p-58},
    {0x1.89ff5ff57f1f8p-1, -0x1.55b9a5e177a1bp-55},
    {0x1.8b06fc1cf3dffp-1, -0x1.0fb312656db6dp-55},
    {0x1.8c0d9145cf49dp-1, 0x1.bea4076dc4333p-55},
    {0x1.8d13206f8c4cbp-1, -0x1.b018cbaa89a8bp-56},
    {0x1.8e17aa99cc05ep-1, -0x1.ec182ab042f61p-56},
    {0x1.8f1b30c44f167p-1, 0x1.dd1cab93933fdp-57},
    {0x1.901db3eeef187p-1, 0x1.68665e5603c8fp-55},
    {0x1.911f35199833bp-1, 0x1.3ae8a0edbf522p-57},
    {0x1.921fb54442d18p-1, 0x1.1a62633145c07p-55},
};

// The slow path's constants, as 32-bit limbs of the fraction, most
// significant first, truncated: 2/pi to 1792 bits (enough for every double
// argument at the highest precision tried).
constexpr uint32_t kTwoOverPiLimbs[56] = {
    0xa2f9836e, 0x4e441529, 0xfc2757d1, 0xf534ddc0, 0xdb629599, 0x3c439041, 0xfe5163ab, 0xdebbc561,
    0xb7246e3a, 0x424dd2e0, 0x06492eea, 0x09d1921c, 0xfe1deb1c, 0xb129a73e, 0xe88235f5, 0x2ebb4484,
    0xe99c7026, 0xb45f7e41, 0x3991d639, 0x835339f4, 0x9c845f8b, 0xbdf9283b, 0x1ff897ff, 0xde05980f,
    0xef2f118b, 0x5a0a6d1f, 0x6d367ecf, 0x27cb09b7, 0x4f463f66, 0x9e5fea2d, 0x7527bac7, 0xebe5f17b,
    0x3d0739f7, 0x8a5292ea, 0x6bfb5fb1, 0x1f8d5d08, 0x56033046, 0xfc7b6bab, 0xf0cfbc20, 0x9af4361d,
    0xa9e39161, 0x5ee61b08, 0x6599855f, 0x14a06840, 0x8dffd880, 0x4d732731, 0x06061556, 0xca73a8c9,
    0x60e27bc0, 0x8c6b47c4, 0x19c367cd, 0xdce8092a, 0x8359c476, 0x8b961ca6, 0xddaf44d1, 0x5719053e,
};

// pi/2 = 1 + this fraction.
constexpr uint32_t kHalfPiFractionLimbs[24] = {
    0x921fb544, 0x42d18469, 0x898cc517, 0x01b839a2, 0x52049c11, 0x14cf98e8, 0x04177d4c, 0x76273644,
    0xa29410f3, 0x1c6809bb, 0xdf2a3367, 0x9a748636, 0x605614db, 0xe4be286e, 0x9fc26ada, 0xdaa3848b,
    0xc90b6aec, 0xc4bcfd8d, 0xe89885d3, 0x4c6fdad6, 0x17feb96d, 0xe80d6fdb, 0xdc70d7f6, 0xb5133f4b,
};

// atan(k/8) for k = 1..8 (row 0 unused).
constexpr uint32_t kArcTangentEighthsLimbs[9][24] = {
    {},
    {
        0x1fd5ba9a, 0xac2f6dc6, 0x5912f313, 0xe7d111de, 0xf1672afb, 0x2bb35b24,
        0x5d926aef, 0xbf6d82ed, 0x1a9a0100, 0x403b384c, 0xa7ff4baa, 0x3c469ae3,
        0xabae7931, 0x3e535f7f, 0xa54d9b11, 0x57f08ded, 0xbbee7451, 0xbfa82285,
        0xafab0859, 0x796a1d75, 0xdc0194b4, 0xa13d17f0, 0x109e4ef8, 0x09682ab4,
    },
    {
        0x3eb6ebf2, 0x5901bac5, 0x5b71e7bd, 0x7de885f9, 0x6a9fea40, 0xe22ce0da,
        0xde8e9d9f, 0x251269d9, 0x64ae4945, 0x9a395d94, 0xc16fa316, 0xe960c68f,
        0x8f0af089, 0xc1c793e6, 0x83d070ea, 0xc0e660de, 0x67a2add0, 0xf8fca695,
        0xfda27231, 0x5756f724, 0x023448d5, 0xeb389c81, 0xf848738f, 0xcf96f2cb,
    },
    {
        0x5bd86507, 0x937bc239, 0xc5519091, 0x6e7f2241, 0x9ec21cbb, 0xd72a2ae6,
        0x2399f2e5, 0x19a48470, 0x32662c10, 0x1cfee06b, 0x6e667254, 0x0067b9e9,
        0x430b7703, 0xbd7d0d30, 0x243ead56, 0x9a49ceae, 0xdf3ba66b, 0x60e2f380,
        0xefde15b2, 0x439c36ac, 0xeffb490b, 0x0171c14a, 0xdb75285c, 0xa4e87b3a,
    },
    {
        0x76b19c15, 0x86ed3da2, 0xb7f222f6, 0x5e1d4681, 0xb70a0ac3, 0x930e6f80,
        0x71678b73, 0x74b12384, 0xfd4e2c8b, 0xc495a8b6, 0x43e4097c, 0x635230c1,
        0x6770f407, 0x7e9e0009, 0xeb6c2f1b, 0x431146de, 0xbc89a3a9, 0xa0d94db2,
        0xb75ff501, 0x04366583, 0xa99b6e84, 0x83b4ba9c, 0x6fe9362d, 0xf0aa3bc8,
    },
    {
        0x8f005d5e, 0xf7f59f9b, 0x5c835e16, 0x65c43747, 0x918a67e0, 0x652b375c,
        0xf53da46d, 0x13389eb2, 0x3669dcd3, 0x918d712b, 0x66cd7dd3, 0x073d6a58,
        0x29c4ed1d, 0x7e523acc, 0x358f6440, 0xa4333141, 0xb537a129, 0x70b8e8b1,
        0x4c84abda, 0x2b7c78e3, 0xa6e8474a, 0xfffebb46, 0x1d3c5168, 0xed9c5298,
    },
    {
        0xa4bc7d19, 0x34f70924, 0x19a87f2a, 0x457dac9e, 0xe3f08689, 0xeeb2b9e7,
        0x21486665, 0x8cc4ef3a, 0xa7f7b7db, 0x933cb84f, 0x5762206e, 0xd3d024b3,
        0x91742ccc, 0xe782285a, 0xc8ea0ca4, 0x5480f6ce, 0x4ff82399, 0x830a6228,
        0x79d89bd1, 0x44030fce, 0xc4c7dc64, 0xe0a3faa2, 0xfc9e6b9a, 0xd3bec7b9,
    },
    {
        0xb8053e2b, 0xc2319e73, 0xcb2da552, 0x10a4443d, 0x3d7aecc1, 0x14c79a80,
        0xa012155f, 0x64cae530, 0x4655f065, 0xcec98182, 0x49c49ec7, 0x2668272c,
        0xe8c53e21, 0x4380781c, 0x38257e41, 0x945e8cf3, 0xb4ed0b1b, 0x38a6203d,
        0x146cd2b2, 0x4e757ad2, 0xf67a0a71, 0x9d2b4cea, 0x8817ff1d, 0x952a0849,
    },
    {
        0xc90fdaa2, 0x2168c234, 0xc4c6628b, 0x80dc1cd1, 0x29024e08, 0x8a67cc74,
        0x020bbea6, 0x3b139b22, 0x514a0879, 0x8e3404dd, 0xef9519b3, 0xcd3a431b,
        0x302b0a6d, 0xf25f1437, 0x4fe1356d, 0x6d51c245, 0xe485b576, 0x625e7ec6,
        0xf44c42e9, 0xa637ed6b, 0x0bff5cb6, 0xf406b7ed, 0xee386bfb, 0x5a899fa5,
    },
};

// ---------------------------------------------------------------------------
// Fast path of sine and cosine, for 2^-27 <= |x| <= 4.
//
// x = j*pi/256 + r with j the integer nearest x*256/pi and |r| <= pi/512
// (plus 2^-40 of it for the rounding of x*256/pi), so |r| <= 0.00614 and
// r^2 <= 3.77e-5 < 2^-14.69. Then
//   sin x = s cos r + c sin r,   s = sin(j pi/256), c = cos(j pi/256),
//         = s + c r - s r^2/2 + c r^3 P(r^2) + s r^4 Q(r^2)
// with P = -1/6 + z/120 - z^2/5040 and Q = 1/24 - z/720, the Taylor series
// of sin r and cos r cut after r^7 and r^6. Cosine is the sine of x + pi/2,
// that is j + 128 with the same r.
//
// Error bound, relative to R = |sin x|. Two facts bound the terms by R: let
// d be the distance from x to the nearest multiple of pi. If s = 0 then
// d = |r| and R >= |r| (1 - r^2/6); otherwise j pi/256 is at least pi/256
// from every multiple of pi, so |r| <= d, |s| <= d + |r| <= 2d, and
// R = sin d >= 0.998 d for d <= 0.1 (R >= 16 |r| beyond). Hence
// |c r| <= 1.002 R and |s| <= 2.004 R.
//   - Reduction: j*kC1 and j*kC2 are exact, the two differences with them
//     are kept exactly (TwoSum), and what remains is the rounding of j*kC3
//     and of one sum of tiny parts, plus j*delta: under 2^-140 in all. Where
//     s = 0 (x near 0 or +-pi; cosine: near +-pi/2), R >= 2^-55 for every
//     double x, so this is below 2^-85 R.
//   - Table entries: 2^-106 relative; c r and s r^2/2 are formed exactly
//     from their leading parts (TwoProduct) and the neglected cross terms
//     are below 2^-100 R.
//   - Truncation: r^9/9! <= 2^-77 r in sin r and r^8/8! <= 2^-74.06 in
//     cos r; weighted by |c r| <= 1.002 R and |s| <= 2.004 R: 2^-73.0 R.
//   - The term c r^3 P, at most 1.002 R r^2/6 <= 2^-17.27 R, is evaluated in
//     double: r^2 as rh^2 rounded (3u, as |rl| <= u |rh|), c r as c.hi*rh
//     rounded (3u), P (its rounded -1/6 and last sum: 2u), then two
//     products and one sum (3u): 11u = 2^-49.54, so 2^-66.81 R. The
//     term s r^4 Q, below 2^-33 R, adds under 2^-80 R.
//   - Sums: the two leading sums are exact (TwoSum); the low parts, of
//     order 2^-50 R, add about 2^-101 R; the last sum with the term above
//     rounds once: u 2^-17.27 R = 2^-70.27 R.
// Total 2^-66.81 + 2^-70.27 + 2^-73.0 + smaller < 2^-66.66 R, which with
// hi = R (1 +- 2^-52) and the rounding of lo +- bound (2^-106) stays under
// 2^-66 |hi|.

// The series of sin r - r = r^3 (P1 + P2 r^2 + P3 r^4) and
// cos r - 1 + r^2/2 = r^4 (Q1 + Q2 r^2), Taylor's coefficients rounded.
constexpr double kSinP1 = -1.0 / 6, kSinP2 = 1.0 / 120, kSinP3 = -1.0 / 5040;
constexpr double kCosQ1 = 1.0 / 24, kCosQ2 = -1.0 / 720;

// s cos r + c sin r for r = rh + rl, |r| <= 2^-7 and |rl| <= u |rh|.
inline DoubleDouble SineOfSum(DoubleDouble s, DoubleDouble c, double rh, double rl) {
    const DoubleDouble z = TwoProduct(rh, rh);  // r^2 = z + 2 rh rl + rl^2
    // c r, exactly in its leading part.
    DoubleDouble cr = TwoProduct(c.hi, rh);
    cr.lo += c.hi * rl + c.lo * rh;
    // -s r^2/2 likewise (halving is exact).
    DoubleDouble sr2 = TwoProduct(s.hi, -0.5 * z.hi);
    sr2.lo -= 0.5 * (s.hi * (z.lo + 2 * rh * rl) + s.lo * z.hi);
    // The rest of both series, small enough for plain double.
    const double zh = z.hi;
    const double p = kSinP1 + zh * (kSinP2 + zh * kSinP3);
    const double q = kCosQ1 + zh * kCosQ2;
    const double tail = zh * ((c.hi * rh) * p + (s.hi * zh) * q);

    const DoubleDouble u = TwoSum(s.hi, cr.hi);
    const DoubleDouble v = TwoSum(u.hi, sr2.hi);
    const double lo = ((s.lo + cr.lo) + (sr2.lo + (u.lo + v.lo))) + tail;
    return FastTwoSum(v.hi, lo);
}

// Sine and cosine for x = j pi/256 + r: quadrant = j + 128 gives the
// cosine.
DoubleDouble SineOfShifted(double x, int quarterTurnShift) {
    const double jd = (x * k256OverPi + kRoundToInteger) - kRoundToInteger;
    // x - j*kC1 is exact: for j != 0 Sterbenz's lemma applies, except for
    // j = +-1 with x just below kC1/2, where the difference lands in x's
    // own binade. The difference with j*kC2 is kept exactly, and the last
    // part only adds to the low word (|r| >= 2^-55 > 2^10 |j kC3|).
    const double a = x - jd * kPiOver256Part1;
    const DoubleDouble b = TwoSum(a, -jd * kPiOver256Part2);
    const DoubleDouble r = FastTwoSum(b.hi, b.lo - jd * kPiOver256Part3);
    const double rh = r.hi, rl = r.lo;

    // j pi/256 = quadrant pi/2 + m pi/256 with m in 0..127, and the table
    // holds sin(m pi/256) for m = 0..128, cos(m pi/256) = sin((128-m) pi/256).
    // Quadrant 0: s = sin m, c = cos m; 1: cos m, -sin m; 2: -sin m,
    // -cos m; 3: -cos m, sin m. Chosen without branches: the quadrant of an
    // angle is not predictable.
    const int index = (static_cast<int>(jd) + quarterTurnShift) & 511;
    const int quadrant = index >> 7, m = index & 127;
    const int sineIndex = (quadrant & 1) != 0 ? 128 - m : m;
    static constexpr double kSineSign[4] = {1, 1, -1, -1}, kCosineSign[4] = {1, -1, -1, 1};
    const double sineSign = kSineSign[quadrant], cosineSign = kCosineSign[quadrant];
    const DoubleDouble s = {sineSign * kSinTable[sineIndex].hi, sineSign * kSinTable[sineIndex].lo};
    const DoubleDouble c = {cosineSign * kSinTable[128 - sineIndex].hi,
                            cosineSign * kSinTable[128 - sineIndex].lo};

    return SineOfSum(s, c, rh, rl);
}

// Sine and cosine near the table of j/64, for |x| < 3 (cosine: not within
// 1/64 of +-pi/2, where the result is small and the table's point would
// cancel against the correction).
//
// x = j/64 + r with j the integer nearest 64 |x|: both steps are exact, so
// |r| <= 1/128 exactly, r^2 <= 2^-14. With s and c the table's sine and
// cosine of j/64 (cosine: s = cos(j/64), c = -sin(j/64)) the series of
// SineOfSum give the result, and the error bound above carries over with
// these changes: no reduction error; the relations |c r| <= 1.002 R and
// |s| <= 2.004 R hold as before (the distance d from x to the function's
// nearest zero is at least 1/128 >= |r| for j >= 1, and s = 0 for j = 0);
// c r^3 P is at most 2^-16.58 R and is evaluated with 8u (r^2 rounded: u;
// c r: 2u; P: 2u; three more: 3u), so 2^-66.58 R; truncation 2^-74.5 R in
// the sine's series and 2^-70.3 R in the cosine's; the last sum
// u 2^-16.58 R = 2^-69.58 R. Total under 2^-66.31 R, so within 2^-66 |hi|.
DoubleDouble SineOrCosineNearTable(double x, bool cosine) {
    const double ax = std::fabs(x);
    const double jd = (ax * 64 + kRoundToInteger) - kRoundToInteger;
    const double r = ax - jd * (1.0 / 64);
    const SineAndCosine& entry = kSinCosSixtyFourths[static_cast<int>(jd)];
    if (cosine) return SineOfSum(entry.cosine, {-entry.sine.hi, -entry.sine.lo}, r, 0);
    const DoubleDouble v = SineOfSum(entry.sine, entry.cosine, r, 0);
    return x < 0 ? DoubleDouble{-v.hi, -v.lo} : v;
}

// A quicker first try near the table, in plain double: the leading terms
// s + c r - s r^2/2 + (series tail) summed without the exact products, with
// an error bound worked out for the argument at hand. Writing u = 2^-53:
// c r is off by its rounding and the neglected c.lo r (2.01u |cr|);
// -s r^2/2 by three roundings and the neglected s.lo (3.01u |b|); the tail
// by 8u of itself, under 2^-13.5 u |cr| + 2^-29.5 u |s|; the three sums
// by u |cr + b|, u |s.lo + cr + b| and u |lo|; the rounding test's own
// lo -+ bound by u (|lo| + bound); truncation by 2^-74 |cr| + 2^-71 |s|;
// the table by 2^-106 |s|. In all under
//   u (4 |cr| + 6 |b| + 10 |tail| + 2 |lo|) + 2^-70 |s| + 2^-73 |hi|,
// which leaves room for the rounding of the bound itself. Where that is
// too wide to decide the rounding (for about one argument in ten),
// the double-double evaluation follows.
DELVARO_INLINE bool QuickSineOrCosineNearTable(double x, bool cosine, double& rounded) {
    const double ax = std::fabs(x);
    const double jd = (ax * 64 + kRoundToInteger) - kRoundToInteger;
    const double r = ax - jd * (1.0 / 64);
    const SineAndCosine& entry = kSinCosSixtyFourths[static_cast<int>(jd)];
    const DoubleDouble s = cosine ? entry.cosine : entry.sine;
    const double c = cosine ? -entry.sine.hi : entry.cosine.hi;
    const double z = r * r;
    const double cr = c * r;
    const double b = s.hi * (-0.5 * z);
    const double p = kSinP1 + z * (kSinP2 + z * kSinP3);
    const double q = kCosQ1 + z * kCosQ2;
    // The tail, the last term ready, is added last.
    const double tail = (cr * z) * p + ((s.hi * z) * z) * q;
    // Next to zero (sine, j = 0) c r = r is exact and leads: only the tail
    // is then left in lo, and its own error (9u of it) and the truncation
    // (2^-74 of r) count.
    const bool leadExact = s.hi == 0;
    const double hi = leadExact ? cr : s.hi;
    const double lead = leadExact ? 0 : cr;
    const double lo = (s.lo + (lead + b)) + tail;
    const double bound =
        0x1p-53 * (((4 * std::fabs(lead) + 6 * std::fabs(b)) + 10 * std::fabs(tail)) +
                   2 * std::fabs(lo)) +
        0x1p-70 * std::fabs(s.hi) + 0x1p-73 * std::fabs(hi);
    const double low = hi + (lo - bound);
    const double high = hi + (lo + bound);
    // hi + lo lies between the two ends, so it rounds alike when they do;
    // taken from hi + lo, the result does not wait for the bound.
    const double value = hi + lo;
    rounded = !cosine && x < 0 ? -value : value;
    return low == high;
}

DELVARO_INLINE bool NearTable(double x, bool cosine) {
    const double ax = std::fabs(x);
    return ax < 3 &&
           !(cosine && ax > 1.5707963267948966 - 1.0 / 64 && ax < 1.5707963267948966 + 1.0 / 64);
}

// ---------------------------------------------------------------------------
// Fast path of the arctangent, for 2^-27 <= |x| < 2^54.
//
// For |x| > 1, atan|x| = pi/2 - atan(1/|x|); so y = |x| or 1/|x| is in
// (0, 1]. With c = k/256 the multiple of 1/256 nearest y:
//   atan y = atan c + atan t,   t = (y - c) / (1 + y c),   |t| <= 2^-9,
//   atan t = t + t^3 (-1/3 + t^2/5 - t^4/7 + t^6/9)   (cut after t^9),
// and for y = 1/|x|, t = (1 - c |x|) / (|x| + c): the rounded 1/|x| only
// chooses k.
//
// Error bound, relative to R = atan y (and then to pi/2 - R >= R when x is
// inverted, which scales every error below by at most 1):
//   - The numerator is exact: y - c by Sterbenz's lemma (|y - c| <= 1/512
//     <= c/2 for k >= 1), 1 - c|x| as the exact product c|x| (TwoProduct)
//     is within [2/3, 2]; the denominator 1 + y c or |x| + c is exact as a
//     double-double but for the rounding of its low part (2^-105), and the
//     quotient t is double-double with an error below 2^-100 R. For k >= 1, R >= atan(1/512) >
//     0.99999 |t|; for k = 0, t = y and R >= |t| (1 - t^2/3): so |t| <= 1.00001 R.
//   - Table entry atan c: 2^-106 relative.
//   - Truncation: t^11/11 <= 2^-93.4 |t|.
//   - The tail t^3 (...) is at most |t| t^2/3 <= 2^-19.58 |t|, evaluated in
//     double from th (not t: 3u, as |tl| <= u |th|), its rounded square
//     (u), -1/3 rounded (u), the last sum of the polynomial (u) and two
//     products (2u): 8u = 2^-50, so 2^-69.58 R.
//   - Sums: the leading sum is exact (FastTwoSum, |atan c| >= |t| for
//     k >= 1); the low parts add once with the tail: u 2^-19.58 R =
//     2^-72.58 R; the subtraction from pi/2 rounds its low part once more
//     (2^-72.58) and pi/2 itself is off by 2^-108.
// Total 2^-69.58 + 2 * 2^-72.58 + smaller < 2^-69.2 R, under 2^-68 |hi|
// with everything the rounding test adds.

// atan t - t = t^3 (A3 + A5 t^2 + A7 t^4 + A9 t^6), Taylor's coefficients
// rounded.
constexpr double kA3 = -1.0 / 3, kA5 = 1.0 / 5, kA7 = -1.0 / 7, kA9 = 1.0 / 9;

DoubleDouble ArcTangentOfMagnitude(double ax) {
    const bool inverted = ax > 1;
    // y only chooses k; t comes from ax itself.
    const double y = inverted ? 1 / ax : ax;
    const double kd = (y * 256 + kRoundToInteger) - kRoundToInteger;
    const int k = static_cast<int>(kd);
    const double c = kd * (1.0 / 256);  // exact, at most 9 significant bits
    // t = (y - c) / (1 + y c) as (nh + nl) / (d.hi + d.lo), with y = 1/ax
    // when inverted: t = (1 - c ax) / (ax + c).
    double nh = 0, nl = 0;
    DoubleDouble d;
    if (!inverted) {
        nh = ax - c;  // exact
        const DoubleDouble cy = TwoProductOfShort(c, ax);
        d = FastTwoSum(1, cy.hi);  // c y <= 1
        d.lo += cy.lo;
    } else {
        // c ax lies in [2/3, 2] for k >= 1, so 1 - c ax is exact.
        const DoubleDouble cx = TwoProductOfShort(c, ax);
        nh = 1 - cx.hi;
        nl = -cx.lo;
        d = TwoSum(ax, c);
    }
    // A first quotient, then the exact residual of its product.
    const double th = (nh + nl) / d.hi;
    const DoubleDouble q = TwoProduct(th, d.hi);
    const DoubleDouble t = FastTwoSum(th, ((((nh - q.hi) - q.lo) + nl) - th * d.lo) * (1 / d.hi));
    const double z = t.hi * t.hi;
    const double tail = (t.hi * z) * ((kA3 + z * kA5) + (z * z) * (kA7 + z * kA9));

    const DoubleDouble& a = kArcTangentTable[k];
    const DoubleDouble sum = FastTwoSum(a.hi, t.hi);
    double hi = sum.hi;
    double lo = ((a.lo + t.lo) + sum.lo) + tail;
    if (inverted) {
        const DoubleDouble rest = FastTwoSum(kHalfPiHi, -hi);
        hi = rest.hi;
        lo = (kHalfPiLo - lo) + rest.lo;
    }
    return FastTwoSum(hi, lo);
}

// A quicker first try of the arctangent in plain double, as for the sine:
// t from one rounded product, sum and quotient (3.01u |t|: the numerator
// is exact, or 1 - c|x| exact but for the low part of c|x|, one rounding;
// the denominator rounds twice at most, the quotient once), the tail off
// by under 2^-15 u |t|, the two sums by u |lo + t| and u |lo|, the
// rounding test's lo -+ bound by u (|lo| + bound), truncation 2^-93 |t|,
// the table and pi/2 by 2^-103 |hi|: in all under
//   u (5 |t| + 17 |tail| + 2 |lo|) + 2^-92 |hi|.
DELVARO_INLINE bool QuickArcTangentOf(double x, double& rounded) {
    const double ax = std::fabs(x);
    const bool inverted = ax > 1;
    const double y = inverted ? 1 / ax : ax;
    const double kd = (y * 256 + kRoundToInteger) - kRoundToInteger;
    const double c = kd * (1.0 / 256);
    const DoubleDouble& a = kArcTangentTable[static_cast<int>(kd)];
    double t = 0, hi = 0, lo = 0;
    if (!inverted) {
        t = (ax - c) / (1 + c * ax);
        hi = a.hi;
        lo = a.lo;
    } else {
        // pi/2 - atan c - atan t, with t = (1 - c|x|) / (|x| + c).
        const DoubleDouble cx = TwoProductOfShort(c, ax);
        t = -(((1 - cx.hi) - cx.lo) / (ax + c));
        const DoubleDouble rest = TwoSum(kHalfPiHi, -a.hi);
        hi = rest.hi;
        lo = (rest.lo + kHalfPiLo) - a.lo;
    }
    const double z = t * t;
    const double tail = (t * z) * ((kA3 + z * kA5) + (z * z) * (kA7 + z * kA9));
    // Below 1/512 (k = 0) t = |x| is exact and leads: only the tail is then
    // left in lo, with its own error (17u of it: 8u, and 9u from t^3).
    double lead = t;
    if (!inverted && hi == 0) {
        hi = t;
        lead = 0;
    }
    lo = (lo + lead) + tail;
    const double bound =
        0x1p-53 * ((5 * std::fabs(lead) + 17 * std::fabs(tail)) + 2 * std::fabs(lo)) +
        0x1p-92 * std::fabs(hi);
    const double low = hi + (lo - bound);
    const double high = hi + (lo + bound);
    const double value = hi + lo;  // rounds as both ends do when they agree
    rounded = x < 0 ? -value : value;
    return low == high;
}

}  // namespace

bool QuickSine(double x, double& rounded) {
    return NearTable(x, false) && QuickSineOrCosineNearTable(x, false, rounded);
}
bool QuickCosine(double x, double& rounded) {
    return NearTable(x, true) && QuickSineOrCosineNearTable(x, true, rounded);
}
bool QuickArcTangent(double x, double& rounded) { return QuickArcTangentOf(x, rounded); }

DoubleDouble FastSine(double x) {
    return NearTable(x, false) ? SineOrCosineNearTable(x, false) : SineOfShifted(x, 0);
}
DoubleDouble FastCosine(double x) {
    return NearTable(x, true) ? SineOrCosineNearTable(x, true) : SineOfShifted(x, 128);
}

DoubleDouble FastArcTangent(double x) {
    const DoubleDouble v = ArcTangentOfMagnitude(std::fabs(x));
    return x < 0 ? DoubleDouble{-v.hi, -v.lo} : v;
}

// ---------------------------------------------------------------------------
// Slow path: fixed-point numbers of 32-bit limbs, least significant first,
// with `fraction` limbs after the binary point and two before it. Every
// operation truncates, losing less than one unit of the last limb
// (2^(-32 fraction)); the error bounds below count those units.

namespace {

constexpr int kMaxFraction = 24;
constexpr int kMaxLimbs = kMaxFraction + 2;

struct Fixed {
    int fraction;
    uint32_t limb[kMaxLimbs];

    explicit Fixed(int fractionLimbs) : fraction(fractionLimbs), limb() {}
    int Size() const { return fraction + 2; }
    bool IsZero() const {
        for (int i = 0; i < Size(); ++i)
            if (limb[i] != 0) return false;
        return true;
    }
};

Fixed Integer(int fraction, uint32_t value) {
    Fixed a(fraction);
    a.limb[fraction] = value;
    return a;
}

// m * 2^(exponent), truncated below the last limb; m * 2^exponent < 2^64.
Fixed ScaledInteger(int fraction, uint64_t m, int exponent) {
    Fixed a(fraction);
    int shift = exponent + 32 * fraction;  // bit position of m's lowest bit
    if (shift < 0) {
        m = shift > -64 ? m >> -shift : 0;
        shift = 0;
    }
    const int index = shift / 32, bits = shift % 32;
    const uint64_t low = m << bits;
    const uint64_t high = bits == 0 ? 0 : m >> (64 - bits);
    const uint32_t parts[3] = {static_cast<uint32_t>(low), static_cast<uint32_t>(low >> 32),
                               static_cast<uint32_t>(high)};
    for (int i = 0; i < 3; ++i) {
        if (index + i < a.Size()) {
            a.limb[index + i] = parts[i];
        } else {
            assert(parts[i] == 0);
        }
    }
    return a;
}

// Limbs of a constant stored most significant first after the point.
Fixed FromFractionLimbs(int fraction, uint32_t integer, const uint32_t* limbs) {
    Fixed a = Integer(fraction, integer);
    for (int i = 0; i < fraction; ++i) a.limb[fraction - 1 - i] = limbs[i];
    return a;
}

bool Less(const Fixed& a, const Fixed& b) {
    for (int i = a.Size() - 1; i >= 0; --i)
        if (a.limb[i] != b.limb[i]) return a.limb[i] < b.limb[i];
    return false;
}

Fixed Add(const Fixed& a, const Fixed& b) {
    Fixed r(a.fraction);
    uint64_t carry = 0;
    for (int i = 0; i < a.Size(); ++i) {
        carry += static_cast<uint64_t>(a.limb[i]) + b.limb[i];
        r.limb[i] = static_cast<uint32_t>(carry);
        carry >>= 32;
    }
    assert(carry == 0);
    return r;
}

// a - b for a >= b.
Fixed Subtract(const Fixed& a, const Fixed& b) {
    Fixed r(a.fraction);
    uint64_t borrow = 0;
    for (int i = 0; i < a.Size(); ++i) {
        const uint64_t d = static_cast<uint64_t>(a.limb[i]) - b.limb[i] - borrow;
        r.limb[i] = static_cast<uint32_t>(d);
        borrow = d >> 63;
    }
    assert(borrow == 0);
    return r;
}

// a * b, truncated; the product must stay below 2^64.
Fixed Multiply(const Fixed& a, const Fixed& b) {
    const int n = a.Size();
    // Only b's limbs up to its highest non-zero one take part (the series'
    // small terms and factors below 1 leave the top limbs zero).
    int bSize = n;
    while (bSize > 0 && b.limb[bSize - 1] == 0) --bSize;
    uint32_t product[2 * kMaxLimbs] = {};
    for (int i = 0; i < n; ++i) {
        if (a.limb[i] == 0) continue;
        uint64_t carry = 0;
        for (int j = 0; j < bSize; ++j) {
            carry += static_cast<uint64_t>(a.limb[i]) * b.limb[j] + product[i + j];
            product[i + j] = static_cast<uint32_t>(carry);
            carry >>= 32;
        }
        product[i + bSize] = static_cast<uint32_t>(carry);
    }
    Fixed r(a.fraction);
    for (int i = 0; i < n; ++i) r.limb[i] = product[a.fraction + i];
    for (int i = a.fraction + n; i < 2 * n; ++i) assert(product[i] == 0);
    return r;
}

Fixed MultiplySmall(const Fixed& a, uint32_t v) {
    Fixed r(a.fraction);
    uint64_t carry = 0;
    for (int i = 0; i < a.Size(); ++i) {
        carry += static_cast<uint64_t>(a.limb[i]) * v;
        r.limb[i] = static_cast<uint32_t>(carry);
        carry >>= 32;
    }
    assert(carry == 0);
    return r;
}

Fixed DivideSmall(const Fixed& a, uint32_t v) {
    Fixed r(a.fraction);
    uint64_t rest = 0;
    for (int i = a.Size() - 1; i >= 0; --i) {
        rest = (rest << 32) | a.limb[i];
        r.limb[i] = static_cast<uint32_t>(rest / v);
        rest %= v;
    }
    return r;
}

int Bit(const Fixed& a, int index) {
    return index < 0 ? 0 : static_cast<int>((a.limb[index / 32] >> (index % 32)) & 1);
}

// The double nearest a (ties to even), for a between 2^-1000 and 2^63.
double RoundToDouble(const Fixed& a) {
    int top = 32 * a.Size() - 1;
    while (top >= 0 && Bit(a, top) == 0) --top;
    if (top < 0) return 0;
    uint64_t mantissa = 0;
    for (int i = top; i > top - 53; --i) mantissa = (mantissa << 1) | Bit(a, i);
    const int roundBit = top - 53;
    bool sticky = false;
    for (int i = roundBit - 1; i >= 0 && !sticky; --i) sticky = Bit(a, i) != 0;
    if (Bit(a, roundBit) != 0 && (sticky || (mantissa & 1) != 0)) ++mantissa;
    return std::ldexp(static_cast<double>(mantissa), top - 52 - 32 * a.fraction);
}

// Ziv's test: the exact value lies within 2^(32 (errorLimb - fraction)) of
// `a`; when both ends of that interval round to the same double, that
// double is the correctly rounded value and `rounded` receives it. The last
// precision tried takes the rounding of `a` whatever the test says.
bool RoundIfSafe(const Fixed& a, int errorLimb, bool last, double& rounded) {
    Fixed error(a.fraction);
    error.limb[errorLimb] = 1;
    const double low = RoundToDouble(Subtract(a, error));
    const double high = RoundToDouble(Add(a, error));
    rounded = last ? RoundToDouble(a) : low;
    return last || low == high;
}

// x = m 2^e with m < 2^53 an integer.
void Decompose(double x, uint64_t& m, int& e) {
    int exponent = 0;
    const double fraction = std::frexp(std::fabs(x), &exponent);
    m = static_cast<uint64_t>(std::ldexp(fraction, 53));
    e = exponent - 53;
}

// Bits k .. k+31 of 2/pi = sum of b_k 2^-k (k >= 1), most significant
// first; bits at k <= 0 are zero.
uint32_t TwoOverPiBits(int k) {
    const int index = k - 1;  // 0 is the top bit of the first limb
    if (index <= -32) return 0;
    const int word = index >= 0 ? index / 32 : -1;
    const int shift = index - 32 * word;
    assert(word + 1 < static_cast<int>(sizeof kTwoOverPiLimbs / sizeof kTwoOverPiLimbs[0]));
    const uint64_t high = word >= 0 ? kTwoOverPiLimbs[word] : 0;
    const uint64_t window = (high << 32) | kTwoOverPiLimbs[word + 1];
    return static_cast<uint32_t>((window << shift) >> 32);
}

// The precisions tried, in fraction limbs of the result. The first, 160
// bits, gives results of at least 2^-62 (every result here) a relative
// error below 2^-98; the doubles whose sine, cosine or arctangent lies
// closest to a rounding boundary come within about 2^-125 of it, relative,
// and those few take the second try, 512 bits.
constexpr int kTrialPrecisions[] = {5, 16};
constexpr int kLastPrecision = 16;

// Sine or cosine of a finite x with |x| >= 2^-27.
//
// Reduction (Payne and Hanek): x = m 2^e, and x 2/pi mod 4 = m (2^e 2/pi
// mod 4) mod 4, since m is an integer; so only the bits of 2/pi from 2^(e+1)
// down are needed, taken to f = n + 4 fraction limbs. Their truncation,
// times m < 2^53, is below 2^(53 - 32f), far under 2^(-32n). Then
// x 2/pi = q + y with q the quadrant and |y| <= 1/2, and r = y pi/2.
// Taylor series of sin r or cos r, |r| <= pi/4, to the first term that
// truncates to zero: each term costs two truncations and the terms shrink,
// so the total error stays below a few hundred units of 2^(-32f), that is
// below 2^(-32n). The result is at least 2^-62 in magnitude (no double lies
// closer than that to a multiple of pi/2), so 2^(-32n) is a tiny relative
// error.
double AccurateSineOrCosine(double x, bool cosine) {
    uint64_t m = 0;
    int e = 0;
    Decompose(x, m, e);
    double result = 0;
    for (const int n : kTrialPrecisions) {
        const int f = n + 4;
        // h = 2^e 2/pi mod 4: limb i holds the weights 2^(32(i - f)) and up,
        // bits k = e - 32(i - f) - 31 .. of 2/pi.
        Fixed h(f);
        for (int i = 0; i < h.Size(); ++i) h.limb[i] = TwoOverPiBits(e - 32 * (i - f) - 31);
        h.limb[f] &= 3;
        h.limb[f + 1] = 0;
        // m h = (m mod 2^32) h + (m div 2^32) (2^32 h), each below 2^56.
        Fixed shifted(f);
        for (int i = 1; i < h.Size(); ++i) shifted.limb[i] = h.limb[i - 1];
        Fixed y = Add(MultiplySmall(h, static_cast<uint32_t>(m)),
                      MultiplySmall(shifted, static_cast<uint32_t>(m >> 32)));
        unsigned quadrant = y.limb[f] & 3;
        y.limb[f] = y.limb[f + 1] = 0;
        bool negative = false;
        if ((y.limb[f - 1] >> 31) != 0) {  // y >= 1/2: take y - 1
            quadrant = (quadrant + 1) & 3;
            y = Subtract(Integer(f, 1), y);
            negative = true;
        }
        const Fixed r = Multiply(y, FromFractionLimbs(f, 1, kHalfPiFractionLimbs));
        // sin x = sin(q pi/2 + r): q = 0: sin r, 1: cos r, 2: -sin r,
        // 3: -cos r; cos x = sin(x + pi/2) is one quadrant on.
        if (cosine) quadrant = (quadrant + 1) & 3;
        const bool seriesOfSine = (quadrant & 1) == 0;
        const Fixed r2 = Multiply(r, r);
        Fixed term = seriesOfSine ? r : Integer(f, 1);
        Fixed plus = term, minus(f);
        for (uint32_t i = 1; !term.IsZero(); ++i) {
            const uint32_t k = seriesOfSine ? 2 * i : 2 * i - 1;
            term = DivideSmall(Multiply(term, r2), k * (k + 1));
            if (i % 2 == 1) {
                minus = Add(minus, term);
            } else {
                plus = Add(plus, term);
            }
        }
        if (RoundIfSafe(Subtract(plus, minus), f - n, n == kLastPrecision, result)) {
            const bool flip = (quadrant >= 2) != (seriesOfSine && negative);
            if (flip) result = -result;
            if (!cosine && x < 0) result = -result;
            break;
        }
    }
    return result;
}

// Arctangent of x with 2^-27 <= |x| < 2^54.
//
// y = |x| or 1/|x| (the latter by long division of integers) in (0, 1];
// c = k/8 nearest y, z = (y - c)/(1 + y c) with |z| <= 1/16, and
//   atan y = atan(k/8) + atan z,  atan z = z - z^3/3 + z^5/5 - ...
// to the first term that truncates to zero (eight bits a term). 1/(1 + y c)
// comes from Newton's iteration u' = u + u (1 - d u), which squares the
// relative error and adds a few units, from the double 1/d. The constants
// atan(k/8) and pi/2 are truncated to f limbs. With f = n + 2, the errors,
// a few hundred units of 2^(-32f), stay below 2^(-32n), and the result is
// at least 2^-28.
double AccurateArcTangentOfMagnitude(double ax) {
    uint64_t m = 0;
    int e = 0;
    Decompose(ax, m, e);
    const bool inverted = ax > 1;
    const double approximateY = inverted ? 1 / ax : ax;
    const uint32_t k = static_cast<uint32_t>(std::nearbyint(approximateY * 8));
    double result = 0;
    for (const int n : kTrialPrecisions) {
        const int f = n + 2;
        Fixed y(f);
        if (!inverted) {
            y = ScaledInteger(f, m, e);
        } else {
            // 1/ax = 2^-e / m: the bits of 1/m at 2^-1, 2^-2, ... land at
            // 2^-(i + e); e >= -52 here.
            uint64_t rest = 1;
            for (int i = 1; i <= 32 * f - e; ++i) {
                rest <<= 1;
                if (rest >= m) {
                    rest -= m;
                    const int position = 32 * f - (i + e);
                    if (position >= 0) y.limb[position / 32] |= uint32_t{1} << (position % 32);
                }
            }
        }
        Fixed z = y;
        bool subtract = false;
        if (k != 0) {
            const Fixed c = DivideSmall(Integer(f, k), 8);  // exact
            subtract = Less(y, c);
            const Fixed numerator = subtract ? Subtract(c, y) : Subtract(y, c);
            const Fixed d = Add(Integer(f, 1), Multiply(y, c));
            // Newton from the double 1/d: 52 good bits, doubling each time.
            uint64_t um = 0;
            int ue = 0;
            Decompose(1 / RoundToDouble(d), um, ue);
            Fixed u = ScaledInteger(f, um, ue);
            for (int bits = 50; bits < 32 * f + 8; bits = 2 * bits - 4) {
                const Fixed du = Multiply(d, u);
                const Fixed one = Integer(f, 1);
                if (Less(du, one)) {
                    u = Add(u, Multiply(u, Subtract(one, du)));
                } else {
                    u = Subtract(u, Multiply(u, Subtract(du, one)));
                }
            }
            z = Multiply(numerator, u);
        }
        // atan z by its series.
        const Fixed z2 = Multiply(z, z);
        Fixed power = z, plus = z, minus(f);
        for (uint32_t i = 1;; ++i) {
            power = Multiply(power, z2);
            if (power.IsZero()) break;
            const Fixed term = DivideSmall(power, 2 * i + 1);
            if (i % 2 == 1) {
                minus = Add(minus, term);
            } else {
                plus = Add(plus, term);
            }
        }
        Fixed atanZ = Subtract(plus, minus);
        Fixed value = atanZ;
        if (k != 0) {
            const Fixed base = FromFractionLimbs(f, 0, kArcTangentEighthsLimbs[k]);
            value = subtract ? Subtract(base, atanZ) : Add(base, atanZ);
        }
        if (inverted) value = Subtract(FromFractionLimbs(f, 1, kHalfPiFractionLimbs), value);
        if (RoundIfSafe(value, f - n, n == kLastPrecision, result)) break;
    }
    return result;
}

}  // namespace

double AccurateSine(double x) { return AccurateSineOrCosine(x, false); }
double AccurateCosine(double x) { return AccurateSineOrCosine(x, true); }
double AccurateArcTangent(double x) {
    const double v = AccurateArcTangentOfMagnitude(std::fabs(x));
    return x < 0 ? -v : v;
}

}  // namespace elementary_internal

namespace {

using elementary_internal::DoubleDouble;

// The rounding test of the fast paths: the exact value lies within
// bound |hi| of hi + lo (|lo| <= 2^-53 |hi|), and rounding is monotonic, so
// when hi + (lo - bound |hi|) and hi + (lo + bound |hi|) round alike the
// exact value rounds to the same double. The roundings of lo -+ bound |hi|
// (2^-106 |hi|) are inside the stated bounds.
bool RoundIfSafe(DoubleDouble v, double bound, double& rounded) {
    const double error = bound * std::fabs(v.hi);
    const double low = v.hi + (v.lo - error);
    const double high = v.hi + (v.lo + error);
    rounded = v.hi + v.lo;  // between the two ends: rounds alike when they do
    return low == high;
}

// The slow path takes thousands of operations, and its arguments come back:
// the latitude of a station passes through the same values each time the
// station is converted. Each slow routine remembers its last results, per
// thread, in a small table indexed by bits of the argument. The arguments
// that get here are at least 2^-27 in magnitude, so no entry's zero bits
// match one.
template <double (*Slow)(double)>
double Remembered(double x) {
    struct Entry {
        uint64_t bits;
        double value;
    };
    thread_local Entry entries[16] = {};
    const uint64_t bits = std::bit_cast<uint64_t>(x);
    Entry& entry = entries[(bits ^ (bits >> 13) ^ (bits >> 29)) & 15];
    if (entry.bits != bits) entry = {bits, Slow(x)};
    return entry.value;
}

}  // namespace

// Below 2^-26, sin x = x - x^3/6 + ... lies within x^3/6 < 2^-54.58 |x| of
// x: less than half the spacing of the doubles next to x (at least
// 2^-54 |x| below a power of two, 2^-53 |x| elsewhere), so x is the
// rounding. Subnormal x included: their sine is x too.
double SineRoundedToNearest(double x) {
    const double ax = std::fabs(x);
    if (ax < 0x1p-26) return x;
    if (!(ax <= 0x1.fffffffffffffp1023)) return x - x;  // NaN for NaN and +-infinity
    double rounded = 0;
    // The quick try is inlined here, with the choice of sine or cosine
    // known: it decides most arguments, and a call would cost a good part
    // of its work.
    if (ax < 3 && elementary_internal::QuickSineOrCosineNearTable(x, false, rounded))
        return rounded;
    if (ax <= 4 && RoundIfSafe(elementary_internal::FastSine(x),
                               elementary_internal::kSinCosFastBound, rounded))
        return rounded;
    return Remembered<elementary_internal::AccurateSine>(x);
}

// Below 2^-27, cos x = 1 - x^2/2 + ... lies within x^2/2 < 2^-55 of 1,
// less than half the spacing 2^-53 of the doubles below 1.
double CosineRoundedToNearest(double x) {
    const double ax = std::fabs(x);
    if (ax < 0x1p-27) return 1;
    if (!(ax <= 0x1.fffffffffffffp1023)) return x - x;
    double rounded = 0;
    if (elementary_internal::NearTable(x, true) &&
        elementary_internal::QuickSineOrCosineNearTable(x, true, rounded))
        return rounded;
    if (ax <= 4 && RoundIfSafe(elementary_internal::FastCosine(x),
                               elementary_internal::kSinCosFastBound, rounded))
        return rounded;
    return Remembered<elementary_internal::AccurateCosine>(x);
}

// Below 2^-27, atan x = x - x^3/3 + ... lies within x^2/3 < 2^-55.58 |x|
// of x, under half the spacing next to x: x is the rounding (the sign of
// zero kept). From 2^54 on, pi/2 - atan x <= 1/x <= 2^-54, and pi/2 lies
// 6.1e-17 above kHalfPiHi: the exact value is within 1.1e-16 (half the
// spacing there) of kHalfPiHi, which is the rounding; so for +-infinity.
double ArcTangentRoundedToNearest(double x) {
    const double ax = std::fabs(x);
    if (ax < 0x1p-27) return x;
    if (!(ax < 0x1p54)) {
        if (std::isnan(x)) return x + x;
        return x < 0 ? -elementary_internal::kHalfPiHi : elementary_internal::kHalfPiHi;
    }
    double rounded = 0;
    if (elementary_internal::QuickArcTangentOf(x, rounded) ||
        RoundIfSafe(elementary_internal::FastArcTangent(x),
                    elementary_internal::kArcTangentFastBound, rounded))
        return rounded;
    return Remembered<elementary_internal::AccurateArcTangent>(x);
}

}  // namespace delvaro
