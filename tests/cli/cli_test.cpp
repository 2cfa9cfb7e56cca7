#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/process.h"
#include "support/ski_convert.h"
#include "support/temp_dir.h"
#include "support/warnings.h"

namespace delvaro {
namespace {

using test::Baseline3;
using test::Header;
using test::RunProcess;

constexpr char kUsageLine[] = "Usage: delvaro-cli [-s SCALER] [-q] -o OUTPUT SKIFILE...\n";

// Standard error and the help are text: on Windows their lines end in
// CR LF, which is compared here as LF. The TREVADEL output is never text.
std::string AsText(std::string text) {
#ifdef _WIN32
    std::string lf;
    for (size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) lf += text[i];
    text = lf;
#endif
    return text;
}

test::ProcessResult Cli(std::vector<std::string> args) {
    args.insert(args.begin(), DELVARO_CLI);
    test::ProcessResult r = RunProcess(args);
    r.err = AsText(r.err);
    return r;
}

TEST(DelvaroCli, VersionAndHelp) {
    auto version = Cli({"--version"});
    EXPECT_EQ(version.exitStatus, 0);
    EXPECT_EQ(AsText(version.out), "Delvaro 3.5.1.5\n");
    auto help = Cli({"-h"});
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_EQ(AsText(help.out).rfind(kUsageLine, 0), 0u);
    EXPECT_EQ(help.err, "");
}

TEST(DelvaroCli, WrongUsageExitsWithTwoAndTheUsageLine) {
    test::TempDir dir;
    auto ski = dir.Write("a.asc", Header() + Baseline3("A", "B"));
    auto out = dir.Path("out.txt");
    struct Case {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{}, "no output file given (-o OUTPUT)"},
        {{ski}, "no output file given (-o OUTPUT)"},
        {{"-o", out}, "no SKI file given"},
        {{"-x", "-o", out, ski}, "unknown option '-x'"},
        {{"--bogus", "-o", out, ski}, "unknown option '--bogus'"},
        {{ski, "-o"}, "option '-o' needs a value"},
        {{"-s", "abc", "-o", out, ski}, "the scaler 'abc' is not a number"},
        {{"-s", "", "-o", out, ski}, "the scaler '' is not a number"},
        {{"-s", "0", "-o", out, ski},
         "the scaler 0 is out of range: it must lie from 0.00001 to 99999"},
        {{"--scaler=99999.5", "-o", out, ski},
         "the scaler 99999.5 is out of range: it must lie from 0.00001 to 99999"},
        {{"-s", "0.0000099", "-o", out, ski},
         "the scaler 0.0000099 is out of range: it must lie from 0.00001 to 99999"},
    };
    for (const Case& c : cases) {
        auto r = Cli(c.args);
        EXPECT_EQ(r.exitStatus, 2) << c.message;
        EXPECT_EQ(r.err.substr(0, r.err.find('\n') + 1), "delvaro-cli: " + c.message + "\n");
        EXPECT_NE(r.err.find(kUsageLine), std::string::npos) << c.message;
        EXPECT_EQ(r.out, "");
    }
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST(DelvaroCli, ConvertsFilesInOrderWithTheScaler) {
    test::TempDir dir;
    auto a = dir.Write("a.asc", Header() + Baseline3("A", "B") + Baseline3("B", "C"));
    auto b = dir.Write("b.asc", Header("fts") + Baseline3("C", "D"));
    auto out = dir.Path("out.txt");
    auto r = Cli({"-o", out, b, a, b});
    EXPECT_EQ(r.exitStatus, 0);
    // b.asc gives metre-sized coordinates in feet: the checks warn about it.
    EXPECT_EQ(test::WithoutWarnings(r.err),
              "delvaro-cli: 3 files, 4 baselines converted into " + out + "\n");
    EXPECT_EQ(r.out, "");

    auto single = [&](const std::string& path, const std::string& scaler) {
        auto c = test::ConvertText(test::ReadFileBytes(path), std::stod(scaler),
                                   path.substr(path.find_last_of("/\\") + 1));
        return c.output;
    };
    EXPECT_EQ(test::ReadFileBytes(out), single(b, "1") + single(a, "1") + single(b, "1"));

    // Every spelling of the options; the scaler at both ends of its range.
    for (std::vector<std::string> args :
         {std::vector<std::string>{"-q", "-s", "99999", "-o", out, a},
          std::vector<std::string>{"--quiet", "--scaler=99999", "--output=" + out, a},
          std::vector<std::string>{"-q", "-s99999", "-o" + out, "--", a}}) {
        auto q = Cli(args);
        EXPECT_EQ(q.exitStatus, 0);
        EXPECT_EQ(test::WithoutWarnings(q.err), "");
        EXPECT_EQ(test::ReadFileBytes(out), single(a, "99999"));
    }
    EXPECT_EQ(Cli({"-q", "-s", "1e-5", "-o", out, a}).exitStatus, 0);
    EXPECT_EQ(test::ReadFileBytes(out), single(a, "0.00001"));
}

TEST(DelvaroCli, StandardOutputGetsTheSameBytes) {
    test::TempDir dir;
    auto a = dir.Write("a.asc", Header() + Baseline3("A", "B"));
    auto out = dir.Path("out.txt");
    ASSERT_EQ(Cli({"-q", "-o", out, a}).exitStatus, 0);
    auto r = Cli({"-o", "-", a});
    EXPECT_EQ(r.exitStatus, 0);
    EXPECT_EQ(r.out, test::ReadFileBytes(out));
    EXPECT_EQ(r.err, "delvaro-cli: 1 file, 1 baseline converted into standard output\n");
}

// The outputs kept from earlier conversions, byte for byte, into a file and
// onto standard output, on every platform the program is built for.
TEST(DelvaroCli, GivesTheKeptOutputsOfTheFixturesAndSamples) {
    const std::string fixtures = DELVARO_FIXTURE_DIR "/", samples = DELVARO_SAMPLE_DIR "/";
    struct Case {
        std::vector<std::string> args;
        std::string expected;
    } cases[] = {
        {{fixtures + "eleven_lines.asc"}, "eleven_lines.txt"},
        {{fixtures + "network_m.asc"}, "network_m.txt"},
        {{fixtures + "network_fts.asc"}, "network_fts.txt"},
        {{fixtures + "network_fti.asc"}, "network_fti.txt"},
        {{fixtures + "extreme_values.asc"}, "extreme_values.txt"},
        {{fixtures + "far_stations.asc"}, "far_stations.txt"},
        {{"-s", "2.5", fixtures + "network_m.asc", fixtures + "network_fts.asc",
          fixtures + "network_fti.asc", fixtures + "extreme_values.asc"},
         "all_four_scaled_2.5.txt"},
        {{samples + "bern_2026-03-14.asc", samples + "spiez_2026-03-16.asc",
          samples + "thun_2026-03-15.asc"},
         "samples_all_three.txt"},
    };
    test::TempDir dir;
    const std::string out = dir.Path("out.txt");
    for (const Case& c : cases) {
        const std::string expected = test::ReadFileBytes(fixtures + "expected/" + c.expected);
        ASSERT_FALSE(expected.empty()) << c.expected;
        std::vector<std::string> args = {"-q", "-o", out};
        args.insert(args.end(), c.args.begin(), c.args.end());
        auto file = Cli(args);
        EXPECT_EQ(file.exitStatus, 0) << c.expected << ": " << file.err;
        EXPECT_TRUE(test::ReadFileBytes(out) == expected) << "output differs from " << c.expected;
        args[2] = "-";
        auto standardOutput = Cli(args);
        EXPECT_EQ(standardOutput.exitStatus, 0) << c.expected << ": " << standardOutput.err;
        EXPECT_TRUE(standardOutput.out == expected)
            << "standard output differs from " << c.expected;
    }
}

TEST(DelvaroCli, FailingSecondFileStopsTheRun) {
    test::TempDir dir;
    auto a = dir.Write("a.asc", Header() + Baseline3("A", "B"));
    auto b = dir.Write("b.asc", Header() + Baseline3("B", "C") + "\n@+D               1 2\n");
    auto c = dir.Write("c.asc", Header() + Baseline3("X", "Y"));
    auto out = dir.Path("out.txt");
    auto r = Cli({"-o", out, a, b, c});
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_EQ(r.err, "Not enough arguments on line 7 - " + b + "\n");
    std::string output = test::ReadFileBytes(out);
    EXPECT_NE(output.find("$GPS_COMPACT; A; B"), std::string::npos);
    EXPECT_NE(output.find("$GPS_COMPACT; B; C"), std::string::npos);
    EXPECT_EQ(output.find("$GPS_COMPACT; X; Y"), std::string::npos);
}

TEST(DelvaroCli, FaultsAreOneLineWithExitStatusOne) {
    test::TempDir dir;
    auto a = dir.Write("a.asc", Header() + Baseline3("A", "B"));
    auto missing = dir.Path("missing.asc");
    auto badOut = dir.Path("no/folder/out.txt");
    struct Case {
        std::vector<std::string> args;
        std::string err;
    } cases[] = {
        // The system's reason follows "Cannot open file" on a line of its own.
        {{"-o", dir.Path("o.txt"), missing},
         "Cannot open file " + missing + "\ndelvaro-cli: " + missing +
             ": No such file or directory\n"},
        {{"-o", badOut, a},
         "Cannot open file " + badOut + "\ndelvaro-cli: " + badOut +
             ": No such file or directory\n"},
        {{"-o", a, a}, "Output file " + a + " is also one of the SKI files\n"},
    };
    for (const Case& c : cases) {
        auto r = Cli(c.args);
        EXPECT_EQ(r.exitStatus, 1) << c.err;
#ifdef _WIN32
        // Windows gives the reason in its own words for a path that is
        // missing on the way to the output.
        if (c.args[1] == badOut) {
            const std::string start =
                "Cannot open file " + badOut + "\ndelvaro-cli: " + badOut + ": ";
            EXPECT_EQ(r.err.rfind(start, 0), 0u) << r.err;
            EXPECT_GT(r.err.size(), start.size() + 1) << r.err;
            continue;
        }
#endif
        EXPECT_EQ(r.err, c.err);
    }
    EXPECT_EQ(test::ReadFileBytes(a), Header() + Baseline3("A", "B"));
}

TEST(DelvaroCli, RefusesStandardOutputAppendedToAnInput) {
    // Reading a file while appending to it would never end.
    test::TempDir dir;
    const std::string content = Header() + Baseline3("A", "B");
    auto a = dir.Write("a.asc", content);
#ifdef _WIN32
    std::string cli = DELVARO_CLI;
    std::replace(cli.begin(), cli.end(), '/', '\\');
    auto r = RunProcess({"C:\\windows\\system32\\cmd.exe", "/c", cli + " -o - " + a + " >> " + a});
#else
    auto r = RunProcess({"/bin/sh", "-c", std::string(DELVARO_CLI) + " -o - \"$0\" >> \"$0\"", a});
#endif
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_EQ(AsText(r.err), "Output file standard output is also one of the SKI files\n");
    EXPECT_EQ(test::ReadFileBytes(a), content);
}

}  // namespace
}  // namespace delvaro
