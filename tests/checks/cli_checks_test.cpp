// delvaro-cli's checks end to end: a realistic network gives no warning,
// each blunder gives its own, the output stays the same bytes, and --strict
// decides the exit status.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "checks/network_fixture.h"
#include "checks/text.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace delvaro {
namespace {

using test::NetworkFiles;
using test::NetworkModel;

test::ProcessResult Cli(std::vector<std::string> args) {
    args.insert(args.begin(), DELVARO_CLI);
    test::ProcessResult r = test::RunProcess(args);
    r.err = test::AsText(r.err);
    r.out = test::AsText(r.out);
    return r;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return lines;
}

struct Network {
    test::TempDir dir;
    NetworkModel model = test::RealisticNetwork();
    NetworkFiles files;
    std::string paths[2];
    void Write() { files = test::WriteNetwork(model); }
    void Save() {
        for (int f = 0; f < 2; ++f) paths[f] = dir.Write(model.fileName[f], files.text[f]);
    }
    // "PATH:LINE: warning: " of a line of a file.
    std::string At(int file, int line) const {
        return paths[file] + ":" + std::to_string(line) + ": warning: ";
    }
};

TEST(CliChecks, RealisticNetworkGivesNoWarning) {
    Network n;
    n.Write();
    n.Save();
    const std::string out = n.dir.Path("out.txt");
    auto r = Cli({"--strict", "-o", out, n.paths[0], n.paths[1]});
    EXPECT_EQ(r.exitStatus, 0);
    EXPECT_EQ(r.err, "delvaro-cli: 2 files, 17 baselines converted into " + out + "\n");
    auto q = Cli({"-q", "--strict", "-o", out, n.paths[0], n.paths[1]});
    EXPECT_EQ(q.exitStatus, 0);
    EXPECT_EQ(q.err, "");
}

struct Blunder {
    const char* what;
    std::function<void(NetworkModel&)> change;  // in the measurements
    std::function<void(NetworkFiles&)> edit;    // in the text, after writing
    // Warnings that must be there: each is the start of a line of standard
    // error, or (network warnings) a part of one.
    std::function<std::vector<std::string>(const Network&)> expected;
    // What every warning line holds one of: the blunder's consequences.
    std::vector<std::string> kinds;
};

TEST(CliChecks, EachBlunderGivesItsWarning) {
    const Blunder blunders[] = {
        {"coordinates in feet under \"@%Unit: m\"",
         [](NetworkModel& m) { m.writtenPerMetre[0] = 3.28083989501312; },
         nullptr,
         [](const Network& n) {
             const auto& o = n.model.observations[0];
             return std::vector<std::string>{
                 n.At(0, o.fromLine) + "station P101 has an ellipsoid height of",
                 n.At(0, o.toLine) +
                     "station P102 (from station plus vector) has an ellipsoid "
                     "height of"};
         },
         {"ellipsoid height", "has positions", "loop ", "repeated baseline"}},
        {"a 16-character station name",
         [](NetworkModel& m) {
             m.observations[m.Find(4, "P111", "P110")].from = "MUENSTERPLATZ012";
         },
         nullptr,
         [](const Network& n) {
             const int line =
                 n.model.observations[n.model.Find(4, "MUENSTERPLATZ012", "P110")].fromLine;
             return std::vector<std::string>{
                 n.At(1, line) + "station name MUENSTERPLATZ012 runs into the number columns",
                 n.At(1, line) + "station MUENSTERPLATZ01 has an ellipsoid height of"};
         },
         {"runs into", "ellipsoid height", "has positions", "loop "}},
        {"the unit code KM",
         [](NetworkModel& m) { m.unitCode[1] = "KM"; },
         nullptr,
         [](const Network& n) {
             return std::vector<std::string>{n.At(1, 3) +
                                             "unknown unit code KM: it is read as "
                                             "metres"};
         },
         {"unknown unit code"}},
        {"a negative variance",
         [](NetworkModel& m) {
             double& yy = m.observations[m.Find(2, "P105", "P107")].covariance[3];
             yy = -yy;
         },
         nullptr,
         [](const Network& n) {
             const int line = n.model.observations[n.model.Find(2, "P105", "P107")].covarianceLine;
             return std::vector<std::string>{
                 n.At(0, line) +
                 "covariance matrix not positive definite: the variance of Y "
                 "is -0.00000"};
         },
         {"not positive definite"}},
        {"a correlation above one",
         [](NetworkModel& m) {
             double* c = m.observations[m.Find(3, "P108", "P110")].covariance;
             c[1] = 1.2 * std::sqrt(c[0] * c[3]);
         },
         nullptr,
         [](const Network& n) {
             const int line = n.model.observations[n.model.Find(3, "P108", "P110")].covarianceLine;
             return std::vector<std::string>{
                 n.At(1, line) +
                 "covariance matrix not positive definite: the correlation of "
                 "X and Y is 1.200, of magnitude 1 or more"};
         },
         {"not positive definite"}},
        {"a file cut inside its last number",
         nullptr,
         [](NetworkFiles& f) {
             // Drop the description record, the line end and the exponent
             // of the covariance record's last number.
             std::string& t = f.text[1];
             t.erase(t.rfind("@*"));
             t.erase(t.size() - 6);
         },
         [](const Network& n) {
             return std::vector<std::string>{
                 n.At(1, n.model.observations.back().covarianceLine) +
                 "the file's last line has no line end: the file may have been cut short"};
         },
         {"no line end"}},
        {"a line longer than 252 characters",
         nullptr,
         [](NetworkFiles& f) {
             std::string& t = f.text[0];
             size_t at = 0;
             for (int line = 0; line < 6; ++line) at = t.find('\n', at) + 1;
             t.insert(at, "!" + std::string(299, '-') + "\r\n");
         },
         [](const Network& n) {
             return std::vector<std::string>{n.At(0, 7) + "line longer than 252 characters"};
         },
         {"longer than 252"}},
        {"one point under two names",
         [](NetworkModel& m) { m.observations[m.Find(3, "P108", "P107")].to = "p107"; },
         nullptr,
         [](const Network&) {
             return std::vector<std::string>{
                 "delvaro-cli: warning: station names P107, p107 differ only in letter case or "
                 "blanks: probably one point under 2 names; check the names"};
         },
         {"differ only in letter case"}},
        {"a name with a blank in it",
         [](NetworkModel& m) { m.observations[m.Find(4, "P111", "P112")].to = "P 112"; },
         nullptr,
         [](const Network&) {
             return std::vector<std::string>{
                 "delvaro-cli: warning: station names \"P 112\", P112 differ only"};
         },
         {"differ only in letter case"}},
        {"one name at two places",
         [](NetworkModel& m) { m.observations[m.Find(3, "P108", "P109")].fromXyz[0] += 0.35; },
         nullptr,
         [](const Network& n) {
             const auto& m = n.model;
             return std::vector<std::string>{
                 "delvaro-cli: warning: station P108 has positions 0.3",
                 " m apart, more than 0.100 m: at " + n.paths[0] + ":" +
                     std::to_string(m.observations[m.Find(2, "P105", "P108")].fromLine) +
                     " (to station) and at " + n.paths[1] + ":" +
                     std::to_string(m.observations[m.Find(3, "P108", "P109")].fromLine) +
                     " (from station); check the station's name and coordinates"};
         },
         {"has positions"}},
        {"a repeated baseline that disagrees",
         [](NetworkModel& m) {
             double* v = m.observations[m.Find(3, "P108", "P105")].vector;
             v[0] += 0.03, v[1] -= 0.02, v[2] += 0.04;
         },
         nullptr,
         [](const Network& n) {
             const auto& m = n.model;
             return std::vector<std::string>{
                 "delvaro-cli: warning: repeated baseline P105 - P108 differs by 5",
                 ": " + n.paths[1] + ":" +
                     std::to_string(m.observations[m.Find(3, "P108", "P105")].fromLine) +
                     " against " + n.paths[0] + ":" +
                     std::to_string(m.observations[m.Find(2, "P105", "P108")].fromLine) +
                     "; check both observations"};
         },
         {"repeated baseline"}},
        {"a vector that does not close its loops",
         [](NetworkModel& m) { m.observations[m.Find(1, "P101", "P104")].vector[2] += 0.05; },
         nullptr,
         [](const Network& n) {
             const auto& m = n.model;
             return std::vector<std::string>{
                 "delvaro-cli: warning: loop ", " (3 baselines, ", " m) misses closing by ",
                 n.paths[0] + ":" +
                     std::to_string(m.observations[m.Find(1, "P101", "P104")].fromLine)};
         },
         {"loop "}},
        {"a separate part",
         [](NetworkModel& m) {
             test::NetworkObservation o = m.observations.back();
             o.from = "Q201", o.to = "Q202";
             // 15 km to the east.
             o.fromXyz[0] -= 1942.3, o.fromXyz[1] += 14873.7;
             m.observations.push_back(o);
         },
         nullptr,
         [](const Network&) {
             return std::vector<std::string>{
                 "delvaro-cli: warning: the network falls into 2 separate parts, each needs its "
                 "own control: part 1 (12 stations): P101, P102, P103, P104, P105, P106, P107, "
                 "P108, P109, P110, P111, P112; part 2 (2 stations): Q201, Q202"};
         },
         {"separate parts"}},
    };
    for (const Blunder& b : blunders) {
        SCOPED_TRACE(b.what);
        Network n;
        if (b.change) b.change(n.model);
        n.Write();
        if (b.edit) b.edit(n.files);
        n.Save();
        const std::string checked = n.dir.Path("checked.txt"), plain = n.dir.Path("plain.txt");
        auto r = Cli({"-q", "-o", checked, n.paths[0], n.paths[1]});
        EXPECT_EQ(r.exitStatus, 0);
        const std::vector<std::string> lines = Lines(r.err);
        for (const std::string& want : b.expected(n)) {
            bool found = false;
            for (const std::string& line : lines)
                found = found || line.find(want) != std::string::npos;
            EXPECT_TRUE(found) << "missing: " << want << "\nin:\n" << r.err;
        }
        ASSERT_FALSE(lines.empty());
        for (const std::string& line : lines) {
            EXPECT_NE(line.find(": warning: "), std::string::npos) << line;
            bool known = false;
            for (const std::string& kind : b.kinds)
                known = known || line.find(kind) != std::string::npos;
            EXPECT_TRUE(known) << "unexpected: " << line;
        }
        // Checking changes no byte of the output.
        auto p = Cli({"-q", "--no-checks", "-o", plain, n.paths[0], n.paths[1]});
        EXPECT_EQ(p.exitStatus, 0);
        EXPECT_EQ(p.err, "");
        EXPECT_EQ(test::ReadFileBytes(checked), test::ReadFileBytes(plain));
        // --strict turns the warnings into a failure, after converting.
        std::remove(checked.c_str());
        auto s = Cli({"-q", "--strict", "-o", checked, n.paths[0], n.paths[1]});
        EXPECT_EQ(s.exitStatus, 1);
        const std::string count = std::to_string(lines.size());
        EXPECT_EQ(s.err, r.err + "delvaro-cli: " + count +
                             (lines.size() == 1 ? " warning" : " warnings") +
                             ", and --strict makes that a failure\n");
        EXPECT_EQ(test::ReadFileBytes(checked), test::ReadFileBytes(plain));
    }
}

TEST(CliChecks, OptionsAndTheirFaults) {
    Network n;
    n.Write();
    n.Save();
    const std::string out = n.dir.Path("out.txt");
    // Thresholds tight enough to trip on millimetre closures and sound heights.
    struct Case {
        std::vector<std::string> options;
        const char* warning;  // the warnings that come, all of one kind
    } const cases[] = {
        {{"--loop-mm", "0.1", "--loop-ppm=0"}, "loop "},
        {{"--repeat-mm=0", "--repeat-ppm", "0"}, "repeated baseline"},
        {{"--spread", "0.0001"}, "has positions"},
        {{"--height-max", "600"}, "ellipsoid height"},
        {{"--height-min=700"}, "ellipsoid height"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.options;
        args.insert(args.end(), {"-q", "-o", out, n.paths[0], n.paths[1]});
        auto r = Cli(args);
        EXPECT_EQ(r.exitStatus, 0) << c.warning;
        const auto lines = Lines(r.err);
        EXPECT_FALSE(lines.empty()) << c.warning;
        for (const std::string& line : lines)
            EXPECT_NE(line.find(c.warning), std::string::npos) << line;
    }
    const std::string usage = "Usage: delvaro-cli";
    struct Wrong {
        std::vector<std::string> args;
        std::string message;
    } const wrong[] = {
        {{"--loop-mm", "x"}, "--loop-mm takes a number of 0 or more, not 'x'"},
        {{"--spread=-1"}, "--spread takes a number of 0 or more, not '-1'"},
        {{"--network-limit", "2.5"},
         "--network-limit takes a whole number of baselines, not '2.5'"},
        {{"--report"}, "option '--report' needs a value"},
        {{"--report="}, "the report needs a file name"},
        {{"--height-min", "100", "--height-max", "50"}, "--height-min is above --height-max"},
        {{"--no-checks", "--strict"}, "--no-checks cannot be combined with --report or --strict"},
        {{"--report", n.paths[1]},
         "the report " + n.paths[1] + " would overwrite the SKI file " + n.paths[1]},
        {{"--report", out}, "the report " + out + " would overwrite the output"},
    };
    for (const Wrong& w : wrong) {
        std::vector<std::string> args = w.args;
        if (args.size() == 1 && args[0] == "--report") {
            args = {"-o", out, n.paths[0], "--report"};
        } else {
            args.insert(args.end(), {"-o", out, n.paths[0], n.paths[1]});
        }
        auto r = Cli(args);
        EXPECT_EQ(r.exitStatus, 2) << w.message;
        EXPECT_EQ(r.err.substr(0, r.err.find('\n') + 1), "delvaro-cli: " + w.message + "\n");
        EXPECT_NE(r.err.find(usage), std::string::npos);
    }
    EXPECT_EQ(test::ReadFileBytes(n.paths[1]), n.files.text[1]);

    // The help lists the options with their defaults.
    auto help = Cli({"--help"});
    for (const char* text : {"--report FILE", "--strict", "--no-checks", "(default -1000)",
                             "(default 10000)", "(default 0.10)", "(20 + 2)", "(default 20000)"})
        EXPECT_NE(help.out.find(text), std::string::npos) << text;
}

TEST(CliChecks, HugeRunsStepAsideWithOneNotice) {
    Network n;
    n.Write();
    n.Save();
    const std::string out = n.dir.Path("out.txt");
    // Zero tolerances: every repeat and loop warns when the network is checked.
    auto run = [&](const std::string& limit, bool quiet) {
        std::vector<std::string> args = {"--repeat-mm=0",
                                         "--repeat-ppm=0",
                                         "--loop-mm=0",
                                         "--loop-ppm=0",
                                         "--network-limit=" + limit,
                                         "-o",
                                         out,
                                         n.paths[0],
                                         n.paths[1]};
        if (quiet) args.insert(args.begin(), "-q");
        return Cli(args);
    };
    auto r = run("16", false);
    EXPECT_EQ(r.exitStatus, 0);
    EXPECT_EQ(r.err,
              "delvaro-cli: note: the network checks were left out: the run has more than 16 "
              "baselines (--network-limit)\n"
              "delvaro-cli: 2 files, 17 baselines converted into " +
                  out + "\n");
    EXPECT_EQ(run("16", true).err, "");
    // At the limit itself the network is checked.
    auto at = run("17", true);
    EXPECT_NE(at.err.find("repeated baseline"), std::string::npos) << at.err;
    EXPECT_NE(at.err.find("loop "), std::string::npos) << at.err;
}

TEST(CliChecks, RecordWarningsBeforeAFault) {
    // Checks made before a fault stand; the network is not checked after one.
    Network n;
    n.model.unitCode[0] = "KM";
    n.Write();
    n.files.text[1] += "@+P999            1 2\r\n";
    n.Save();
    const std::string out = n.dir.Path("out.txt");
    auto r = Cli({"-q", "-o", out, n.paths[0], n.paths[1]});
    EXPECT_EQ(r.exitStatus, 1);
    const int lastLine = static_cast<int>(Lines(n.files.text[1]).size());
    EXPECT_EQ(r.err, n.At(0, 3) +
                         "unknown unit code KM: it is read as metres; check the unit "
                         "of the coordinates (M, FTS or FTI are known)\n" +
                         "Not enough arguments on line " + std::to_string(lastLine) + " - " +
                         n.paths[1] + "\n");
}

}  // namespace
}  // namespace delvaro
