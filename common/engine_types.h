// Types shared by the conversion engine and its callers.
#pragma once

#include <cstdint>

#include "platform/core/cstring.h"
#include "res/resource.h"

namespace delvaro {

// 0 for success, otherwise the number of the string-table message that
// describes the fault.
using Status = int32_t;

constexpr Status kStatusOk = 0;

// Longest station name; the name buffer holds it and a terminator.
constexpr int kStationNameLength = 15;

struct Baseline {
    char stationNames[2][kStationNameLength + 1] = {};  // from, to
    double stationXyz[2][3] = {};                       // ECEF metres: from, to
    double vector[3] = {};                              // to minus from, metres
    double covariance[6] = {};                          // scaled, in record order
    CString description;
};

// The reference ellipsoid: semi-major axis in metres and first
// eccentricity squared.
struct EllipsoidParams {
    double a;
    double e2;
};

}  // namespace delvaro
