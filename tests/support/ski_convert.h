// Runs the SKI reader over text in a scratch file and collects what it did.
#pragma once

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#endif

#include <cstdio>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/ski_reader.h"
#include "support/temp_dir.h"

namespace delvaro::test {

constexpr double kWgs84E2 = 0.0066943799901413165;

struct Observation {
    std::string from, to, description;
    friend bool operator==(const Observation&, const Observation&) = default;
};

inline std::ostream& operator<<(std::ostream& os, const Observation& o) {
    return os << "{" << o.from << " -> " << o.to << " '" << o.description << "'}";
}

struct Conversion {
    Status status = 0;
    int32_t line = 0;
    int32_t baselines = 0;
    std::string output;
    int headerBlocks = 0;
    std::vector<Observation> observations;
    std::vector<std::string> stationDescriptions;
    std::vector<std::string> gpsLines;
};

// The fields of a "; "-separated record line after its keyword.
inline std::vector<std::string> RecordFields(const std::string& line) {
    std::vector<std::string> fields;
    size_t start = line.find("; ");
    while (start != std::string::npos) {
        size_t next = line.find("; ", start + 2);
        fields.push_back(line.substr(
            start + 2, next == std::string::npos ? std::string::npos : next - start - 2));
        start = next;
    }
    return fields;
}

inline void Analyse(Conversion& c) {
    std::istringstream lines(c.output);
    std::string line, description;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line == "$UNITS") ++c.headerBlocks;
        if (line.rfind("$OBS_DESC; ", 0) == 0) description = line.substr(11);
        if (line.rfind("$STA_DESC", 0) == 0)
            c.stationDescriptions.push_back(RecordFields(line).at(1));
        if (line.rfind("$GPS_COMPACT", 0) == 0) {
            auto f = RecordFields(line);
            c.observations.push_back({f.at(0), f.at(1), description});
            c.gpsLines.push_back(line);
        }
    }
}

// Converts `ski`, stored as `name`, into a fresh output. With `outputLimit`,
// the output cannot grow past that many bytes: writes beyond it fail as on a
// full disk.
inline Conversion ConvertText(const std::string& ski, double scaler = 1.0,
                              const std::string& name = "site1.asc", long outputLimit = -1) {
    TempDir dir;
    std::string in = dir.Write(name, ski);
    std::string outPath = dir.Path("out.txt");
    FILE* out = std::fopen(outPath.c_str(), "wb");
    Conversion c;
#ifdef _WIN32
    // Windows has no file size limit for a process: those tests are POSIX's.
    if (outputLimit >= 0) throw std::logic_error("no output limit on Windows");
#else
    rlimit saved{};
    if (outputLimit >= 0) {
        std::setvbuf(out, nullptr, _IONBF, 0);
        signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit limited = saved;
        limited.rlim_cur = static_cast<rlim_t>(outputLimit);
        setrlimit(RLIMIT_FSIZE, &limited);
    }
#endif
    ConvertSkiFile(in.c_str(), out, 6378137.0, kWgs84E2, scaler, &c.baselines, &c.line, &c.status);
#ifndef _WIN32
    if (outputLimit >= 0) setrlimit(RLIMIT_FSIZE, &saved);
#endif
    std::fclose(out);
    c.output = ReadFileBytes(outPath);
    Analyse(c);
    return c;
}

inline std::string Header(const char* unit = "m") {
    return std::string("@%Unit: ") + unit + "\n@%Coordinate type: Cartesian\n";
}

// A from, a to and a covariance record.
inline std::string Baseline3(const char* from, const char* to) {
    char text[512];
    std::snprintf(text, sizeof text,
                  "@+%-15s 4361564.4935 556408.2668 4605581.9993\n"
                  "@-%-15s 589.2084 1622.6942 -782.4466\n"
                  "@= 1.0 0.0000012 -0.00000034 0.00000056 0.0000021 -0.00000045 0.0000033\n",
                  from, to);
    return text;
}

}  // namespace delvaro::test
