// The HTML report: its text, and the page as headless Chromium shows it (a
// screenshot for a person to look at, the DOM for the test).
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "checks/network_fixture.h"
#include "checks/text.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace delvaro {
namespace {

namespace fs = std::filesystem;

test::ProcessResult Cli(std::vector<std::string> args) {
    args.insert(args.begin(), DELVARO_CLI);
    test::ProcessResult r = test::RunProcess(args);
    r.err = test::AsText(r.err);
    return r;
}

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// The rows of the table with this id.
size_t Rows(const std::string& html, const std::string& id) {
    const size_t start = html.find("<table id=\"" + id + "\"");
    if (start == std::string::npos) return 0;
    const size_t body = html.find("<tbody>", start);
    const size_t end = html.find("</tbody>", body);
    return Count(html.substr(body, end - body), "<tr");
}

// Debian's Chromium; none on Windows, where these tests skip.
std::string Chromium() {
#ifndef _WIN32
    for (const char* path : {"/usr/bin/chromium", "/usr/bin/chromium-browser"}) {
        std::error_code error;
        const auto perms = fs::status(path, error).permissions();
        if (!error && (perms & fs::perms::owner_exec) != fs::perms::none) return path;
    }
#endif
    return "";
}

// Runs headless Chromium over `page` with a profile of its own, no network
// and a time limit generous enough for a machine under full load: the DOM
// as it stands after loading, and a screenshot.
std::string OpenInChromium(const std::string& page, const std::string& screenshot, int height) {
    test::TempDir profile;
    const std::vector<std::string> common = {"/usr/bin/timeout",
                                             "-k",
                                             "10",
                                             "240",
                                             Chromium(),
                                             "--headless",
                                             "--no-sandbox",
                                             "--disable-gpu",
                                             "--disable-quic",
                                             "--no-first-run",
                                             "--disable-background-networking",
                                             "--disable-component-update",
                                             "--disable-sync",
                                             "--hide-scrollbars",
                                             "--user-data-dir=" + profile.Path("profile")};
    std::vector<std::string> shot = common;
    fs::create_directories(fs::path(screenshot).parent_path());
    fs::remove(screenshot);
    shot.insert(shot.end(), {"--screenshot=" + screenshot,
                             "--window-size=1100," + std::to_string(height), "file://" + page});
    const auto taken = test::RunProcess(shot);
    EXPECT_EQ(taken.exitStatus, 0) << taken.err;
    EXPECT_TRUE(fs::exists(screenshot)) << taken.err;
    if (fs::exists(screenshot)) {
        EXPECT_GT(fs::file_size(screenshot), 10000u);
    }
    std::vector<std::string> dump = common;
    dump.insert(dump.end(), {"--dump-dom", "file://" + page});
    const auto dom = test::RunProcess(dump);
    EXPECT_EQ(dom.exitStatus, 0) << dom.err;
    return dom.out;
}

// A page that a USB stick carries alone: nothing fetched from elsewhere.
void ExpectSelfContained(const std::string& html) {
    for (const char* reference : {"src=", "href=", "@import", "url(", "<link", "<script"})
        EXPECT_EQ(html.find(reference), std::string::npos) << reference;
    std::string rest = html;
    for (size_t at; (at = rest.find("http://www.w3.org/2000/svg")) != std::string::npos;)
        rest.erase(at, 26);
    EXPECT_EQ(rest.find("http"), std::string::npos);
}

TEST(Report, RealisticNetworkWithTwoBlunders) {
    if (Chromium().empty()) GTEST_SKIP() << "chromium is not installed";
    test::TempDir dir;
    test::NetworkModel model = test::RealisticNetwork();
    model.observations[model.Find(1, "P101", "P104")].vector[2] += 0.05;
    model.observations[model.Find(3, "P108", "P105")].vector[0] += 0.03;
    const test::NetworkFiles files = test::WriteNetwork(model);
    const std::string a = dir.Write("day1.asc", files.text[0]);
    const std::string b = dir.Write("day2.asc", files.text[1]);
    const std::string report = dir.Path("network report.html");
    auto r = Cli({"-q", "--report", report, "-o", dir.Path("out.txt"), a, b});
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    const size_t warnings = Count(r.err, ": warning: ");
    ASSERT_GE(warnings, 2u);
    const std::string html = test::ReadFileBytes(report);
    ExpectSelfContained(html);

    const std::string dom =
        OpenInChromium(report, std::string(DELVARO_SCREENSHOT_DIR) + "/network-report.png", 2600);
    ASSERT_NE(dom.find("<svg class=\"network\""), std::string::npos) << dom.substr(0, 500);
    EXPECT_EQ(Count(dom, "<circle class=\"station"), 12u);
    EXPECT_EQ(Count(dom, "<text class=\"station-name\""), 12u);
    EXPECT_EQ(Count(dom, "<line class=\"baseline"), 16u);  // 17 baselines, one repeated
    EXPECT_EQ(Count(dom, "<line class=\"baseline repeated"), 1u);
    EXPECT_GE(Count(dom, "loop-fail\""), 2u);
    EXPECT_NE(dom.find("<g class=\"scale\">"), std::string::npos);
    EXPECT_NE(dom.find("<g class=\"north\""), std::string::npos);
    EXPECT_EQ(Rows(dom, "station-list"), 12u);
    EXPECT_EQ(Rows(dom, "warning-list"), warnings);
    EXPECT_EQ(Rows(dom, "repeat-list"), 1u);
    EXPECT_EQ(Rows(dom, "loop-list"), 5u);
    EXPECT_EQ(Rows(dom, "files"), 2u);
    EXPECT_NE(dom.find("(one session)"), std::string::npos);
    // Latitude and height as the output has them.
    const std::string output = test::ReadFileBytes(dir.Path("out.txt"));
    const size_t p101 = output.find("$GEO_COMPACT; P101; ");
    ASSERT_NE(p101, std::string::npos);
    const std::string latitude = output.substr(p101 + 20, output.find(';', p101 + 20) - p101 - 20);
    EXPECT_NE(dom.find("<td>P101</td><td class=\"num\">" + latitude + "</td>"), std::string::npos)
        << latitude;
}

// A network of 500 stations still draws every station and name.
TEST(Report, FiveHundredStations) {
    if (Chromium().empty()) GTEST_SKIP() << "chromium is not installed";
    test::TempDir dir;
    // A grid of 25 by 20 stations 300 m apart, each joined to its east and
    // north neighbours.
    std::string ski = "@%Unit: M\r\n@%Coordinate type: Cartesian\r\n";
    constexpr double kOrigin[3] = {4325481.2941, 565424.1689, 4638227.7623};
    // Local east and north at the origin in earth-centred axes.
    constexpr double kEast[3] = {-0.1296, 0.9916, 0};
    constexpr double kNorth[3] = {-0.7210, -0.0942, 0.6865};
    auto position = [&](int i, int j, double xyz[3]) {
        for (int k = 0; k < 3; ++k)
            xyz[k] = kOrigin[k] + 300.0 * i * kEast[k] + 300.0 * j * kNorth[k];
    };
    char line[256];
    for (int i = 0; i < 25; ++i)
        for (int j = 0; j < 20; ++j)
            for (int d = 0; d < 2; ++d) {
                const int i2 = i + (d == 0), j2 = j + (d == 1);
                if (i2 == 25 || j2 == 20) continue;
                double from[3], to[3];
                position(i, j, from);
                position(i2, j2, to);
                std::snprintf(line, sizeof line,
                              "@+G%02d%02d            %.4f %.4f %.4f\r\n"
                              "@-G%02d%02d            %.4f %.4f %.4f\r\n"
                              "@= 1.0 1e-6 0 0 1e-6 0 4e-6\r\n",
                              i, j, from[0], from[1], from[2], i2, j2, to[0] - from[0],
                              to[1] - from[1], to[2] - from[2]);
                ski += line;
            }
    const std::string grid = dir.Write("grid.asc", ski);
    const std::string report = dir.Path("grid.html");
    auto r = Cli({"-q", "--strict", "--report", report, "-o", dir.Path("out.txt"), grid});
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    const std::string dom = OpenInChromium(
        report, std::string(DELVARO_SCREENSHOT_DIR) + "/network-report-500.png", 1900);
    EXPECT_EQ(Count(dom, "<circle class=\"station\""), 500u);
    EXPECT_EQ(Count(dom, "<text class=\"station-name\""), 500u);
    EXPECT_EQ(Count(dom, "<line class=\"baseline\""), 24u * 20 + 25 * 19);
    EXPECT_EQ(Rows(dom, "loop-list"), 24u * 19);
}

// Five stations: one session of radial baselines, no loop.
TEST(Report, FiveStations) {
    if (Chromium().empty()) GTEST_SKIP() << "chromium is not installed";
    test::TempDir dir;
    test::NetworkModel model = test::RealisticNetwork();
    std::erase_if(model.observations, [](const auto& o) { return o.session != 1; });
    const test::NetworkFiles files = test::WriteNetwork(model);
    const std::string small = dir.Write("day1.asc", files.text[0]);
    const std::string smallReport = dir.Path("five.html");
    ASSERT_EQ(Cli({"-q", "--report", smallReport, "-o", dir.Path("out.txt"), small}).exitStatus, 0);
    const std::string five = OpenInChromium(
        smallReport, std::string(DELVARO_SCREENSHOT_DIR) + "/network-report-5.png", 1900);
    EXPECT_EQ(Count(five, "<circle class=\"station\""), 5u);
    EXPECT_NE(five.find("The network has no loops"), std::string::npos);
}

#ifdef _WIN32
constexpr char kAwkwardName[] = "a&b.asc";  // no < or > in Windows file names
constexpr char kAwkwardNameEscaped[] = "a&amp;b.asc";
#else
constexpr char kAwkwardName[] = "a<b>.asc";
constexpr char kAwkwardNameEscaped[] = "a&lt;b&gt;.asc";
#endif

TEST(Report, AfterAFailureAndWithAwkwardNames) {
    test::TempDir dir;
    const std::string good =
        dir.Write(kAwkwardName,
                  "@%Unit: M\n@%Coordinate type: Cartesian\n"
                  "@+P<1>&\"x\"        4361564.4935 556408.2668 4605581.9993\n"
                  "@-Q'2'            589.2084 1622.6942 -782.4466\n"
                  "@= 1.0 0.0000012 -0.00000034 0.00000056 0.0000021 -0.00000045 0.0000033\n");
    const std::string bad = dir.Write("bad.asc", "@%Unit: M\n");
    const std::string report = dir.Path("r.html");
    auto ok = Cli({"-q", "--report", report, "-o", dir.Path("out.txt"), good});
    ASSERT_EQ(ok.exitStatus, 0) << ok.err;
    std::string html = test::ReadFileBytes(report);
    EXPECT_NE(html.find("<td>P&lt;1&gt;&amp;&quot;x&quot;</td>"), std::string::npos);
    EXPECT_NE(html.find("Q&#39;2&#39;"), std::string::npos);
    EXPECT_NE(html.find(kAwkwardNameEscaped), std::string::npos);
    EXPECT_EQ(html.find("<1>"), std::string::npos);

    // A failed run still gets its report, saying so; the exit status is the
    // conversion's.
    auto failed = Cli({"-q", "--report", report, "-o", dir.Path("out.txt"), good, bad});
    EXPECT_EQ(failed.exitStatus, 1);
    html = test::ReadFileBytes(report);
    EXPECT_NE(html.find("failed</span>: No baselines found in file " + bad), std::string::npos);
    EXPECT_NE(html.find("The network was not checked: the conversion failed."), std::string::npos);
    EXPECT_EQ(html.find("<svg"), std::string::npos);

    // A report that cannot be written fails the command, after converting.
    const std::string nowhere = dir.Path("no/such/folder/r.html");
    auto unwritable = Cli({"-q", "--report", nowhere, "-o", dir.Path("out2.txt"), good});
    EXPECT_EQ(unwritable.exitStatus, 1);
    EXPECT_EQ(unwritable.err.rfind("delvaro-cli: cannot write the report " + nowhere + ": ", 0), 0u)
        << unwritable.err;
    EXPECT_TRUE(fs::exists(dir.Path("out2.txt")));
#ifndef _WIN32
    EXPECT_EQ(unwritable.err,
              "delvaro-cli: cannot write the report " + nowhere + ": No such file or directory\n");
    auto full = Cli({"-q", "--report", "/dev/full", "-o", dir.Path("out3.txt"), good});
    EXPECT_EQ(full.exitStatus, 1);
    EXPECT_EQ(full.err,
              "delvaro-cli: cannot write the report /dev/full: No space left on device\n");
#endif
}

}  // namespace
}  // namespace delvaro
