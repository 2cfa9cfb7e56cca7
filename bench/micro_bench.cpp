// Micro-benchmarks of the conversion's hot parts. Run by hand:
//   build/bin/delvaro_micro_bench [--benchmark_filter=REGEX]
#include <benchmark/benchmark.h>

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/fixed_format.h"
#include "engine/geodesy.h"
#include "engine/number_parse.h"
#include "engine/output_writer.h"
#include "engine/ski_reader.h"

namespace {

using namespace delvaro;

constexpr double kA = 6378137.0;
constexpr double kE2 = 0.0066943799901413165;

// ECEF positions of stations near the surface, all over the globe.
std::vector<std::array<double, 3>> Stations(size_t count) {
    std::mt19937_64 random(1);
    std::uniform_real_distribution<double> latitude(-1.4, 1.4), longitude(-3.1, 3.1),
        height(-50, 3000);
    std::vector<std::array<double, 3>> stations;
    for (size_t i = 0; i < count; ++i) {
        const double phi = latitude(random), lambda = longitude(random), h = height(random);
        const double n = kA / std::sqrt(1 - kE2 * std::sin(phi) * std::sin(phi));
        stations.push_back({(n + h) * std::cos(phi) * std::cos(lambda),
                            (n + h) * std::cos(phi) * std::sin(lambda),
                            (n * (1 - kE2) + h) * std::sin(phi)});
    }
    return stations;
}

// The records of `count` baselines as an export writes them, CR LF ended:
// a comment, two antenna heights, from, to, covariance and description.
std::string SkiText(size_t count) {
    std::string text = "! export\r\n@%Unit: m\r\n@%Coordinate type: Cartesian\r\n";
    char line[512];
    const auto stations = Stations(count + 1);
    for (size_t i = 0; i < count; ++i) {
        const auto& from = stations[i];
        const auto& to = stations[i + 1];
        std::snprintf(line, sizeof line,
                      "! Baseline %zu\r\n@#Antenna height: PT%-6zu 1.5230\r\n"
                      "@#Antenna height: PT%-6zu 1.4870\r\n"
                      "@+PT%-13zu %13.4f %13.4f %13.4f\r\n@-PT%-13zu %10.4f %10.4f %10.4f\r\n"
                      "@= 1.0000 0.0000072782 -0.0000008293 0.0000011455 0.0000014888 "
                      "0.0000003138 0.0000009832\r\n@* 20260314 PT%zu-PT%zu\r\n",
                      i + 1, i, i + 1, i, from[0], from[1], from[2], i + 1, to[0] - from[0],
                      to[1] - from[1], to[2] - from[2], i, i + 1);
        text += line;
    }
    return text;
}

FILE* TemporaryFileWith(const std::string& text) {
    FILE* file = std::tmpfile();
    if (file == nullptr) std::abort();
    std::fwrite(text.data(), 1, text.size(), file);
    return file;
}

FILE* NullOutput() {
#ifdef _WIN32
    return std::fopen("NUL", "wb");
#else
    return std::fopen("/dev/null", "wb");
#endif
}

// Reading and splitting: every significant line of an SKI text, each split
// into the fields its record needs.
void BM_ReadAndSplitLines(benchmark::State& state) {
    const std::string text = SkiText(5000);
    FILE* file = TemporaryFileWith(text);
    char line[kSkiLineBufferSize];
    FieldTable fields;
    for (auto _ : state) {
        std::rewind(file);
        SkiInput input(file);
        int32_t lineNumber = 0;
        Status status = 0;
        while (ReadDataLine(input, kSkiLineBufferSize, line, &lineNumber, &status)) {
            const bool position = line[0] == '@' && (line[1] == '+' || line[1] == '-');
            if (line[0] == '@' && line[1] == '=')
                SplitFields(7, line + 2, fields, &status);
            else if (position && std::strlen(line) > 17)
                SplitFields(3, line + 17, fields, &status);
            else
                SplitFields(2, line, fields, &status);
        }
        benchmark::DoNotOptimize(lineNumber);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
    std::fclose(file);
}
BENCHMARK(BM_ReadAndSplitLines);

void BM_ReadLines(benchmark::State& state) {
    const std::string text = SkiText(5000);
    FILE* file = TemporaryFileWith(text);
    char line[kSkiLineBufferSize];
    for (auto _ : state) {
        std::rewind(file);
        SkiInput input(file);
        int32_t lineNumber = 0;
        Status status = 0;
        while (ReadDataLine(input, kSkiLineBufferSize, line, &lineNumber, &status)) {
        }
        benchmark::DoNotOptimize(lineNumber);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
    std::fclose(file);
}
BENCHMARK(BM_ReadLines);

const std::vector<std::string>& NumberFields() {
    static const std::vector<std::string> fields = {
        "4361564.4935", "556408.2668",  "-4605581.9993", "589.2084",      "1622.6942",
        "-782.4466",    "1.0000",       "7.278233e-06",  "-8.293309e-07", "1.145517e-06",
        "1.488796e-06", "3.137622e-07", "9.831721e-07"};
    return fields;
}

void BM_ParseDecimalNumber(benchmark::State& state) {
    const auto& fields = NumberFields();
    for (auto _ : state) {
        for (const std::string& field : fields) {
            double value;
            benchmark::DoNotOptimize(ParseDecimalNumber(field, value));
            benchmark::DoNotOptimize(value);
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * fields.size()));
}
BENCHMARK(BM_ParseDecimalNumber);

// For comparison: the C library's conversion of the same fields.
void BM_Strtod(benchmark::State& state) {
    const auto& fields = NumberFields();
    for (auto _ : state) {
        for (const std::string& field : fields)
            benchmark::DoNotOptimize(std::strtod(field.c_str(), nullptr));
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * fields.size()));
}
BENCHMARK(BM_Strtod);

void BM_EcefToGeodetic(benchmark::State& state) {
    const auto stations = Stations(1024);
    size_t i = 0;
    for (auto _ : state) {
        const auto& s = stations[i++ & 1023];
        double latitude, longitude, height;
        EcefToGeodetic(kA, kE2, s[0], s[1], s[2], latitude, longitude, height);
        benchmark::DoNotOptimize(latitude);
        benchmark::DoNotOptimize(longitude);
        benchmark::DoNotOptimize(height);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EcefToGeodetic);

// The engine's correctly rounded Sine, Cosine and ArcTangent beside the
// platform's sin, cos and atan, over the arguments the conversion forms:
// angles in [-pi, pi] and arctangent arguments of every size.
std::vector<double> TrigArguments(bool arcTangent) {
    std::mt19937_64 random(3);
    std::uniform_real_distribution<double> angle(-3.14159, 3.14159), exponent(-8, 8);
    std::vector<double> arguments(1024);
    for (double& a : arguments)
        a = arcTangent ? std::tan(angle(random) / 2) * std::pow(2.0, exponent(random) / 4)
                       : angle(random);
    return arguments;
}

template <double (*Function)(double), bool kArcTangent>
void BM_Trig(benchmark::State& state) {
    const auto arguments = TrigArguments(kArcTangent);
    size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(Function(arguments[i++ & 1023]));
    state.SetItemsProcessed(state.iterations());
}
double StdSin(double x) { return std::sin(x); }
double StdCos(double x) { return std::cos(x); }
double StdAtan(double x) { return std::atan(x); }
BENCHMARK(BM_Trig<Sine, false>)->Name("BM_Sine");
BENCHMARK(BM_Trig<StdSin, false>)->Name("BM_StdSin");
BENCHMARK(BM_Trig<Cosine, false>)->Name("BM_Cosine");
BENCHMARK(BM_Trig<StdCos, false>)->Name("BM_StdCos");
BENCHMARK(BM_Trig<ArcTangent, true>)->Name("BM_ArcTangent");
BENCHMARK(BM_Trig<StdAtan, true>)->Name("BM_StdAtan");

void BM_RadiansToPackedDms(benchmark::State& state) {
    std::mt19937_64 random(2);
    std::uniform_real_distribution<double> angle(-3.14, 3.14);
    std::vector<double> angles(1024);
    for (double& a : angles) a = angle(random);
    size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(RadiansToPackedDms(angles[i++ & 1023]));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RadiansToPackedDms);

// Values of the kinds the writer prints at each precision: packed angles
// (10), heights and vectors (5), covariance terms (12), constants (4, 7).
std::vector<double> ValuesFor(int decimals) {
    std::mt19937_64 random(static_cast<uint64_t>(decimals));
    std::uniform_real_distribution<double> mantissa(-1, 1);
    const double scale = decimals == 10 ? 180 : decimals == 5 ? 20000 : decimals == 12 ? 1e-5 : 1;
    std::vector<double> values(1024);
    for (double& v : values) v = mantissa(random) * scale;
    return values;
}

void BM_FormatFixed(benchmark::State& state) {
    const int decimals = static_cast<int>(state.range(0));
    const auto values = ValuesFor(decimals);
    char buffer[kFixedBufferSize];
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(FormatFixed(buffer, values[i++ & 1023], decimals));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FormatFixed)->Arg(4)->Arg(5)->Arg(7)->Arg(10)->Arg(12);

// For comparison: the library's fixed-notation conversions.
void BM_ToCharsFixed(benchmark::State& state) {
    const int decimals = static_cast<int>(state.range(0));
    const auto values = ValuesFor(decimals);
    char buffer[kFixedBufferSize];
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(std::to_chars(buffer, buffer + sizeof buffer, values[i++ & 1023],
                                               std::chars_format::fixed, decimals));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ToCharsFixed)->Arg(5)->Arg(10)->Arg(12);

void BM_Snprintf(benchmark::State& state) {
    const int decimals = static_cast<int>(state.range(0));
    const auto values = ValuesFor(decimals);
    char buffer[kFixedBufferSize];
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            std::snprintf(buffer, sizeof buffer, "%1.*lf", decimals, values[i++ & 1023]));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Snprintf)->Arg(5)->Arg(10)->Arg(12);

// One baseline: two geodetic conversions and three blocks of text, into a
// stream that discards them.
void BM_WriteBaseline(benchmark::State& state) {
    FILE* out = NullOutput();
    if (out == nullptr) std::abort();
    const auto stations = Stations(1025);
    std::vector<Baseline> baselines(1024);
    for (size_t i = 0; i < baselines.size(); ++i) {
        Baseline& b = baselines[i];
        std::snprintf(b.stationNames[0], sizeof b.stationNames[0], "PT%u",
                      static_cast<unsigned>(i));
        std::snprintf(b.stationNames[1], sizeof b.stationNames[1], "PT%u",
                      static_cast<unsigned>(i + 1));
        for (int axis = 0; axis < 3; ++axis) {
            b.stationXyz[0][axis] = stations[i][axis];
            b.stationXyz[1][axis] = stations[i + 1][axis];
            b.vector[axis] = stations[i + 1][axis] - stations[i][axis];
        }
        const double covariance[6] = {7.2e-06, -8.2e-07, 1.1e-06, 1.4e-06, 3.1e-07, 9.8e-07};
        for (int t = 0; t < 6; ++t) b.covariance[t] = covariance[t];
        b.description = "PT1-PT2 17";
    }
    Status status = 0;
    size_t i = 0;
    for (auto _ : state)
        WriteBaseline(baselines[i++ & 1023], EllipsoidParams{kA, kE2}, "bench.asc", out, &status);
    if (status != 0) state.SkipWithError("write failed");
    state.SetItemsProcessed(state.iterations());
    std::fclose(out);
}
BENCHMARK(BM_WriteBaseline);

}  // namespace

BENCHMARK_MAIN();
