#include "engine/ski_reader.h"

#include <gtest/gtest.h>

#include <charconv>
#include <string>
#include <vector>

#include "support/ski_convert.h"
#include "support/temp_dir.h"

namespace delvaro {
namespace {

using test::Baseline3;
using test::ConvertText;
using test::Header;
using test::Observation;

constexpr char kElevenLines[] =
    "! Leica SKI-Pro baseline export\n"
    "@%Unit: fts\n"
    "@%Coordinate type: Cartesian\n"
    "\n"
    "@+PT100          14309591.8718 1825482.3588 15110129.6718\n"
    "@-PT200          1933.1028 5323.8342 -2567.0629\n"
    "@= 1.0 0.0000012 -0.00000034 0.00000056 0.0000021 -0.00000045 0.0000033\n"
    "@* OBS 17\n"
    "@+PT200          14311524.9746 1830806.1930 15107562.6089\n"
    "@-PT300          -1000.5 2000.25 300.125\n"
    "@= 1.2 0.0004 0.0 0.0 0.0004 0.0 0.0004\n";

std::string Fixed(double value, int decimals) {
    char buffer[64];
    auto r =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return std::string(buffer, r.ptr);
}

std::string WithCrLf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

TEST(ConvertSkiFile, ElevenLineFile) {
    auto c = ConvertText(kElevenLines, 1.0, "eleven.asc");
    EXPECT_EQ(c.status, 0);
    EXPECT_EQ(c.line, 12);
    EXPECT_EQ(c.baselines, 2);
    EXPECT_EQ(c.headerBlocks, 1);
    // The first baseline is written when the second from record arrives and
    // carries the description read after it; the second has none.
    EXPECT_EQ(c.observations,
              (std::vector<Observation>{{"PT100", "PT200", "OBS 17"}, {"PT200", "PT300", ""}}));
    EXPECT_EQ(c.stationDescriptions, std::vector<std::string>(4, "eleven.asc"));

    // Line ends in CR LF read exactly like bare line feeds.
    auto crlf = ConvertText(WithCrLf(kElevenLines), 1.0, "eleven.asc");
    EXPECT_EQ(crlf.status, 0);
    EXPECT_EQ(crlf.line, 12);
    EXPECT_EQ(crlf.output, c.output);
}

TEST(ConvertSkiFile, BaselineCountAccumulatesAcrossCalls) {
    test::TempDir dir;
    std::string in = dir.Write("a.asc", Header() + Baseline3("A", "B"));
    FILE* out = std::fopen(dir.Path("out.txt").c_str(), "wb");
    int32_t count = 5, line = 99;
    Status status = 77;
    ConvertSkiFile(in.c_str(), out, 6378137.0, test::kWgs84E2, 1.0, &count, &line, &status);
    std::fclose(out);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(count, 6);
    EXPECT_EQ(line, 6);
}

TEST(ConvertSkiFile, UnitCodesDivideEveryLength) {
    struct Case {
        const char* unit;
        double divisor;
    } cases[] = {
        {"fts", 3.28083333333333},
        {"Fts", 3.28083333333333},
        {"FTS", 3.28083333333333},
        {"fti", 3.28083989501312},
        {"M", 1.0},
        {"m", 1.0},
        {"metre", 1.0},
        {"ft", 1.0},
    };
    for (const Case& u : cases) {
        auto c = ConvertText(Header(u.unit) +
                             "@+A               14821495.3810 0 0\n"
                             "@-B               14821495.3810 -3.5 0\n"
                             "@= 1.0 1 0 0 0 0 0\n");
        ASSERT_EQ(c.status, 0) << u.unit;
        ASSERT_EQ(c.gpsLines.size(), 1u);
        auto fields = test::RecordFields(c.gpsLines[0]);
        EXPECT_EQ(fields[2], Fixed(14821495.3810 / u.divisor, 5)) << u.unit;
        EXPECT_EQ(fields[3], Fixed(-3.5 / u.divisor, 5)) << u.unit;
    }
    // 14821495.3810 US survey feet, in metres.
    auto fts = ConvertText(
        Header("fts") +
        "@+A               0 0 0\n@-B               14821495.3810 0 0\n@= 1 1 0 0 0 0 0\n");
    EXPECT_EQ(test::RecordFields(fts.gpsLines.at(0))[2], "4517600.82733");
}

TEST(ConvertSkiFile, CovarianceIsScaledAndDividedByTheUnitFactorOnce) {
    const std::string record = "@= 1.2 0.0004 0 0 0 0 0\n";
    auto run = [&](const char* unit, double scaler) {
        auto c = ConvertText(Header(unit) +
                                 "@+A               4361564.4935 556408.2668 4605581.9993\n"
                                 "@-B               1 2 3\n" +
                                 record,
                             scaler);
        EXPECT_EQ(c.status, 0);
        return test::RecordFields(c.gpsLines.at(0))[5];
    };
    EXPECT_EQ(run("FTS", 10).substr(0, 10), "0.00175565");
    EXPECT_EQ(run("M", 1), "0.000576000000");
}

TEST(ConvertSkiFile, CovarianceTermsAreWrittenWithThirdAndFourthSwapped) {
    auto c = ConvertText(Header() +
                         "@+A               1 2 3\n@-B               1 2 3\n"
                         "@= 1 0.1 0.2 0.3 0.4 0.5 0.6\n");
    auto f = test::RecordFields(c.gpsLines.at(0));
    EXPECT_EQ(std::vector<std::string>(f.begin() + 5, f.end()),
              (std::vector<std::string>{"0.100000000000", "0.200000000000", "0.400000000000",
                                        "0.300000000000", "0.500000000000", "0.600000000000"}));
}

// Files that stop with a fault: status, line number, baselines counted and
// the observations written before the reader returned.
TEST(ConvertSkiFile, FaultsAndWhatIsWrittenBeforeThem) {
    const std::string h = Header();
    const std::string from = "@+A               4361564.4935 556408.2668 4605581.9993\n";
    const std::string to = "@-B               589.2084 1622.6942 -782.4466\n";
    const std::string cov = "@= 1.0 1 2 3 4 5 6\n";
    struct Case {
        const char* name;
        std::string text;
        Status status;
        int32_t line;
        int32_t baselines;
        int headerBlocks;
        std::vector<Observation> written;
    } cases[] = {
        {"empty file", "", IDS_ERR_NO_BASELINES, 1, 0, 0, {}},
        {"only comments and empty lines", "! a\n\n   \n!b\n", IDS_ERR_NO_BASELINES, 5, 0, 0, {}},
        {"unit tag alone", "@%Unit:\n", IDS_ERR_TOO_FEW_FIELDS, 1, 0, 0, {}},
        {"unit tag in lower case", "@%unit: m\n", IDS_ERR_NO_UNIT, 1, 0, 0, {}},
        {"unit code joined to tag", "@%Unit:m\n", IDS_ERR_TOO_FEW_FIELDS, 1, 0, 0, {}},
        {"single word first", "hello\n", IDS_ERR_TOO_FEW_FIELDS, 1, 0, 0, {}},
        {"two words first", "hello world\n", IDS_ERR_NO_UNIT, 1, 0, 0, {}},
        {"only the unit record", "@%Unit: m extra words\n", IDS_ERR_NO_BASELINES, 2, 0, 1, {}},
        {"Type with capital T",
         "@%Unit: m\n@%Coordinate Type: Cartesian\n",
         IDS_ERR_NO_COORD_TYPE,
         2,
         0,
         1,
         {}},
        {"two blanks in coordinate tag",
         "@%Unit: m\n@%Coordinate  type: Cartesian\n",
         IDS_ERR_NO_COORD_TYPE,
         2,
         0,
         1,
         {}},
        {"geodetic coordinates",
         "@%Unit: m\n@%Coordinate type: GEODETIC\n",
         IDS_ERR_NOT_CARTESIAN,
         2,
         0,
         1,
         {}},
        {"coordinate tag alone",
         "@%Unit: m\n@%Coordinate type:\n",
         IDS_ERR_TOO_FEW_FIELDS,
         2,
         0,
         1,
         {}},
        {"from record without numbers", h + "@+A\n", IDS_ERR_TOO_FEW_FIELDS, 3, 0, 1, {}},
        {"from record with two numbers",
         h + "@+A               1 2\n",
         IDS_ERR_TOO_FEW_FIELDS,
         3,
         0,
         1,
         {}},
        {"51-character field",
         h + "@+A               1 2 " + std::string(51, '3') + "\n",
         IDS_ERR_FIELD_TOO_LONG,
         3,
         0,
         1,
         {}},
        {"covariance with six numbers",
         h + from + to + "@= 1 2 3 4 5 6\n",
         IDS_ERR_TOO_FEW_FIELDS,
         5,
         0,
         1,
         {}},
        {"covariance first", h + cov, IDS_ERR_BAD_BASELINE, 3, 0, 1, {}},
        {"from, from, covariance", h + from + from + cov, IDS_ERR_BAD_BASELINE, 5, 0, 1, {}},
        {"to, to, covariance", h + to + to + cov, IDS_ERR_BAD_BASELINE, 5, 0, 1, {}},
        {"from, to, to, covariance", h + from + to + to + cov, IDS_ERR_BAD_BASELINE, 6, 0, 1, {}},
        {"position record after the last baseline",
         h + from + to + cov + from,
         IDS_ERR_BAD_BASELINE,
         7,
         1,
         1,
         {{"A", "B", ""}}},
        // The completed baseline is written when the to record arrives.
        {"from, to, covariance, to",
         h + from + to + cov + to,
         IDS_ERR_BAD_BASELINE,
         7,
         1,
         1,
         {{"A", "B", ""}}},
        {"two covariance records",
         h + from + to + cov + cov,
         IDS_ERR_BAD_BASELINE,
         6,
         1,
         1,
         {{"A", "B", ""}}},
        {"one-word description after a baseline",
         h + from + to + cov + "@* lonely\n",
         IDS_ERR_TOO_FEW_FIELDS,
         6,
         1,
         1,
         {{"A", "B", ""}}},
        {"bad number in from record",
         h + "@+A               55640x.2668 1 2\n",
         IDS_ERR_BAD_NUMBER,
         3,
         0,
         1,
         {}},
        {"nan in to record",
         h + from + "@-B               nan 1 2\n",
         IDS_ERR_BAD_NUMBER,
         4,
         0,
         1,
         {}},
        {"inf in covariance",
         h + from + to + "@= 1 inf 0 0 0 0 0\n",
         IDS_ERR_BAD_NUMBER,
         5,
         0,
         1,
         {}},
        {"overflowing scale factor",
         h + from + to + "@= 1e999 1 0 0 0 0 0\n",
         IDS_ERR_BAD_NUMBER,
         5,
         0,
         1,
         {}},
        {"long station name spills into numbers",
         h + "@+STATION-NAME-TOO-LONG 4361564.4935 556408.2668 4605581.9993\n",
         IDS_ERR_BAD_NUMBER,
         3,
         0,
         1,
         {}},
        // Each number is finite, but what is formed from them is not.
        {"covariance overflowing",
         h + from + to + "@= 1e200 1 0 0 0 0 0\n",
         IDS_ERR_BAD_NUMBER,
         5,
         0,
         1,
         {}},
        {"to position overflowing",
         h + "@+A               1e308 0 0\n@-B               1e308 0 0\n" + cov,
         IDS_ERR_BAD_NUMBER,
         5,
         0,
         1,
         {}},
        {"bad number after a pending baseline",
         h + from + to + cov + "@+C               x 1 2\n",
         IDS_ERR_BAD_NUMBER,
         6,
         1,
         1,
         {{"A", "B", ""}}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        auto c = ConvertText(k.text);
        EXPECT_EQ(c.status, k.status);
        EXPECT_EQ(c.line, k.line);
        EXPECT_EQ(c.baselines, k.baselines);
        EXPECT_EQ(c.headerBlocks, k.headerBlocks);
        EXPECT_EQ(c.observations, k.written);
    }
}

TEST(ConvertSkiFile, AcceptedLayouts) {
    const std::string h = Header();
    struct Case {
        const char* name;
        std::string text;
        std::vector<Observation> written;
    } cases[] = {
        {"to before from",
         h + "@-B               1 2 3\n@+A               4 5 6\n@= 1 1 0 0 0 0 0\n",
         {{"A", "B", ""}}},
        {"blanks before records and comments between",
         h + "   @+A               4 5 6\n! note\n\t@-B               1 2 3\n  @= 1 1 0 0 0 0 0\n",
         {{"A", "B", ""}}},
        {"description with three words keeps two",
         h + Baseline3("A", "B") + "@* first second third\n",
         {{"A", "B", "first second"}}},
        {"accented letter splits a word",
         h + Baseline3("A", "B") + "@* caf\xe9ine x\n",
         {{"A", "B", "caf ine"}}},
        {"lone carriage return is a blank",
         h + Baseline3("A", "B") + "@* OBS\r17\n",
         {{"A", "B", "OBS 17"}}},
        {"exclamation mark inside a line is ordinary",
         h + Baseline3("A", "B") + "x ! y\n@* d1 d2 ! rest\n",
         {{"A", "B", "d1 d2"}}},
        {"station names keep leading blanks, lose trailing ones",
         h + "@+ A1            1 2 3\n@-B2             1 2 3\n@= 1 1 0 0 0 0 0\n",
         {{" A1", "B2", ""}}},
        {"name of exactly fifteen characters",
         h + "@+ABCDEFGHIJKLMNO 1 2 3\n@-B               1 2 3\n@= 1 1 0 0 0 0 0\n",
         {{"ABCDEFGHIJKLMNO", "B", ""}}},
        {"50-character field",
         h + "@+A               1 2 " + std::string(49, '3') +
             ".\n@-B               1 2 3\n@= 1 1 0 0 0 0 0\n",
         {{"A", "B", ""}}},
        // The last line has no line end and is still read.
        {"last covariance without newline",
         h + Baseline3("A", "B") + Baseline3("B", "C").substr(0, Baseline3("B", "C").size() - 1),
         {{"A", "B", ""}, {"B", "C", ""}}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        auto c = ConvertText(k.text);
        EXPECT_EQ(c.status, 0);
        EXPECT_EQ(c.observations, k.written);
    }
}

TEST(ConvertSkiFile, ScaleFactorJoinedToTheTagReadsLikeSeparated) {
    const std::string base = Header() + "@+A               1 2 3\n@-B               1 2 3\n";
    auto joined = ConvertText(base + "@=1.2 0.0004 0 0 0 0 0\n");
    auto separated = ConvertText(base + "@= 1.2 0.0004 0 0 0 0 0\n");
    EXPECT_EQ(joined.status, 0);
    EXPECT_EQ(joined.output, separated.output);
    EXPECT_EQ(ConvertText(base + "@=1.2 0.0004 0 0 0 0\n").status, IDS_ERR_TOO_FEW_FIELDS);
}

TEST(ConvertSkiFile, ToStationIsFromPositionPlusVector) {
    // Whatever the order of from and to, and however many baselines came
    // before, the to station is this baseline's from station plus its vector.
    const std::string h = Header();
    auto ordered = ConvertText(h +
                               "@+P               4361564.4935 556408.2668 4605581.9993\n"
                               "@-Q               589.2084 1622.6942 -782.4466\n"
                               "@= 1 1 0 0 0 0 0\n");
    auto reversed =
        ConvertText(h +
                    "@+X               1 1 1\n@-Y               1 1 1\n@= 1 1 0 0 0 0 0\n"
                    "@-Q               589.2084 1622.6942 -782.4466\n"
                    "@+P               4361564.4935 556408.2668 4605581.9993\n"
                    "@= 1 1 0 0 0 0 0\n");
    ASSERT_EQ(ordered.status, 0);
    ASSERT_EQ(reversed.status, 0);
    auto stationBlocks = [](const std::string& out) {
        return out.substr(out.rfind("$GEO_COMPACT; P"));
    };
    EXPECT_EQ(stationBlocks(reversed.output), stationBlocks(ordered.output));
    EXPECT_NE(ordered.output.find("$GEO_COMPACT; Q; 46.3036000001; 0.0000001; 7.1724000001"),
              std::string::npos);
}

TEST(ConvertSkiFile, LastLineWithoutNewline) {
    // A lone unit record without a line end is read and its header written.
    auto unitOnly = ConvertText("@%Unit: m");
    EXPECT_EQ(unitOnly.status, IDS_ERR_NO_BASELINES);
    EXPECT_EQ(unitOnly.headerBlocks, 1);
    EXPECT_EQ(unitOnly.line, 2);
    // A single baseline whose covariance record ends the file unterminated.
    std::string text = Header() + Baseline3("A", "B");
    text.pop_back();
    auto c = ConvertText(text);
    EXPECT_EQ(c.status, 0);
    EXPECT_EQ(c.baselines, 1);
    EXPECT_EQ(c.observations.size(), 1u);
    EXPECT_EQ(c.line, 6);
}

TEST(ConvertSkiFile, LongLinesAreReadInPiecesOf252Characters) {
    const std::string h = Header();
    const std::string tooFew = "@+A               1 2\n";
    // 300 characters: a comment piece of 252 and an ordinary piece of 48,
    // so the faulty line after it is reported one line further on.
    auto c = ConvertText(h + "!" + std::string(299, 'x') + "\n" + tooFew);
    EXPECT_EQ(c.status, IDS_ERR_TOO_FEW_FIELDS);
    EXPECT_EQ(c.line, 5);

    // 251 characters and CR LF is one read; 252 and CR LF takes two.
    std::string line251 = "@* words here" + std::string(251 - 13, ' ');
    auto one = ConvertText(WithCrLf(h) + line251 + "\r\n" + tooFew);
    EXPECT_EQ(one.status, IDS_ERR_TOO_FEW_FIELDS);
    EXPECT_EQ(one.line, 4);
    auto two = ConvertText(WithCrLf(h) + line251 + " \r\n" + tooFew);
    EXPECT_EQ(two.status, IDS_ERR_TOO_FEW_FIELDS);
    EXPECT_EQ(two.line, 5);
}

// Needs a file size limit, which only POSIX systems have.
#ifndef _WIN32
TEST(ConvertSkiFile, WriteFailureOfAPendingBaselineStopsBeforeTheNextRecord) {
    // The output takes the header and one baseline, then is full.
    const std::string h = Header();
    const long headerAndOneBaseline =
        static_cast<long>(ConvertText(h + Baseline3("A", "B")).output.size());
    for (const char* next : {"@+C               x y z\n", "@-C               x y z\n"}) {
        SCOPED_TRACE(next);
        auto c = ConvertText(h + Baseline3("A", "B") + Baseline3("B", "C") + next, 1.0, "site1.asc",
                             headerAndOneBaseline);
        // The record that triggered the write is not read: no 5023 for it.
        EXPECT_EQ(c.status, IDS_ERR_WRITE);
        EXPECT_EQ(c.line, 9);
        EXPECT_EQ(c.baselines, 2);
        EXPECT_EQ(c.observations.size(), 1u);
    }
    // The header itself cannot be written.
    auto none = ConvertText(h + Baseline3("A", "B"), 1.0, "site1.asc", 0);
    EXPECT_EQ(none.status, IDS_ERR_WRITE);
    EXPECT_EQ(none.line, 1);
    EXPECT_TRUE(none.output.empty());
}
#endif

TEST(ConvertSkiFile, OpenAndReadFailures) {
    test::TempDir dir;
    FILE* out = std::fopen(dir.Path("out.txt").c_str(), "wb");
    int32_t count = 0, line = 0;
    Status status = 0;
    ConvertSkiFile(dir.Path("missing.asc").c_str(), out, 6378137.0, test::kWgs84E2, 1, &count,
                   &line, &status);
    EXPECT_EQ(status, IDS_ERR_CANNOT_OPEN);
    EXPECT_EQ(line, 0);
    // A folder cannot be converted, as on every platform.
    ConvertSkiFile(dir.Path("").c_str(), out, 6378137.0, test::kWgs84E2, 1, &count, &line, &status);
    EXPECT_EQ(status, IDS_ERR_CANNOT_OPEN);
#ifndef _WIN32
    // The start of a process's memory map cannot be read: a real read error.
    ConvertSkiFile("/proc/self/mem", out, 6378137.0, test::kWgs84E2, 1, &count, &line, &status);
    EXPECT_EQ(status, IDS_ERR_READ);
    EXPECT_EQ(line, 1);
#endif
    std::fclose(out);
    EXPECT_EQ(test::ReadFileBytes(dir.Path("out.txt")), "");
}

TEST(SplitFields, FirstFaultFromTheLeftDecides) {
    struct Case {
        int count;
        std::string text;
        Status status;
    } cases[] = {
        {3, "a b c d", 0},
        {3, "a b", IDS_ERR_TOO_FEW_FIELDS},
        {2, "", IDS_ERR_TOO_FEW_FIELDS},
        {2, std::string(51, 'x'), IDS_ERR_FIELD_TOO_LONG},
        {2, "a " + std::string(51, 'x'), IDS_ERR_FIELD_TOO_LONG},
        {2, "a b " + std::string(51, 'x'), 0},  // fields after the count are not looked at
        {3, "a " + std::string(51, 'x'), IDS_ERR_FIELD_TOO_LONG},
        {2, std::string(50, 'x') + " y", 0},
    };
    for (const Case& c : cases) {
        FieldTable table;
        Status status = -1;
        SplitFields(c.count, c.text.c_str(), table, &status);
        EXPECT_EQ(status, c.status) << c.text;
    }
    FieldTable table;
    Status status;
    SplitFields(3, "  one\ttwo\x01three four", table, &status);
    EXPECT_STREQ(table[0], "one");
    EXPECT_STREQ(table[1], "two");
    EXPECT_STREQ(table[2], "three");
}

}  // namespace
}  // namespace delvaro
