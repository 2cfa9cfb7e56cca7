#include "checks/data_checks.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <string_view>
#include <unordered_map>

#include "common/text_utils.h"
#include "engine/fixed_format.h"
#include "engine/geodesy.h"
#include "engine/ski_reader.h"

namespace delvaro {

namespace {

// The most characters one read takes, the line end included.
constexpr int kReadLength = kSkiLineBufferSize - 3;

// WGS 84, as the conversion uses it.
constexpr double kA = kWgs84A;
const double kB = Wgs84SemiMinorAxis();

std::string Upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// A name as messages show it: in quotes when it holds blanks or is empty.
std::string Quoted(const std::string& name) {
    for (char c : name)
        if (IsBlank(c)) return "\"" + name + "\"";
    return name.empty() ? "\"\"" : name;
}

// Days from 1970-01-01 to the given date of the proleptic Gregorian
// calendar (Howard Hinnant's days_from_civil).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

bool ParseDigits(const char*& p, int count, int& value) {
    value = 0;
    for (int i = 0; i < count; ++i, ++p) {
        if (*p < '0' || *p > '9') return false;
        value = value * 10 + (*p - '0');
    }
    return true;
}

// YYYY-MM-DD (or YYYY/MM/DD, DD.MM.YYYY) into days since 1970.
bool ParseDate(const char*& p, int64_t& days) {
    int y, m, d;
    const char* start = p;
    if (ParseDigits(p, 4, y) && (*p == '-' || *p == '/')) {
        const char separator = *p++;
        if (!ParseDigits(p, 2, m) || *p++ != separator || !ParseDigits(p, 2, d)) return false;
    } else {
        p = start;
        if (!ParseDigits(p, 2, d) || *p++ != '.' || !ParseDigits(p, 2, m) || *p++ != '.' ||
            !ParseDigits(p, 4, y))
            return false;
    }
    if (m < 1 || m > 12 || d < 1 || d > 31) return false;
    days = DaysFromCivil(y, static_cast<unsigned>(m), static_cast<unsigned>(d));
    return true;
}

// hh:mm or hh:mm:ss, seconds may have decimals (dropped).
bool ParseTimeOfDay(const char*& p, int64_t& seconds) {
    int h, m, s = 0;
    if (!ParseDigits(p, 2, h) || *p++ != ':' || !ParseDigits(p, 2, m)) return false;
    if (*p == ':') {
        ++p;
        if (!ParseDigits(p, 2, s)) return false;
        if (*p == '.')
            for (++p; *p >= '0' && *p <= '9';) ++p;
    }
    if (h > 24 || m > 59 || s > 60) return false;
    seconds = h * 3600 + m * 60 + s;
    return true;
}

void SkipBlanks(const char*& p) {
    while (*p != '\0' && IsBlank(*p)) ++p;
}

// Absurd heights in a few digits: whatever their size, they are wrong.
std::string HeightText(double height) {
    constexpr double kLargest = 1e12;
    if (height > kLargest) return "more than " + FormatNumber(kLargest, 0);
    if (height < -kLargest) return "less than " + FormatNumber(-kLargest, 0);
    return FormatNumber(height, 3);
}

size_t FieldCount(const char* text) {
    size_t count = 0;
    while (*text != '\0') {
        while (*text != '\0' && IsBlank(*text)) ++text;
        if (*text == '\0') break;
        ++count;
        while (!IsBlank(*text)) ++text;
    }
    return count;
}

}  // namespace

std::string FormatNumber(double value, int decimals) {
    char text[kFixedBufferSize];
    return std::string(text, FormatFixed(text, value, decimals));
}

bool ParseSessionRecord(const char* record, SessionTime& start, SessionTime& end) {
    if (record[0] != '@' || record[1] != '&') return false;
    const char* p = record + 2;
    int64_t day, time, endTime;
    SkipBlanks(p);
    if (!ParseDate(p, day)) return false;
    if (*p == 'T') ++p;
    SkipBlanks(p);
    if (!ParseTimeOfDay(p, time)) return false;
    SkipBlanks(p);
    int64_t endDay = day;
    const char* endStart = p;
    const bool endDated = ParseDate(p, endDay);
    if (endDated) {
        if (*p == 'T') ++p;
        SkipBlanks(p);
    } else {
        p = endStart;
        endDay = day;
    }
    if (!ParseTimeOfDay(p, endTime)) return false;
    start = day * 86400 + time;
    end = endDay * 86400 + endTime;
    // A bare end time before the start is on the next day.
    if (!endDated && end <= start) end += 86400;
    return start < end;
}

DataChecks::DataChecks(ConversionHost& host, const CheckOptions& options)
    : m_host(host), m_options(options) {}

void DataChecks::Warn(int file, int32_t line, const std::string& text) {
    ++m_warningCount;
    m_host.Warning(file >= 0 ? m_files[static_cast<size_t>(file)] : std::string(), line, text);
}

void DataChecks::FileStarted(const char* path) {
    m_files.push_back(path);
    m_fileUnits.emplace_back();
    m_fileBaselines.push_back(0);
    m_file = static_cast<int>(m_files.size()) - 1;
    m_cutLine = 0;
    m_longLineReported = false;
    m_positionLine[0] = m_positionLine[1] = 0;
    m_sessionStart = m_sessionEnd = 0;
}

void DataChecks::LineRead(int32_t line, int length, bool endsLine, bool atEnd) {
    // Nearly every line: whole, and after a whole one. Nothing more than
    // this test is done for it.
    if (endsLine && m_cutLine == 0) return;
    UnusualLineRead(line, length, endsLine, atEnd);
}

void DataChecks::UnusualLineRead(int32_t line, int length, bool endsLine, bool atEnd) {
    if (m_cutLine != 0) {
        // The read before this one filled the buffer in the middle of a line.
        if (length == 0 && atEnd) {
            Warn(m_file, line - 1,
                 "the file's last line has no line end: the file may have been cut short; "
                 "check that it is complete");
        } else if (!(length == 1 && endsLine) && !m_longLineReported) {
            Warn(m_file, m_cutLine,
                 "line longer than " + std::to_string(kReadLength) +
                     " characters: it is read in pieces, each counted as a line, so its "
                     "record may be cut; check this line");
            m_longLineReported = true;
        }
    }
    if (length == kReadLength && !endsLine && !atEnd) {
        if (m_cutLine == 0) m_cutLine = line;
        return;
    }
    m_cutLine = 0;
    m_longLineReported = false;
    if (length > 0 && !endsLine && atEnd)
        Warn(m_file, line,
             "the file's last line has no line end: the file may have been cut short; "
             "check that it is complete");
}

void DataChecks::UnitRecord(int32_t line, const char* code) {
    m_fileUnits[static_cast<size_t>(m_file)] = code;
    const std::string unit = Upper(code);
    for (const char* known : {"M", "METRE", "METRES", "METER", "METERS", "FTS", "FTI"})
        if (unit == known) return;
    Warn(m_file, line,
         "unknown unit code " + Quoted(code) +
             ": it is read as metres; check the unit of the coordinates (M, FTS or FTI are "
             "known)");
}

void DataChecks::CheckHeight(int32_t line, const char* name, const double xyz[3], bool fromVector,
                             bool nameInRecord) {
    const double x = xyz[0], y = xyz[1], z = xyz[2];
    // A first estimate without iteration: the distance from the centre less
    // the ellipsoid's radius in that direction. Within a metre of the
    // geodetic height up to far above the highest mountains, so only values
    // near or beyond the limits need the exact conversion.
    const double p2 = x * x + y * y;
    const double r = SquareRoot(p2 + z * z);
    const double radius = (kA * kB) * r / SquareRoot(kB * kB * p2 + kA * kA * (z * z));
    const double estimate = r - radius;
    constexpr double kMargin = 2.0;
    if (estimate > m_options.minHeight + kMargin && estimate < m_options.maxHeight - kMargin)
        return;
    double latitude, longitude, height;
    EcefToGeodetic(kA, Wgs84EccentricitySquared(), x, y, z, latitude, longitude, height);
    if (height >= m_options.minHeight && height <= m_options.maxHeight) return;
    // A from record's name is taken from its line only now, when it is needed.
    char recordName[kStationNameLength + 1] = {};
    if (nameInRecord) {
        std::strncpy(recordName, name + 2, kStationNameLength);
        name = StripTrailingBlanks(recordName);
    }
    Warn(m_file, line,
         "station " + Quoted(name) + (fromVector ? " (from station plus vector)" : "") +
             " has an ellipsoid height of " + HeightText(height) + " m, outside " +
             FormatNumber(m_options.minHeight, 0) + " m to " +
             FormatNumber(m_options.maxHeight, 0) +
             " m: check the unit of the coordinates, numbers shifted by a column, or a "
             "wrong sign");
}

void DataChecks::PositionRecord(int32_t line, int index, const char* record,
                                const double values[3]) {
    m_positionLine[index] = line;
    // The name takes the 15 characters after the tag and the numbers start
    // at the 18th: a word that covers both the 17th and the 18th, with a
    // fourth number after it, is a name that ran into the numbers. (Without
    // a fourth number it is a 15-character name with the X written right
    // after it.) Exports pad names with blanks, so the 18th is a blank there.
    if (!IsBlank(record[16]) && !IsBlank(record[17]) && FieldCount(record + 17) > 3) {
        size_t end = 17;
        while (!IsBlank(record[end])) ++end;
        const std::string written(record + 2, end - 2);
        Warn(m_file, line,
             "station name " + Quoted(written) +
                 " runs into the number columns: only its first 15 characters are the name "
                 "and the rest is read as a number; shorten the name to 15 characters");
    }
    if (index == 0) CheckHeight(line, record, values, false, true);
}

void DataChecks::CheckCovariance(int32_t line, const double c[6]) {
    // The six terms are the upper triangle row by row: xx, xy, xz, yy, yz, zz.
    // Nearly every matrix is sound, which a Cholesky factorisation without
    // square roots shows at little cost: all three pivots positive.
    const double d1 = c[0];
    const double l21 = c[1] / d1, l31 = c[2] / d1;
    const double d2 = c[3] - c[1] * l21;
    const double l32 = (c[4] - c[2] * l21) / d2;
    const double p3 = c[5] - c[2] * l31 - l32 * l32 * d2;
    if (d1 > 0 && d2 > 0 && p3 > 0 && std::isfinite(l32) && std::isfinite(p3)) return;

    static const char* const kAxis[3] = {"X", "Y", "Z"};
    const double variance[3] = {c[0], c[3], c[5]};
    std::string fault;
    for (int i = 0; i < 3 && fault.empty(); ++i)
        if (!(variance[i] > 0))
            fault = "the variance of " + std::string(kAxis[i]) + " is " +
                    FormatNumber(variance[i], 12) + ", not above 0";
    double r[3] = {};  // correlations xy, xz, yz
    if (fault.empty()) {
        // Through the standard deviations, so that tiny or huge terms
        // neither underflow nor overflow.
        const double sd[3] = {SquareRoot(c[0]), SquareRoot(c[3]), SquareRoot(c[5])};
        const double term[3] = {c[1], c[2], c[4]};
        static const int kPair[3][2] = {{0, 1}, {0, 2}, {1, 2}};
        for (int i = 0; i < 3; ++i) {
            r[i] = term[i] / sd[kPair[i][0]] / sd[kPair[i][1]];
            if (fault.empty() && !(Absolute(r[i]) < 1))
                fault = "the correlation of " + std::string(kAxis[kPair[i][0]]) + " and " +
                        kAxis[kPair[i][1]] + " is " + FormatNumber(r[i], 3) +
                        ", of magnitude 1 or more";
        }
    }
    if (fault.empty()) {
        // The determinant's sign is that of the correlation matrix's, whose
        // Cholesky pivots show it without cancellation between large terms.
        const double d2 = 1 - r[0] * r[0];
        const double l32 = (r[2] - r[1] * r[0]) / d2;
        const double d3 = 1 - r[1] * r[1] - l32 * l32 * d2;
        // Sound by this measure but not by the first one: a matrix at the
        // edge, whose determinant rounding leaves at 0 or below.
        if (!(d2 > 0 && d3 > 0)) fault = "its determinant is 0 or less";
    }
    if (fault.empty()) fault = "its determinant is 0 or less";
    Warn(m_file, line,
         "covariance matrix not positive definite: " + fault +
             "; check the record's six terms (xx, xy, xz, yy, yz, zz)");
}

void DataChecks::BaselineAccepted(int32_t line, const Baseline& baseline) {
    CheckCovariance(line, baseline.covariance);
    CheckHeight(m_positionLine[1], baseline.stationNames[1], baseline.stationXyz[1], true, false);
    ++m_fileBaselines[static_cast<size_t>(m_file)];
    if (!m_steppedAside) Collect(line, baseline);
    m_sessionStart = m_sessionEnd = 0;
}

void DataChecks::OtherRecord(int32_t line, const char* record) {
    (void)line;
    SessionTime start, end;
    if (record[1] == '&' && ParseSessionRecord(record, start, end)) {
        m_sessionStart = start;
        m_sessionEnd = end;
    }
}

void DataChecks::IndexStations() {
    m_stationNames.clear();
    std::unordered_map<std::string_view, uint32_t> index;
    for (CollectedBaseline& b : m_baselines)
        for (int end = 0; end < 2; ++end) {
            const std::string_view name(b.name[end]);
            auto [it, added] = index.try_emplace(name, static_cast<uint32_t>(index.size()));
            if (added) m_stationNames.emplace_back(name);
            b.station[end] = it->second;
        }
}

void DataChecks::Collect(int32_t line, const Baseline& baseline) {
    if (static_cast<int64_t>(m_baselines.size()) >= m_options.networkLimit) {
        // Far beyond any real network: keep the run's memory and speed.
        StepAside();
        return;
    }
    CollectedBaseline b;
    std::memcpy(b.name, baseline.stationNames, sizeof b.name);
    b.file = m_file;
    b.line[0] = m_positionLine[0];
    b.line[1] = m_positionLine[1];
    b.line[2] = line;
    std::memcpy(b.fromXyz, baseline.stationXyz[0], sizeof b.fromXyz);
    std::memcpy(b.vector, baseline.vector, sizeof b.vector);
    b.sessionStart = m_sessionStart;
    b.sessionEnd = m_sessionEnd;
    try {
        // Room for the whole of a network up to the limit, taken once (pages
        // that are never written cost no memory); the names are looked up only
        // once the run is over.
        if (m_baselines.empty())
            m_baselines.reserve(
                static_cast<size_t>(std::min<int64_t>(m_options.networkLimit, 1 << 16)));
        m_baselines.push_back(b);
    } catch (const std::bad_alloc&) {
        // The conversion matters more than the checks.
        m_outOfMemory = true;
        StepAside();
    }
}

void DataChecks::StepAside() {
    m_steppedAside = true;
    std::vector<CollectedBaseline>().swap(m_baselines);
}

}  // namespace delvaro
