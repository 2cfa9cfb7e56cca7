// The record checks and the network analysis, run over real files by the
// reader with the checks as its observer.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "checks/data_checks.h"
#include "checks/network_checks.h"
#include "checks/network_fixture.h"
#include "engine/conversion_run.h"
#include "support/quiet_host.h"
#include "support/temp_dir.h"

namespace delvaro {
namespace {

struct Given {
    std::string file;
    int32_t line;
    std::string text;
};

class RecordingHost : public test::QuietHost {
  public:
    void Warning(const std::string& file, int32_t line, const std::string& text) override {
        warnings.push_back({file, line, text});
    }
    std::vector<Given> warnings;
};

struct Checked {
    Status status = 0;
    std::vector<Given> warnings;
    std::string output;
};

// Converts `texts` (one SKI file each) with the checks watching, then runs
// the network checks.
Checked Check(const std::vector<std::string>& texts, const CheckOptions& options = {},
              NetworkAnalysis* network = nullptr) {
    test::TempDir dir;
    std::vector<std::string> paths;
    for (size_t i = 0; i < texts.size(); ++i)
        paths.push_back(dir.Write("f" + std::to_string(i) + ".asc", texts[i]));
    RecordingHost host;
    DataChecks checks(host, options);
    Checked result;
    result.status = RunConversion(host, dir.Path("out.txt").c_str(), 1.0, paths, &checks);
    result.output = test::ReadFileBytes(dir.Path("out.txt"));
    NetworkAnalysis analysis = CheckNetwork(checks);
    if (network != nullptr) *network = std::move(analysis);
    result.warnings = host.warnings;
    for (Given& w : result.warnings)
        if (!w.file.empty()) w.file = std::filesystem::path(w.file).filename().string();
    EXPECT_EQ(checks.WarningCount(), static_cast<int64_t>(host.warnings.size()));
    return result;
}

std::string Header(const char* unit = "m") {
    return std::string("@%Unit: ") + unit + "\n@%Coordinate type: Cartesian\n";
}

// A baseline near Bern with padded names, and the worked example's
// covariance unless one is given.
std::string Baseline(const char* from = "PT100", const char* to = "PT200",
                     const char* covariance =
                         "0.0000012 -0.00000034 0.00000056 0.0000021 "
                         "-0.00000045 0.0000033") {
    char text[600];
    std::snprintf(text, sizeof text,
                  "@+%-15s 4361564.4935 556408.2668 4605581.9993\n"
                  "@-%-15s 589.2084 1622.6942 -782.4466\n"
                  "@= 1.0 %s\n",
                  from, to, covariance);
    return text;
}

TEST(RecordChecks, AGoodFileGivesNoWarning) {
    const Checked c = Check({"! export\n" + Header() + Baseline() + "@* OBS 17\n"});
    EXPECT_EQ(c.status, 0);
    EXPECT_TRUE(c.warnings.empty()) << c.warnings[0].text;
}

TEST(RecordChecks, UnitCodes) {
    struct Case {
        const char* code;
        bool warned;
    } const cases[] = {
        {"M", false},     {"m", false},      {"metre", false}, {"METRES", false},
        {"Meter", false}, {"meters", false}, {"fts", false},   {"FTI", false},
        {"KM", true},     {"ft", true},      {"MM", true},     {"US", true},
    };
    for (const Case& c : cases) {
        // The numbers are metres: read as feet, the heights are wrong too.
        const Checked r = Check({Header(c.code) + Baseline()});
        std::vector<Given> unit;
        for (const Given& w : r.warnings)
            if (w.text.find("unit code") != std::string::npos) unit.push_back(w);
        ASSERT_EQ(unit.empty(), !c.warned) << c.code;
        if (!c.warned) continue;
        EXPECT_EQ(unit[0].line, 1);
        EXPECT_EQ(unit[0].text, std::string("unknown unit code ") + c.code +
                                    ": it is read as metres; check the unit of the "
                                    "coordinates (M, FTS or FTI are known)");
    }
}

TEST(RecordChecks, CovarianceMustBePositiveDefinite) {
    struct Case {
        const char* terms;  // xx xy xz yy yz zz
        const char* fault;  // nullptr: none
    } const cases[] = {
        // The worked example, read as the upper triangle row by row.
        {"0.0000012 -0.00000034 0.00000056 0.0000021 -0.00000045 0.0000033", nullptr},
        // The same terms with the third and fourth exchanged (as written for
        // TREVADEL): xz = 2.1e-6 is too much for xx and zz.
        {"0.0000012 -0.00000034 0.0000021 0.00000056 -0.00000045 0.0000033",
         "the correlation of X and Z is 1.055, of magnitude 1 or more"},
        {"0 0 0 1e-6 0 1e-6", "the variance of X is 0.000000000000, not above 0"},
        {"1e-6 0 0 -4e-6 0 1e-6", "the variance of Y is -0.000004000000, not above 0"},
        {"1e-6 0 0 1e-6 0 -1e-6", "the variance of Z is -0.000001000000, not above 0"},
        {"1e-6 1e-6 0 1e-6 0 1e-6", "the correlation of X and Y is 1.000, of magnitude 1 or more"},
        {"1e-6 -1.2e-6 0 1e-6 0 1e-6",
         "the correlation of X and Y is -1.200, of magnitude 1 or more"},
        {"1e-6 0 0 1e-6 1.5e-6 1e-6",
         "the correlation of Y and Z is 1.500, of magnitude 1 or more"},
        // Every correlation below one, yet no positive definite matrix.
        {"1e-6 0.9e-6 0.9e-6 1e-6 -0.9e-6 1e-6", "its determinant is 0 or less"},
        {"1e-6 0.6e-6 0.6e-6 1e-6 -0.6e-6 1e-6", "its determinant is 0 or less"},
        // Tiny and huge terms alike, as long as the matrix is sound.
        {"1e-300 0 0 1e-300 0 1e-300", nullptr},
        {"1e300 0.5e300 0 1e300 0 1e300", nullptr},
    };
    for (const Case& c : cases) {
        const Checked r = Check({Header() + "\n" + Baseline("A", "B", c.terms)});
        ASSERT_EQ(r.warnings.size(), c.fault ? 1u : 0u) << c.terms;
        if (c.fault == nullptr) continue;
        EXPECT_EQ(r.warnings[0].line, 6) << c.terms;
        EXPECT_EQ(r.warnings[0].text, std::string("covariance matrix not positive definite: ") +
                                          c.fault +
                                          "; check the record's six terms (xx, xy, xz, yy, yz, "
                                          "zz)");
    }
}

TEST(RecordChecks, NamesThatRunIntoTheNumbers) {
    struct Case {
        const char* fromRecord;
        const char* warnedName;  // nullptr: none
    } const cases[] = {
        // Exports pad the name with blanks to the 17th character.
        {"@+P104            4361564.4935 556408.2668 4605581.9993", nullptr},
        {"@+ABCDEFGHIJKLMNO 4361564.4935 556408.2668 4605581.9993", nullptr},
        {"@+BASE NORTH      4361564.4935 556408.2668 4605581.9993", nullptr},
        // Fifteen characters and the X right after them: read as written.
        {"@+ABCDEFGHIJKLMNO4361564.4935 556408.2668 4605581.9993", nullptr},
        // Sixteen characters: the last one becomes the X, the X the Y...
        {"@+ABCDEFGHIJKLMNO1 4361564.4935 556408.2668 4605581.9993", "ABCDEFGHIJKLMNO1"},
        {"@+BERN MUENSTER 12 4361564.4935 556408.2668 4605581.9993", "\"BERN MUENSTER 12\""},
    };
    for (const Case& c : cases) {
        const Checked r = Check({Header() + c.fromRecord + "\n" +
                                 "@-B               589.2084 1622.6942 -782.4466\n"
                                 "@= 1.0 1e-6 0 0 1e-6 0 1e-6\n"});
        ASSERT_EQ(r.status, 0) << c.fromRecord;
        std::vector<std::string> names;
        for (const Given& w : r.warnings)
            if (w.text.find("runs into the number columns") != std::string::npos) {
                EXPECT_EQ(w.line, 3);
                names.push_back(w.text);
            }
        if (c.warnedName == nullptr) {
            EXPECT_TRUE(r.warnings.empty()) << c.fromRecord << ": " << r.warnings[0].text;
            continue;
        }
        ASSERT_EQ(names.size(), 1u) << c.fromRecord;
        EXPECT_EQ(names[0], std::string("station name ") + c.warnedName +
                                " runs into the number columns: only its first 15 characters "
                                "are the name and the rest is read as a number; shorten the "
                                "name to 15 characters");
    }
}

TEST(RecordChecks, HeightsOutsideThePlausibleRange) {
    // From station at 512 m, to station at 488 m (the worked example).
    struct Case {
        const char* unit;
        double minHeight, maxHeight;
        std::vector<int32_t> lines;  // of the warnings
    } const cases[] = {
        {"m", -1000, 10000, {}}, {"fti", -1000, 10000, {3, 4}},  // metre-sized numbers read as feet
        {"m", 500, 10000, {4}},                                  // only the to station is below
        {"m", -1000, 500, {3}},                                  // only the from station is above
        {"m", 488, 512, {}},     {"m", 488.0001, 511.9999, {3, 4}},
    };
    for (const Case& c : cases) {
        CheckOptions options;
        options.minHeight = c.minHeight;
        options.maxHeight = c.maxHeight;
        const Checked r = Check({Header(c.unit) + Baseline()}, options);
        std::vector<int32_t> lines;
        for (const Given& w : r.warnings) {
            EXPECT_NE(w.text.find("ellipsoid height"), std::string::npos) << w.text;
            lines.push_back(w.line);
        }
        std::sort(lines.begin(), lines.end());
        EXPECT_EQ(lines, c.lines) << c.unit << " " << c.minHeight << " " << c.maxHeight;
    }
    const Checked feet = Check({Header("fti") + Baseline()});
    ASSERT_EQ(feet.warnings.size(), 2u);
    EXPECT_EQ(feet.warnings[0].text,
              "station PT100 has an ellipsoid height of -4426046.760 m, outside -1000 m to "
              "10000 m: check the unit of the coordinates, numbers shifted by a column, or a "
              "wrong sign");
    EXPECT_NE(feet.warnings[1].text.find("station PT200 (from station plus vector) has"),
              std::string::npos);
}

TEST(RecordChecks, LineEndsAndLongLines) {
    const std::string body = Header() + Baseline();
    const std::string comment252(251, 'x');  // with '!' and the line end: 253 bytes
    struct Case {
        const char* what;
        std::string text;
        std::vector<std::pair<int32_t, const char*>> warnings;
    } const cases[] = {
        {"a file cut inside its last number",
         body.substr(0, body.size() - 2),
         {{5, "the file's last line has no line end"}}},
        {"a last comment without a line end", body + "! end", {{6, "no line end"}}},
        {"a line of 252 characters is read whole",
         Header() + "!" + comment252 + "\n" + Baseline(),
         {}},
        {"253 characters are read in two pieces",
         Header() + "!" + comment252 + "y\n" + Baseline(),
         {{3, "line longer than 252 characters"}}},
        {"600 characters: one warning",
         Header() + "!" + std::string(599, 'x') + "\n" + Baseline(),
         {{3, "line longer than 252 characters"}}},
        {"the last line is 252 characters without a line end",
         body + "!" + comment252,
         {{6, "no line end"}}},
        {"a long last line without a line end",
         body + "!" + comment252 + "yy",
         {{6, "line longer than 252"}, {7, "no line end"}}},
    };
    for (const Case& c : cases) {
        const Checked r = Check({c.text});
        EXPECT_EQ(r.status, 0) << c.what;
        ASSERT_EQ(r.warnings.size(), c.warnings.size()) << c.what;
        for (size_t i = 0; i < c.warnings.size(); ++i) {
            EXPECT_EQ(r.warnings[i].line, c.warnings[i].first) << c.what;
            EXPECT_NE(r.warnings[i].text.find(c.warnings[i].second), std::string::npos)
                << c.what << ": " << r.warnings[i].text;
        }
    }
}

TEST(RecordChecks, SessionRecords) {
    struct Case {
        const char* record;
        bool valid;
        int64_t start, end;  // seconds after 2026-03-14 00:00
    } const cases[] = {
        {"@&2026-03-14 08:00:00 09:30:00", true, 8 * 3600, 9 * 3600 + 1800},
        {"@& 2026-03-14 08:00 09:30", true, 8 * 3600, 9 * 3600 + 1800},
        {"@&2026/03/14 23:30:00 00:30:00", true, 23 * 3600 + 1800, 24 * 3600 + 1800},
        {"@&14.03.2026 08:00:00.5 09:00:00", true, 8 * 3600, 9 * 3600},
        {"@&2026-03-14 08:00:00 2026-03-15 01:00:00", true, 8 * 3600, 25 * 3600},
        {"@&2026-03-14T08:00:00 2026-03-14T09:00:00", true, 8 * 3600, 9 * 3600},
        {"@&2026-03-14 08:00:00 2026-03-13 09:00:00", false, 0, 0},
        {"@&2026-03-14 08:00:00", false, 0, 0},
        {"@&2026-13-14 08:00:00 09:00:00", false, 0, 0},
        {"@&08:00:00 09:00:00", false, 0, 0},
        {"@&2026-03", false, 0, 0},
        {"@#2026-03-14 08:00:00 09:30:00", false, 0, 0},
    };
    const int64_t day = 20526 * int64_t{86400};  // 2026-03-14
    for (const Case& c : cases) {
        SessionTime start = 0, end = 0;
        ASSERT_EQ(ParseSessionRecord(c.record, start, end), c.valid) << c.record;
        if (!c.valid) continue;
        EXPECT_EQ(start - day, c.start) << c.record;
        EXPECT_EQ(end - day, c.end) << c.record;
    }
}

// The realistic network: no warning, and the analysis that says so.
TEST(NetworkChecks, RealisticNetwork) {
    test::NetworkModel model = test::RealisticNetwork();
    const test::NetworkFiles files = test::WriteNetwork(model);
    NetworkAnalysis network;
    const Checked r = Check({files.text[0], files.text[1]}, {}, &network);
    ASSERT_EQ(r.status, 0);
    for (const Given& w : r.warnings) ADD_FAILURE() << w.file << ":" << w.line << ": " << w.text;
    ASSERT_EQ(network.stations.size(), 12u);
    EXPECT_EQ(network.parts.size(), 1u);
    // 17 baselines, one of them repeated: 16 edges over 12 stations.
    ASSERT_EQ(network.repeats.size(), 1u);
    EXPECT_EQ(network.repeats[0].repeats.size(), 1u);
    EXPECT_LT(network.repeats[0].repeats[0].difference, 0.004);
    ASSERT_EQ(network.loops.size(), 16u - 12u + 1u);
    int oneSession = 0;
    for (const Loop& loop : network.loops) {
        EXPECT_LT(loop.Misclosure3d(), 0.005);
        EXPECT_FALSE(loop.fails);
        // Closed: back where it started, each step from where the last ended.
        EXPECT_EQ(loop.stations.size(), loop.steps.size());
        oneSession += loop.oneSession;
        if (loop.oneSession) {
            std::vector<std::string> names;
            for (uint32_t s : loop.stations) names.push_back(network.stations[s].name);
            std::sort(names.begin(), names.end());
            EXPECT_EQ(names, (std::vector<std::string>{"P110", "P111", "P112"}));
        }
        // Short loops: triangles and quadrilaterals, except the one that
        // crosses the network.
        EXPECT_LE(loop.steps.size(), 6u);
    }
    EXPECT_EQ(oneSession, 1);
    for (const StationSummary& s : network.stations) {
        EXPECT_LT(s.spread, 0.01) << s.name;
        EXPECT_GT(s.height, 500) << s.name;
        EXPECT_LT(s.height, 900) << s.name;
    }
}

// A misclosure is the same in every direction a loop is walked, and the
// repeated baseline that runs the other way is compared reversed.
TEST(NetworkChecks, BlundersInLoopsAndRepeats) {
    test::NetworkModel model = test::RealisticNetwork();
    model.observations[model.Find(1, "P101", "P104")].vector[2] += 0.05;
    model.observations[model.Find(3, "P108", "P105")].vector[0] += 0.03;
    const test::NetworkFiles files = test::WriteNetwork(model);
    NetworkAnalysis network;
    const Checked r = Check({files.text[0], files.text[1]}, {}, &network);
    size_t failing = 0;
    for (const Loop& loop : network.loops) {
        if (!loop.fails) continue;
        ++failing;
        EXPECT_NEAR(loop.Misclosure3d(), 0.05, 0.004);
        bool holdsBlunder = false;
        for (const LoopStep& step : loop.steps)
            holdsBlunder = holdsBlunder || step.baseline == model.Find(1, "P101", "P104");
        EXPECT_TRUE(holdsBlunder);
    }
    EXPECT_GE(failing, 1u);
    ASSERT_EQ(network.repeats.size(), 1u);
    EXPECT_NEAR(network.repeats[0].repeats[0].difference, 0.03, 0.003);
    EXPECT_TRUE(network.repeats[0].repeats[0].fails);
    size_t repeatWarnings = 0, loopWarnings = 0;
    for (const Given& w : r.warnings) {
        EXPECT_EQ(w.line, 0);
        EXPECT_EQ(w.file, "");
        repeatWarnings += w.text.rfind("repeated baseline P105 - P108 differs by", 0) == 0;
        loopWarnings += w.text.rfind("loop ", 0) == 0;
    }
    EXPECT_EQ(repeatWarnings, 1u);
    EXPECT_EQ(loopWarnings, failing);
    EXPECT_EQ(r.warnings.size(), repeatWarnings + loopWarnings);
}

TEST(NetworkChecks, StepAsideBeyondTheLimit) {
    test::NetworkModel model = test::RealisticNetwork();
    const test::NetworkFiles files = test::WriteNetwork(model);
    CheckOptions options;
    options.networkLimit = 10;
    options.repeatMm = 0;  // would warn, if the network were checked
    test::TempDir dir;
    RecordingHost host;
    DataChecks checks(host, options);
    const std::vector<std::string> paths = {dir.Write("a.asc", files.text[0]),
                                            dir.Write("b.asc", files.text[1])};
    ASSERT_EQ(RunConversion(host, dir.Path("out.txt").c_str(), 1.0, paths, &checks), 0);
    EXPECT_TRUE(checks.SteppedAside());
    EXPECT_TRUE(checks.Baselines().empty());
    EXPECT_TRUE(CheckNetwork(checks).stations.empty());
    EXPECT_TRUE(host.warnings.empty());
}

}  // namespace
}  // namespace delvaro
