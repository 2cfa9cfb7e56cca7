// A realistic GPS network as SKI files: four sessions of radial baselines
// from a base that moves between sessions, over two days (one file each),
// closing to about a millimetre, with positive definite covariances and the
// names padded with blanks as exports write them. Tests change the model
// (one blunder at a time) before it is written.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/geodesy.h"

namespace delvaro::test {

struct NetworkStation {
    std::string name;
    double xyz[3];
};

struct NetworkObservation {
    int file;     // 0 day 1, 1 day 2
    int session;  // 1 to 4
    std::string from, to;
    double fromXyz[3];     // as written in the from record, metres
    double vector[3];      // as written in the to record, metres
    double covariance[6];  // xx, xy, xz, yy, yz, zz, m²
    // Lines of its records once written (1 for the first line of the file).
    int fromLine = 0, toLine = 0, covarianceLine = 0;
};

struct NetworkModel {
    std::vector<NetworkStation> stations;
    std::vector<NetworkObservation> observations;
    std::string unitCode[2] = {"M", "M"};
    double writtenPerMetre[2] = {1.0, 1.0};  // what the numbers are multiplied by
    std::string fileName[2] = {"day1.asc", "day2.asc"};
    // The index of the observation `from` -> `to` of `session`.
    size_t Find(int session, const std::string& from, const std::string& to) const {
        for (size_t i = 0; i < observations.size(); ++i)
            if (observations[i].session == session && observations[i].from == from &&
                observations[i].to == to)
                return i;
        std::abort();
    }
};

namespace fixture_detail {

// splitmix64: a fixed sequence on every platform.
class Random {
  public:
    explicit Random(uint64_t seed) : m_state(seed) {}
    double Uniform() {  // -1 to 1
        uint64_t z = (m_state += 0x9e3779b97f4a7c15ull);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        z ^= z >> 31;
        return static_cast<double>(z >> 11) / 4503599627370496.0 - 1.0;
    }
    // Near enough to a normal distribution of standard deviation 1.
    double Normal() { return Uniform() + Uniform() + Uniform(); }

  private:
    uint64_t m_state;
};

constexpr double kA = 6378137.0;
constexpr double kE2 = 0.0066943799901413165;
constexpr double kDegree = 3.141592653589793 / 180;

inline void GeodeticToEcef(double lat, double lon, double h, double xyz[3]) {
    const double s = Sine(lat), c = Cosine(lat);
    const double n = kA / SquareRoot(1 - kE2 * s * s);
    xyz[0] = (n + h) * c * Cosine(lon);
    xyz[1] = (n + h) * c * Sine(lon);
    xyz[2] = (n * (1 - kE2) + h) * s;
}

}  // namespace fixture_detail

// The network as it was measured.
inline NetworkModel RealisticNetwork() {
    using namespace fixture_detail;
    NetworkModel model;
    // East, north (metres from the area's centre) and ellipsoid height.
    struct Place {
        const char* name;
        double east, north, height;
    } const places[] = {
        {"P101", -1800, -1500, 548.21}, {"P102", -2600, -300, 603.77},
        {"P103", -1900, 900, 571.40},   {"P104", -700, -200, 612.05},
        {"P105", -300, -1300, 566.93},  {"P106", 400, -2400, 533.18},
        {"P107", 900, -700, 641.62},    {"P108", 1700, -1600, 702.34},
        {"P109", 2600, -2500, 688.90},  {"P110", 2300, 200, 756.11},
        {"P111", 1200, 1100, 812.47},   {"P112", 300, 2200, 879.05},
    };
    const double lat0 = 46.95 * kDegree, lon0 = 7.44 * kDegree;
    const double metresPerRadianNorth = 6366000.0, metresPerRadianEast = 4345000.0;
    for (const Place& p : places) {
        NetworkStation s{p.name, {}};
        GeodeticToEcef(lat0 + p.north / metresPerRadianNorth, lon0 + p.east / metresPerRadianEast,
                       p.height, s.xyz);
        model.stations.push_back(s);
    }
    auto station = [&](const std::string& name) -> const NetworkStation& {
        for (const NetworkStation& s : model.stations)
            if (s.name == name) return s;
        std::abort();
    };
    Random random(20260314);
    // Local east, north, up axes at the area, for the covariances.
    const double sl = Sine(lat0), cl = Cosine(lat0), so = Sine(lon0), co = Cosine(lon0);
    const double axes[3][3] = {{-so, co, 0}, {-sl * co, -sl * so, cl}, {cl * co, cl * so, sl}};
    struct Session {
        int file, number;
        const char* base;
        std::vector<const char*> rovers;
    } const sessions[] = {
        {0, 1, "P101", {"P102", "P103", "P104", "P105"}},
        {0, 2, "P105", {"P104", "P106", "P107", "P108"}},
        {1, 3, "P108", {"P107", "P109", "P110", "P111", "P105"}},
        {1, 4, "P111", {"P110", "P112", "P103"}},
    };
    for (const Session& session : sessions) {
        const NetworkStation& base = station(session.base);
        // The base's coordinates as the export has them: good to a millimetre.
        double baseXyz[3];
        for (int k = 0; k < 3; ++k) baseXyz[k] = base.xyz[k] + 0.0006 * random.Normal();
        auto add = [&](const NetworkStation& from, const NetworkStation& to,
                       const double* fromXyz) {
            NetworkObservation o{session.file, session.number, from.name, to.name, {}, {}, {}};
            for (int k = 0; k < 3; ++k) {
                o.fromXyz[k] = fromXyz[k];
                o.vector[k] = to.xyz[k] - from.xyz[k] + 0.0006 * random.Normal();
            }
            // Local standard deviations of a few millimetres, the height
            // worse than the position; turned into the earth-centred axes.
            const double grow = 1 + 0.3 * random.Uniform();
            const double sd[3] = {0.0012 * grow, 0.0013 * grow, 0.0026 * grow};
            double c[3][3] = {};
            for (int i = 0; i < 3; ++i)
                for (int j = 0; j < 3; ++j)
                    for (int k = 0; k < 3; ++k) c[i][j] += axes[k][i] * sd[k] * sd[k] * axes[k][j];
            const double terms[6] = {c[0][0], c[0][1], c[0][2], c[1][1], c[1][2], c[2][2]};
            for (int k = 0; k < 6; ++k) o.covariance[k] = terms[k];
            model.observations.push_back(o);
        };
        for (const char* rover : session.rovers) add(base, station(rover), baseXyz);
        // Session 4's processing also gave one baseline between two rovers,
        // observed at the same time as theirs from the base.
        if (session.number == 4) {
            const NetworkStation& from = station("P110");
            double fromXyz[3];
            for (int k = 0; k < 3; ++k) fromXyz[k] = from.xyz[k] + 0.0006 * random.Normal();
            add(from, station("P112"), fromXyz);
        }
    }
    return model;
}

struct NetworkFiles {
    std::string text[2];
};

// Writes the model as two SKI exports with CR LF line ends, and notes in the
// model where each observation's records went.
inline NetworkFiles WriteNetwork(NetworkModel& model) {
    NetworkFiles files;
    int lineCount[2] = {0, 0};
    auto line = [&](int file, const std::string& text) {
        files.text[file] += text + "\r\n";
        return ++lineCount[file];
    };
    char buffer[512];
    static const char* const kTimes[5] = {"", "08:00:00 09:30:00", "10:00:00 11:30:00",
                                          "08:00:00 09:30:00", "10:00:00 11:30:00"};
    for (int file = 0; file < 2; ++file) {
        line(file, "! Leica Geo Office - SKI ASCII export");
        line(file, "! Project : BERN NORTH");
        line(file, std::string("@%Unit: ") + model.unitCode[file]);
        line(file, "@%Coordinate type: Cartesian");
        line(file, "@%Reference ellipsoid: WGS 1984");
        line(file, std::string("@%Date: 2026-03-1") + (file == 0 ? "4" : "5"));
    }
    int lastSession = 0;
    for (NetworkObservation& o : model.observations) {
        const int f = o.file;
        const double k = model.writtenPerMetre[f];
        if (o.session != lastSession) {
            line(f, "");
            line(f, "! Session " + std::to_string(o.session));
            lastSession = o.session;
        }
        line(f, "@#Antenna height: " + o.from + "            1.5230");
        line(f, "@#Antenna height: " + o.to + "            1.6010");
        line(f, std::string("@&2026-03-1") + (f == 0 ? "4 " : "5 ") + kTimes[o.session]);
        std::snprintf(buffer, sizeof buffer, "@+%-15s %14.4f %14.4f %14.4f", o.from.c_str(),
                      o.fromXyz[0] * k, o.fromXyz[1] * k, o.fromXyz[2] * k);
        o.fromLine = line(f, buffer);
        std::snprintf(buffer, sizeof buffer, "@-%-15s %11.4f %11.4f %11.4f", o.to.c_str(),
                      o.vector[0] * k, o.vector[1] * k, o.vector[2] * k);
        o.toLine = line(f, buffer);
        std::snprintf(buffer, sizeof buffer, "@= 1.0000 %.6e %.6e %.6e %.6e %.6e %.6e",
                      o.covariance[0], o.covariance[1], o.covariance[2], o.covariance[3],
                      o.covariance[4], o.covariance[5]);
        o.covarianceLine = line(f, buffer);
        line(f, "@* S" + std::to_string(o.session) + " " + o.from + "-" + o.to);
    }
    return files;
}

}  // namespace delvaro::test
