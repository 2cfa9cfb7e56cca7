// Checks over the whole run's baseline network: names that differ only in
// case or blanks, one name at places far apart, repeated baselines, loop
// closures and the network's separate parts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "checks/data_checks.h"

namespace delvaro {

struct StationSummary {
    std::string name;
    double xyz[3] = {};  // ECEF, metres: the first position the run gave it
    double latitude = 0, longitude = 0, height = 0;  // radians, metres
    double east = 0, north = 0;                      // on the network's plane, metres
    std::vector<uint32_t> baselines;                 // every baseline at it, in run order
    double spread = 0;  // largest distance found between its positions, metres
    bool spreadFails = false;
    int part = 0;
};

struct RepeatEntry {
    uint32_t baseline = 0;
    double difference = 0;  // from the first of its group, 3D, metres
    double tolerance = 0;   // metres
    bool fails = false;
};

// Baselines between the same two stations, in either direction; the first
// is the one the others are compared with.
struct RepeatGroup {
    uint32_t first = 0;
    std::vector<RepeatEntry> repeats;
};

struct LoopStep {
    uint32_t baseline = 0;
    bool reversed = false;  // walked from its to station to its from station
};

struct Loop {
    std::vector<LoopStep> steps;
    std::vector<uint32_t> stations;  // the station each step starts from
    double misclosure[3] = {};       // ECEF, metres
    double east = 0, north = 0, up = 0;
    double length = 0;  // metres, the sum of its baselines' lengths
    double tolerance = 0;
    bool oneSession = false;  // every baseline observed at the same time
    bool fails = false;
    double Misclosure3d() const;
    double Horizontal() const;
    double Ppm() const;
};

struct NetworkAnalysis {
    std::vector<StationSummary> stations;  // indexed as DataChecks::StationNames()
    std::vector<std::vector<uint32_t>> nameGroups;
    std::vector<RepeatGroup> repeats;
    std::vector<Loop> loops;
    std::vector<std::vector<uint32_t>> parts;
    double centreLatitude = 0, centreLongitude = 0;
};

// Analyses what `checks` collected and warns through it. Nothing is done
// when the checks stepped aside.
NetworkAnalysis CheckNetwork(DataChecks& checks);

// Where a baseline is: "FILE:LINE" of its first record.
std::string BaselinePlace(const DataChecks& checks, const CollectedBaseline& baseline);

double Length3d(const double v[3]);

}  // namespace delvaro
