#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/process.h"
#include "support/ski_convert.h"
#include "support/temp_dir.h"

namespace delvaro {
namespace {

using test::Baseline3;
using test::Header;
using test::RunProcess;

constexpr char kUsageLine[] = "Usage: delvaro-cli [-s SCALER] [-q] -o OUTPUT SKIFILE...\n";

test::ProcessResult Cli(std::vector<std::string> args) {
    args.insert(args.begin(), DELVARO_CLI);
    return RunProcess(args);
}

TEST(DelvaroCli, VersionAndHelp) {
    auto version = Cli({"--version"});
    EXPECT_EQ(version.exitStatus, 0);
    EXPECT_EQ(version.out, "Delvaro 3.5.1.5\n");
    auto help = Cli({"-h"});
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_EQ(help.out.rfind(kUsageLine, 0), 0u);
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
    EXPECT_EQ(r.err, "delvaro-cli: 3 files, 4 baselines converted into " + out + "\n");
    EXPECT_EQ(r.out, "");

    auto single = [&](const std::string& path, const std::string& scaler) {
        auto c = test::ConvertText(test::ReadFileBytes(path), std::stod(scaler),
                                   path.substr(path.rfind('/') + 1));
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
        EXPECT_EQ(q.err, "");
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
    auto newline = dir.Write("two\nlines.asc", "");
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
        {{"-o", "/dev/full", a}, "File write error " + a + "\n"},
        {{"-q", "-o", dir.Path("o.txt"), newline},
         "No baselines found in file " + dir.Path("two?lines.asc") + "\n"},
    };
    for (const Case& c : cases) {
        auto r = Cli(c.args);
        EXPECT_EQ(r.exitStatus, 1) << c.err;
        EXPECT_EQ(r.err, c.err);
    }
    EXPECT_EQ(test::ReadFileBytes(a), Header() + Baseline3("A", "B"));
}

TEST(DelvaroCli, RefusesStandardOutputAppendedToAnInput) {
    // Reading a file while appending to it would never end.
    test::TempDir dir;
    const std::string content = Header() + Baseline3("A", "B");
    auto a = dir.Write("a.asc", content);
    auto r = RunProcess({"/bin/sh", "-c", std::string(DELVARO_CLI) + " -o - \"$0\" >> \"$0\"", a});
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_EQ(r.err, "Output file standard output is also one of the SKI files\n");
    EXPECT_EQ(test::ReadFileBytes(a), content);
}

}  // namespace
}  // namespace delvaro
